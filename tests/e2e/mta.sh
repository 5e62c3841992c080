#!/bin/sh
# vantrel-cli send through a real MTA (Debian's exim4) bound to loopback,
# delivering into a maildir; the messages are read back with Python's email
# parser: every receiver exactly once, with the name the list gives, the
# headers as sent, no Bcc, and the body equal to the release. A second run
# sends nothing.
set -eu
cli="$1"
. "$(dirname "$0")/exim.sh"
start_exim "begin routers
everyone:
  driver = accept
  transport = maildir
begin transports
maildir:
  driver = appendfile
  directory = $sandbox/maildir
  maildir_format
  user = Debian-exim
  envelope_to_add"

/usr/bin/python3 - "$sandbox/release.pre" <<'PY'
import sys
records = ["Notely", "2.1", "$19.95", "Linux", "http://127.0.0.1/press.png",
           "Takes notes fast and keeps them in sync everywhere.", "25", "", "http://127.0.0.1/",
           "0", "0", "", "Müller & Söhne", "Zoë Ångström", "zoe@vantrel.test", "0",
           "Ann Lee <ann@press.test>; \"Bob, Jr.\" <bob@press.test>;ANN@press.test\ncarl@news.test\nno-domain@\n"]
with open(sys.argv[1], "wb") as document:
    for record in records:
        data = record.encode()
        document.write(b"%d %s" % (len(data), data.replace(b"\n", b"\r\n")))
PY

"$cli" release "$sandbox/release.pre" >"$sandbox/release.txt"
status=0
"$cli" send --no-network --rate=0 --server="smtp://127.0.0.1:$port" "$sandbox/release.pre" 2>"$sandbox/first.err" || status=$?
[ "$status" -eq 0 ] || { cat "$sandbox/first.err"; echo "FAILED: send ended with $status"; exit 1; }
"$cli" send --no-network --rate=0 --server="smtp://127.0.0.1:$port" "$sandbox/release.pre" 2>"$sandbox/second.err"
grep -q "^vantrel-cli: 0 sent, 3 had it already" "$sandbox/second.err" || { cat "$sandbox/second.err"; exit 1; }

# Exim delivers at once, in a process of its own; wait for it (at most 20 s).
for _ in $(seq 200); do
    [ "$(find "$sandbox/maildir/new" -type f 2>/dev/null | wc -l)" -ge 3 ] && break
    sleep 0.1
done
sleep 0.5

/usr/bin/python3 - "$sandbox/maildir/new" "$sandbox/release.txt" <<'PY'
import email, email.policy, os, sys
folder, release = sys.argv[1], open(sys.argv[2], encoding="utf-8").read()
seen = []
for name in sorted(os.listdir(folder)):
    raw = open(os.path.join(folder, name), "rb").read()
    message = email.message_from_bytes(raw, policy=email.policy.default)
    receiver = str(message["Envelope-to"])
    seen.append(receiver)
    to = message["To"].addresses[0]
    assert to.addr_spec == receiver, (message["To"], receiver)
    names = {"ann@press.test": "Ann Lee", "bob@press.test": "Bob, Jr.", "carl@news.test": ""}
    assert to.display_name == names[receiver], (to.display_name, receiver)
    assert str(message["From"]) == "Zoë Ångström <zoe@vantrel.test>", message["From"]
    assert str(message["Subject"]) == "Press release from Müller & Söhne", message["Subject"]
    assert message["Bcc"] is None and message["Date"] and message["Message-ID"]
    body = message.get_content().replace("\r\n", "\n")
    footer = 'To receive no more press releases from us, reply to this message with the subject "unsubscribe".\n'
    assert body == release + "\n" + footer, (body, release)
    assert str(message["List-Unsubscribe"]) == "<mailto:zoe@vantrel.test?subject=unsubscribe>", message["List-Unsubscribe"]
assert sorted(seen) == ["ann@press.test", "bob@press.test", "carl@news.test"], seen
print("3 messages through exim, each receiver once")
PY
