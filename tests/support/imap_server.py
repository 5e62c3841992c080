#!/usr/bin/python3
"""Debian's dovecot on 127.0.0.1 with a configuration of its own, for tests.

imap_server.py --dir DIR [--user NAME --password WORD]
    Serves DIR/Maildir to that user (imap with STARTTLS and imaps, a
    throw-away certificate for 127.0.0.1 and mail.vantrel.test made now); prints "port N", "tlsport N" and
    "ca PATH", and runs until its standard input closes.
imap_server.py --flags PORT USER PASSWORD [MAILBOX]
    Prints "UID FLAGS" for each message, read in EXAMINE mode with imaplib
    (\\Recent left out: it belongs to a session, not to the message).
"""
import argparse
import grp
import imaplib
import os
import pwd
import re
import signal
import socket
import subprocess
import sys
import tempfile
import time

DOVECOT = "/usr/sbin/dovecot"


def free_ports(count):
    """Held open together, so that the system hands out different ones."""
    probes = [socket.socket() for _ in range(count)]
    for probe in probes:
        probe.bind(("127.0.0.1", 0))
    ports = tuple(probe.getsockname()[1] for probe in probes)
    for probe in probes:
        probe.close()
    return ports


def make_certificate(folder):
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1",
                    "-nodes", "-days", "1", "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:mail.vantrel.test",
                    "-keyout", key, "-out", cert], check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    return cert, key


def mail_user():
    """Root hands the mail to nobody and dovecot's own users (Debian makes
    them); anyone else runs every part of dovecot as themselves."""
    if os.getuid() == 0:
        return pwd.getpwnam("nobody"), "dovecot", "dovenull", "dovecot"
    me = pwd.getpwuid(os.getuid())
    return me, me.pw_name, me.pw_name, grp.getgrgid(me.pw_gid).gr_name


def let_through(folder, user):
    """The mail user must reach DIR through the test's private folders."""
    os.chmod(folder, 0o755)
    for root, folders, files in os.walk(folder):
        for name in folders + files:
            os.chown(os.path.join(root, name), user.pw_uid, user.pw_gid, follow_symlinks=False)
    os.chown(folder, user.pw_uid, user.pw_gid)
    top = os.path.realpath(tempfile.gettempdir())
    parent = os.path.dirname(os.path.realpath(folder))
    while parent.startswith(top + os.sep):
        os.chmod(parent, os.stat(parent).st_mode | 0o011)
        parent = os.path.dirname(parent)


def write_configuration(folder, args, ports):
    state = os.path.join(folder, "dovecot")
    for name in ("run", "state"):
        os.makedirs(os.path.join(state, name), exist_ok=True)
    user, internal, login, group = mail_user()
    cert, key = make_certificate(state)
    with open(os.path.join(state, "passwd"), "w") as passwd:
        passwd.write("%s:{PLAIN}%s::::::\n" % (args.user, args.password))
    os.makedirs(os.path.join(folder, "Maildir", "tmp"), exist_ok=True)
    os.makedirs(os.path.join(folder, "home"), exist_ok=True)
    if os.getuid() == 0:
        let_through(folder, user)
    conf = os.path.join(state, "dovecot.conf")
    dh = "ssl_dh = </usr/share/dovecot/dh.pem" if os.path.exists("/usr/share/dovecot/dh.pem") else ""
    with open(conf, "w") as out:
        out.write(f"""
protocols = imap
listen = 127.0.0.1
base_dir = {state}/run
state_dir = {state}/state
log_path = {state}/dovecot.log
default_internal_user = {internal}
default_login_user = {login}
default_internal_group = {group}
ssl = yes
ssl_cert = <{cert}
ssl_key = <{key}
{dh}
disable_plaintext_auth = no
auth_mechanisms = plain login
passdb {{
  driver = passwd-file
  args = scheme=PLAIN username_format=%u {state}/passwd
}}
userdb {{
  driver = static
  args = uid={user.pw_uid} gid={user.pw_gid} home={folder}/home
}}
mail_location = maildir:{folder}/Maildir
service imap-login {{
  chroot =
  inet_listener imap {{
    address = 127.0.0.1
    port = {ports[0]}
  }}
  inet_listener imaps {{
    address = 127.0.0.1
    port = {ports[1]}
    ssl = yes
  }}
}}
service anvil {{
  chroot =
}}
""")
    return conf, cert


def wait_for_listener(server, port, greets, seconds=20):
    """The TLS port greets only after its handshake: being there is enough."""
    end = time.monotonic() + seconds
    while time.monotonic() < end and server.poll() is None:
        try:
            with socket.create_connection(("127.0.0.1", port), timeout=2) as connection:
                if not greets or connection.recv(100).startswith(b"* OK"):
                    return True
        except OSError:
            time.sleep(0.05)
    return False


def stop(server):
    server.terminate()
    try:
        server.wait(10)
    except subprocess.TimeoutExpired:
        server.kill()


def start(folder, args):
    """dovecot on two free ports, and on others when another program took
    one of them before dovecot could."""
    for _ in range(3):
        ports = free_ports(2)
        conf, cert = write_configuration(folder, args, ports)
        output = open(os.path.join(folder, "dovecot", "output.log"), "w")
        server = subprocess.Popen([DOVECOT, "-F", "-c", conf], stdin=subprocess.DEVNULL, stdout=output,
                                  stderr=output)
        if wait_for_listener(server, ports[0], True) and wait_for_listener(server, ports[1], False):
            return server, ports, cert
        stop(server)
    for log in ("output.log", "dovecot.log"):
        if os.path.exists(os.path.join(folder, "dovecot", log)):
            sys.stderr.write(open(os.path.join(folder, "dovecot", log)).read())
    return None, None, None


def serve(args):
    # Killed or not, dovecot goes with it.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    server, ports, cert = start(os.path.realpath(args.dir), args)
    if not server:
        print("port 0", flush=True)
        return 1
    try:
        print("port %d\ntlsport %d\nca %s" % (ports[0], ports[1], cert), flush=True)
        sys.stdin.read()
    finally:
        stop(server)
    return 0


def flags(port, user, password, mailbox):
    with imaplib.IMAP4("127.0.0.1", int(port)) as imap:
        imap.login(user, password)
        imap.select(mailbox, readonly=True)
        _, lines = imap.uid("FETCH", "1:*", "(FLAGS)")
        for line in lines:
            if not line:
                continue
            text = line.decode()
            uid = re.search(r"UID (\d+)", text).group(1)
            found = re.search(r"FLAGS \(([^)]*)\)", text).group(1).split()
            print(uid, " ".join(sorted(flag for flag in found if flag != "\\Recent")))
        imap.logout()


def main():
    if len(sys.argv) > 1 and sys.argv[1] == "--flags":
        flags(*sys.argv[2:5], sys.argv[5] if len(sys.argv) > 5 else "INBOX")
        return 0
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--user", default="reader")
    parser.add_argument("--password", default="secret")
    return serve(parser.parse_args())


if __name__ == "__main__":
    sys.exit(main())
