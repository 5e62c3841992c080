#!/usr/bin/python3
"""Reads messages back as a mail program would (Python's email parser).

For each file: the header names in order, the longest line, then From's
name and address, To, Subject and the decoded body, each as hex of its
UTF-8 bytes, one per line.
"""
import email
import email.policy
import sys
from email.utils import parseaddr


def hexed(text):
    return text.encode("utf-8", "surrogateescape").hex()


for path in sys.argv[1:]:
    raw = open(path, "rb").read()
    message = email.message_from_bytes(raw, policy=email.policy.default)
    print("headers", ",".join(message.keys()))
    print("longest", max(len(line) for line in raw.split(b"\r\n")))
    name, address = parseaddr(str(message["From"]))
    print("from-name", hexed(name))
    print("from-address", hexed(address))
    print("to", hexed(str(message["To"])))
    print("subject", hexed(str(message["Subject"])))
    body = message.get_payload(decode=True).decode("utf-8", "surrogateescape").replace("\r\n", "\n")
    print("body", hexed(body))
