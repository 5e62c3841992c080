# Sourced by the end-to-end runs through Debian's exim4 on loopback: a
# sandbox with HOME, spool, log and maildir, a free port, and start_exim,
# which starts exim with the given routers and transports and waits until
# it listens. Only root may hand exim a configuration of its own and keep
# the rights to receive as exim's user; anyone else skips the run.
exim=/usr/sbin/exim4
[ -x "$exim" ] || { echo "exim4 is not installed (exim4-daemon-light)"; exit 1; }
[ "$(id -u)" -eq 0 ] || { echo "skipped: exim needs root for a private configuration"; exit 77; }

sandbox=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
export HOME="$sandbox/home"
unset XDG_CONFIG_HOME XDG_STATE_HOME
mkdir -p "$HOME" "$sandbox/spool" "$sandbox/log" "$sandbox/maildir"
# Exim receives as its own user and never delivers as root.
chown -R Debian-exim "$sandbox/spool" "$sandbox/log" "$sandbox/maildir"
chmod 755 "$sandbox"
port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

start_exim() {
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
$1
begin retry
* * F,1m,1m
CONF
    "$exim" -C "$sandbox/exim.conf" -bdf -q1m 2>"$sandbox/log/stderr" &
    pid=$!
    for _ in $(seq 50); do
        /usr/bin/python3 -c "import socket; socket.create_connection(('127.0.0.1', $port)).close()" 2>/dev/null && break
        sleep 0.1
    done
}
