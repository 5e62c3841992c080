#!/usr/bin/python3
"""Mailman's bounce detector (Debian's python3-flufl.bounce) on the bounce
corpus, counted as BounceCorpus counts Vantrel's reader: good receivers
taken as permanent failures, and the dead addresses found (as permanent or
temporary failures) in standard reports and in words.
Usage: bench/bounce-floor.py [CORPUS]"""
import email
import os
import sys

from flufl.bounce import all_failures

corpus = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "tests", "corpora", "bounces")

expected = {}
with open(os.path.join(corpus, "expected.tsv"), encoding="utf-8") as rows:
    next(rows)
    for row in rows:
        fields = row.rstrip("\n").split("\t")
        entry = expected.setdefault(fields[0], {"dead": False, "fine": True, "complaint": False})
        entry["dead"] |= fields[4] == "yes: dead address"
        entry["complaint"] |= fields[4] == "yes: complaint"
        entry["fine"] &= fields[4] == "no"

counts = {"good listed": 0, "standard": [0, 0], "free text": [0, 0], "listed standard": 0,
          "listed free text": 0}
for name, should in sorted(expected.items()):
    with open(os.path.join(corpus, "messages", name), "rb") as source:
        raw = source.read()
    message = email.message_from_bytes(raw)
    try:
        temporary, permanent = all_failures(message)
    except Exception:  # a message it cannot take is one it finds nothing in
        temporary, permanent = set(), set()
    lower = raw.lower()
    standard = any(kind in lower for kind in (b"message/delivery-status", b"message/global-delivery-status",
                                              b"message/feedback-report"))
    if should["fine"] and permanent:
        counts["good listed"] += 1
    if should["dead"]:
        kind = "standard" if standard else "free text"
        counts[kind][1] += 1
        counts[kind][0] += 1 if permanent or temporary else 0
        counts["listed " + kind] += 1 if permanent else 0

print("good receivers listed: %d; dead addresses found: %d of %d in standard reports, %d of %d in free text; "
      "listed as dead: %d and %d" % (counts["good listed"], counts["standard"][0], counts["standard"][1],
                                     counts["free text"][0], counts["free text"][1], counts["listed standard"],
                                     counts["listed free text"]))
