#!/bin/sh
# Reading 10,000 messages from a local dovecot (tests/support/imap_server.py)
# with ReadImap (bench_imap_read), beside Python's imaplib doing the same
# over one connection: EXAMINE, UID SEARCH, the sizes, then BODY.PEEK[] in
# batches of 200 UIDs. Both count the messages and their bytes, which must
# agree; each times itself from before connecting to its logout. Medians
# of RUNS runs each (an odd count), taking turns.
# Usage: bench/imap.sh [build folder] [runs] [messages]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
reader=$(cd "${1:-build}" && pwd)/bench/bench_imap_read
runs="${2:-3}"
count="${3:-10000}"
[ $((runs % 2)) -eq 1 ] || { echo "runs must be odd, for a true median" >&2; exit 2; }
. "$root/bench/need.sh"
need python3 openssl dovecot-imapd
sandbox=$(mktemp -d)
server=""
# The server ends, and its dovecot with it, when its standard input closes.
trap 'exec 3>&-; [ -n "$server" ] && wait "$server"; rm -rf "$sandbox"' EXIT
cd "$sandbox"

# Replies of 2 to 8 KB, CR LF lines, as a bounce with its returned headers is.
/usr/bin/python3 - "$count" <<'PY'
import os, random, sys
random.seed(7)
os.makedirs("imap/Maildir/cur")
for i in range(int(sys.argv[1])):
    size = random.randint(2000, 8000)
    text = "Subject: Undelivered Mail Returned to Sender %d\r\n\r\n" % i
    while len(text) < size:
        text += "".join(random.choice("abcdefghij klmnop") for _ in range(70)) + "\r\n"
    with open("imap/Maildir/cur/%d.M%dP1.bench:2,S" % (1796000000 + i, i), "w", newline="") as out:
        out.write(text)
PY

mkfifo in
/usr/bin/python3 -W ignore "$root/tests/support/imap_server.py" --dir imap <in >ports 2>server.log &
server=$!
exec 3>in
for _ in $(seq 100); do grep -q '^ca ' ports 2>/dev/null && break; sleep 0.2; done
port=$(awk '/^port/ {print $2}' ports)
[ "${port:-0}" -ne 0 ] || { cat server.log; exit 1; }

cat >floor.py <<'PY'
import imaplib, re, sys, time
start = time.monotonic()
imap = imaplib.IMAP4("127.0.0.1", int(sys.argv[1]))
imap.login("reader", "secret")
imap.select("INBOX", readonly=True)
uids = imap.uid("SEARCH", "ALL")[1][0].split()
count = size = 0
for first in range(0, len(uids), 200):
    batch = b",".join(uids[first:first + 200]).decode()
    imap.uid("FETCH", batch, "(RFC822.SIZE)")
    for part in imap.uid("FETCH", batch, "(BODY.PEEK[])")[1]:
        if isinstance(part, tuple):
            count += 1
            size += len(part[1])
imap.logout()
print("%.3f %d %d" % (time.monotonic() - start, count, size))
PY

# dovecot builds its index of the folder on the first reading: not timed.
/usr/bin/python3 floor.py "$port" >/dev/null

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
for _ in $(seq 1 "$runs"); do
    "$reader" "imap://127.0.0.1:$port" reader secret >>vantrel.out
    /usr/bin/python3 floor.py "$port" >>floor.out
done
[ "$(cut -d' ' -f2,3 vantrel.out | sort -u)" = "$(cut -d' ' -f2,3 floor.out | sort -u)" ] ||
    { echo "the readers disagree:"; cat vantrel.out floor.out; exit 1; }
awk -v v="$(cut -d' ' -f1 vantrel.out | median)" -v f="$(cut -d' ' -f1 floor.out | median)" \
    -v n="$(head -1 vantrel.out | cut -d' ' -f2)" \
    'BEGIN { printf "%d messages  ReadImap %6.3f s  imaplib %6.3f s  %5.2f x\n", n, v, f, v / f }'
