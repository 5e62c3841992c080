#!/bin/sh
# vantrel-cli send to 1,000 receivers on a local aiosmtpd with no pause,
# beside Python's smtplib sending the same messages over one connection.
# The ledger lies once on the disk (flushed after every message) and once
# on tmpfs, which shows what the flushing costs.
# Usage: bench/send.sh [build folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(cd "${1:-build}" && pwd)/src/cli/vantrel-cli
sandbox=$(mktemp -d)
memory=$(mktemp -d -p /dev/shm)
trap 'kill $servers 2>/dev/null; rm -rf "$sandbox" "$memory"' EXIT
cd "$sandbox"
mkdir -p home a b

/usr/bin/python3 - <<'PY'
records = ["Vantrel", "2.1", "$49", "Linux", "http://x.org/i.png",
           "Takes notes fast and keeps them in sync everywhere.", "27", "Tool", "http://x.org",
           "1", "1", "30", "Tarsel", "Ann Lee", "ann@x.org", "3",
           "\n".join("r%d@x.org" % i for i in range(1000))]
with open("list.pre", "wb") as document:
    for record in records:
        document.write(b"%d %s" % (len(record), record.replace("\n", "\r\n").encode()))
PY

# Each server runs until its standard input closes, at the end of the script.
mkfifo a/in b/in
/usr/bin/python3 -W ignore "$root/tests/support/smtp_server.py" --dir a <a/in >a/port 2>/dev/null &
servers="$!"
/usr/bin/python3 -W ignore "$root/tests/support/smtp_server.py" --dir b <b/in >b/port 2>/dev/null &
servers="$servers $!"
exec 3>a/in 4>b/in
sleep 2
port_a=$(awk '{print $2}' a/port)
port_b=$(awk '{print $2}' b/port)

HOME="$sandbox/home" "$cli" send --no-network --dry-run list.pre 2>/dev/null | sed '1,1001d' >message.eml

now() { date +%s.%N; }
for home in "$sandbox/home" "$memory"; do
    start=$(now)
    HOME="$home" "$cli" send --no-network --rate=0 --again --server="smtp://127.0.0.1:$port_a" list.pre 2>/dev/null
    echo "vantrel-cli, ledger in $home: $(echo "$(now) - $start" | bc) s"
done
/usr/bin/python3 - "$port_b" <<'PY'
import smtplib, sys, time
message = open("message.eml", "rb").read()
start = time.monotonic()
with smtplib.SMTP("127.0.0.1", int(sys.argv[1])) as smtp:
    for i in range(1000):
        smtp.sendmail("ann@x.org", ["r%d@x.org" % i], message.replace(b"To: r0@x.org", b"To: r%d@x.org" % i))
print("smtplib, one connection: %.3f s" % (time.monotonic() - start))
PY
test "$(wc -l <a/receivers)" -eq 2000 && test "$(wc -l <b/receivers)" -eq 1000
