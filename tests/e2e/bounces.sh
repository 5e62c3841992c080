#!/bin/sh
# A genuine bounce: Debian's exim4 on loopback takes the release for a
# receiver it cannot deliver to and mails its own delivery report back to
# the sender's Maildir. vantrel-cli replies --apply finds it there, puts
# the address on the do-not-send list, and the next release skips it.
set -eu
cli="$1"
. "$(dirname "$0")/exim.sh"
# Only zoe, ann and carl have mailboxes; anyone else bounces.
start_exim "begin routers
mailboxes:
  driver = accept
  local_parts = zoe : ann : carl
  transport = maildir
begin transports
maildir:
  driver = appendfile
  directory = $sandbox/maildir/\$local_part_data
  maildir_format
  user = Debian-exim"

document() {
    /usr/bin/python3 - "$1" "$2" <<'PY'
import sys
records = ["Notely", sys.argv[2], "$19.95", "Linux", "http://127.0.0.1/press.png",
           "Takes notes fast and keeps them in sync everywhere.", "25", "", "http://127.0.0.1/",
           "0", "0", "", "Tarsel", "Zoe Lee", "zoe@vantrel.test", "0",
           "Ann Lee <ann@press.test>; gone@press.test; carl@news.test"]
with open(sys.argv[1], "wb") as document:
    for record in records:
        data = record.encode()
        document.write(b"%d %s" % (len(data), data))
PY
}
document "$sandbox/first.pre" 2.1
document "$sandbox/second.pre" 2.2
server="--server=smtp://127.0.0.1:$port"

"$cli" send --no-network --rate=0 "$server" "$sandbox/first.pre" 2>"$sandbox/first.err" ||
    { cat "$sandbox/first.err"; echo "FAILED: the first send"; exit 1; }
# Exim delivers two releases and its report about the third (at most 20 s).
for _ in $(seq 200); do
    [ "$(find "$sandbox/maildir/zoe/new" -type f 2>/dev/null | wc -l)" -ge 1 ] && break
    sleep 0.1
done
[ -n "$(find "$sandbox/maildir/zoe/new" -type f 2>/dev/null)" ] ||
    { cat "$sandbox/log/"*; echo "FAILED: exim sent no report"; exit 1; }
before=$(find "$sandbox/maildir" -type f | sort)

"$cli" replies --maildir="$sandbox/maildir/zoe" --apply "$sandbox/first.pre" >"$sandbox/replies.out" 2>"$sandbox/replies.err" ||
    { cat "$sandbox/replies.err"; echo "FAILED: replies"; exit 1; }
grep -q "^gone@press.test	hard bounce	" "$sandbox/replies.out" ||
    { cat "$sandbox/replies.out" "$sandbox/replies.err" "$sandbox/maildir/zoe/new/"*; echo "FAILED: no hard bounce"; exit 1; }
[ "$(wc -l <"$sandbox/replies.out")" -eq 1 ] || { cat "$sandbox/replies.out"; echo "FAILED: more than the bounce"; exit 1; }
[ "$(find "$sandbox/maildir" -type f | sort)" = "$before" ] || { echo "FAILED: reading changed the mailbox"; exit 1; }
"$cli" dont-send list "$sandbox/first.pre" | grep -q "^gone@press.test	bounced on " ||
    { echo "FAILED: the bounce is not on the list"; exit 1; }

"$cli" send --no-network --rate=0 "$server" "$sandbox/second.pre" 2>"$sandbox/second.err" ||
    { cat "$sandbox/second.err"; echo "FAILED: the second send"; exit 1; }
grep -q '^skipped "gone@press.test": bounced on ' "$sandbox/second.err" &&
    grep -q "^vantrel-cli: 2 sent, .*, 1 on the do-not-send list" "$sandbox/second.err" ||
    { cat "$sandbox/second.err"; echo "FAILED: the second release went to the bounced address"; exit 1; }
echo "exim's report found, the address listed, the next release skipped it"
