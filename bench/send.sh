#!/bin/sh
# vantrel-cli send to 1,000 receivers on a local aiosmtpd with no pause,
# beside Python's smtplib sending the same messages over one connection
# and keeping the same ledger: before each message a line naming the
# receiver, after it a line with the server's answer, each flushed to the
# disk with fdatasync as Vantrel's ledger is. Both ledgers lie once on the
# disk and once on tmpfs, which shows what the flushing costs. Medians of
# RUNS runs each (an odd count), taking turns.
# Usage: bench/send.sh [build folder] [runs]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
cli=$(cd "${1:-build}" && pwd)/src/cli/vantrel-cli
runs="${2:-3}"
[ $((runs % 2)) -eq 1 ] || { echo "runs must be odd, for a true median" >&2; exit 2; }
. "$root/bench/need.sh"
need bc python3 python3-aiosmtpd
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

cat >floor.py <<'PY'
import os, smtplib, sys, time
port, ledger = int(sys.argv[1]), sys.argv[2]
message = open("message.eml", "rb").read()
start = time.monotonic()
fd = os.open(ledger, os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o600)
with smtplib.SMTP("127.0.0.1", port) as smtp:
    for i in range(1000):
        receiver = "r%d@x.org" % i
        os.write(fd, b"sending\t%s\n" % receiver.encode())
        os.fdatasync(fd)
        try:
            smtp.sendmail("ann@x.org", [receiver], message.replace(b"To: r0@x.org", b"To: " + receiver.encode()))
            answer = b"sent\t%s\t250\n" % receiver.encode()
        except smtplib.SMTPException as problem:
            answer = b"refused\t%s\t%s\n" % (receiver.encode(), str(problem).encode())
        os.write(fd, answer)
        os.fdatasync(fd)
os.close(fd)
print("%.3f" % (time.monotonic() - start))
PY

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
now() { date +%s.%N; }
for _ in $(seq 1 "$runs"); do
    for place in disk:"$sandbox/home" tmpfs:"$memory"; do
        name=${place%%:*} home=${place#*:}
        start=$(now)
        HOME="$home" "$cli" send --no-network --rate=0 --again --server="smtp://127.0.0.1:$port_a" list.pre 2>/dev/null
        echo "$(now) - $start" | bc >> "vantrel-$name.times"
        rm -f "$home/floor-ledger"
        /usr/bin/python3 floor.py "$port_b" "$home/floor-ledger" >> "floor-$name.times"
    done
done
for name in disk tmpfs; do
    awk -v n="$name" -v v="$(median < "vantrel-$name.times")" -v f="$(median < "floor-$name.times")" \
        'BEGIN { printf "ledger on %-5s  vantrel-cli %6.3f s  smtplib %6.3f s  %5.2f x\n", n, v, f, v / f }'
done
test "$(wc -l <a/receivers)" -eq $((2000 * runs)) && test "$(wc -l <b/receivers)" -eq $((2000 * runs))
