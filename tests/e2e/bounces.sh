#!/bin/sh
# A genuine bounce: Debian's exim4 on loopback takes the release for a
# receiver it cannot deliver to and mails its own delivery report back to
# the sender's Maildir. vantrel-cli replies --apply finds it there, puts
# the address on the do-not-send list, and the next release skips it.
set -eu
cli="$1"
exim=/usr/sbin/exim4
[ -x "$exim" ] || { echo "exim4 is not installed (exim4-daemon-light)"; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "skipped: exim needs root for a private configuration"; exit 77; }

sandbox=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
export HOME="$sandbox/home"
unset XDG_CONFIG_HOME XDG_STATE_HOME
mkdir -p "$HOME" "$sandbox/spool" "$sandbox/log" "$sandbox/maildir"
chown -R Debian-exim "$sandbox/spool" "$sandbox/log" "$sandbox/maildir"
chmod 755 "$sandbox"
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# Only zoe, ann and carl have mailboxes; anyone else bounces.
cat >"$sandbox/exim.conf" <<CONF
primary_hostname = mta.vantrel.test
daemon_smtp_ports = $port
local_interfaces = 127.0.0.1
spool_directory = $sandbox/spool
log_file_path = $sandbox/log/%slog
pid_file_path = $sandbox/exim.pid
acl_smtp_rcpt = accept
tls_advertise_hosts =
host_lookup =
begin routers
mailboxes:
  driver = accept
  local_parts = zoe : ann : carl
  transport = maildir
begin transports
maildir:
  driver = appendfile
  directory = $sandbox/maildir/\$local_part_data
  maildir_format
  user = Debian-exim
begin retry
* * F,1m,1m
CONF

"$exim" -C "$sandbox/exim.conf" -bdf -q1m 2>"$sandbox/log/stderr" &
pid=$!
for _ in $(seq 50); do
    /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port)).close()" 2>/dev/null && break
    sleep 0.1
done

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
