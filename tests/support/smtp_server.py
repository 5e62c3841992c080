#!/usr/bin/python3
"""A mail server on 127.0.0.1 for the delivery tests (Debian's aiosmtpd).

Prints "port N" when it listens and runs until its standard input closes.
Every accepted message is written to DIR/NNNN.eml, its receiver to
DIR/receivers (one line each). --script ADDRESS=ACTION makes the server
answer one receiver its own way: 451 (the first time, then it accepts),
550 (always), drop (the connection, the first time), hang (stop answering
after the message's data, the first time; prints "hanging ADDRESS"),
dropdata (take the message, then drop the connection before the final
reply, the first time) or chatter (answer RCPT with reply lines that never
end, for at most ten seconds).
"""
import argparse
import asyncio
import logging
import os
import socket
import ssl
import sys
import threading

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import AuthResult, LoginPassword


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class Handler:
    def __init__(self, folder, script):
        self.folder = folder
        self.script = script
        self.used = set()
        self.count = 0
        self.lock = threading.Lock()

    def first_time(self, address, action):
        key = (address.lower(), action)
        if key in self.used:
            return False
        self.used.add(key)
        return True

    async def handle_RCPT(self, server, session, envelope, address, options):
        action = self.script.get(address.lower())
        if action == "550":
            return "550 5.1.1 <%s>: no such user here" % address
        if action == "451" and self.first_time(address, action):
            return "451 4.3.0 try again later"
        if action == "drop" and self.first_time(address, action):
            server.transport.abort()
            return "421 4.4.2 closing"
        if action == "chatter":
            # Longer than any client's time limit in the tests, and bounded.
            for _ in range(1000):
                if server.transport is None or server.transport.is_closing():
                    break
                await server.push("250-still talking")
                await asyncio.sleep(0.01)
            return "250 OK"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        for address in envelope.rcpt_tos:
            if self.script.get(address.lower()) == "hang" and self.first_time(address, "hang"):
                print("hanging", address, flush=True)
                await asyncio.sleep(3600)
        with self.lock:
            self.count += 1
            name = os.path.join(self.folder, "%04d.eml" % self.count)
            with open(name, "wb") as message:
                message.write(envelope.original_content)
            with open(os.path.join(self.folder, "receivers"), "a") as receivers:
                for address in envelope.rcpt_tos:
                    receivers.write(address + "\n")
        for address in envelope.rcpt_tos:
            if self.script.get(address.lower()) == "dropdata" and self.first_time(address, "dropdata"):
                server.transport.abort()
        return "250 2.0.0 queued as %d" % self.count


def tls_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--starttls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--tls", nargs=2, metavar=("CERT", "KEY"))
    parser.add_argument("--auth", metavar="USER:PASSWORD")
    parser.add_argument("--script", action="append", default=[])
    arguments = parser.parse_args()
    # Refused handshakes are what some tests are about; their tracebacks are noise.
    logging.disable(logging.CRITICAL)

    script = dict(entry.lower().rsplit("=", 1) for entry in arguments.script)
    handler = Handler(arguments.dir, script)
    options = {}
    if arguments.starttls:
        options["tls_context"] = tls_context(*arguments.starttls)
        options["require_starttls"] = True
    if arguments.auth:
        user, password = arguments.auth.split(":", 1)

        def authenticate(server, session, envelope, mechanism, data):
            ok = isinstance(data, LoginPassword) and data.login.decode() == user and data.password.decode() == password
            return AuthResult(success=ok, handled=False)

        options.update(authenticator=authenticate, auth_required=True, auth_require_tls=False)
    port = free_port()
    if arguments.tls:
        options["ssl_context"] = tls_context(*arguments.tls)
        options["server_hostname"] = "mail.vantrel.test"
    controller = Controller(handler, hostname="127.0.0.1", port=port, **options)
    controller.start()
    print("port", port, flush=True)
    sys.stdin.read()
    controller.stop()


if __name__ == "__main__":
    main()
