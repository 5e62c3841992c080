#!/usr/bin/python3
"""A mail server on 127.0.0.1 for the delivery tests (Debian's aiosmtpd).

Prints "port N" when it listens and runs until its standard input closes.
Every accepted message is written to DIR/NNNN.eml, its receiver to
DIR/receivers (one line each). --script ADDRESS=ACTION makes the server
answer one receiver its own way: 451 (the first time, then it accepts),
550 (always: no such user), policy (always: 550 5.7.1), drop (the connection, the first time), hang (stop answering
after the message's data, the first time; prints "hanging ADDRESS"),
dropdata (take the message, then drop the connection before the final
reply, the first time), cutdata (take the message, say "250-" and drop the
connection before the reply's last line, the first time), chatter (answer
RCPT with reply lines that never end, for at most ten seconds), chatterdata
(take the message and answer it so, the first time) or 535data (refuse the
message's data as if the login had failed). --oauth FILE takes logins with the access
tokens of oauth_server.py only, and writes to DIR/tokens-used the serial
of the token each message came under.
"""
import argparse
import asyncio
import base64
import logging
import os
import socket
import ssl
import sys
import threading
import time

from aiosmtpd.controller import Controller
from aiosmtpd.smtp import MISSING, AuthResult, LoginPassword


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


async def chatter(server):
    """Reply lines that never end: longer than any client's time limit in
    the tests, and bounded."""
    for _ in range(1000):
        if server.transport is None or server.transport.is_closing():
            break
        await server.push("250-still talking")
        await asyncio.sleep(0.01)


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
        if action == "policy":
            return "550 5.7.1 <%s>: relay access denied" % address
        if action == "451" and self.first_time(address, action):
            return "451 4.3.0 try again later"
        if action == "drop" and self.first_time(address, action):
            server.transport.abort()
            return "421 4.4.2 closing"
        if action == "chatter":
            await chatter(server)
            return "250 OK"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        for address in envelope.rcpt_tos:
            if self.script.get(address.lower()) == "535data":
                return "535 5.7.8 Authentication credentials invalid"
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
            action = self.script.get(address.lower())
            if action == "dropdata" and self.first_time(address, action):
                server.transport.abort()
            if action == "cutdata" and self.first_time(address, action):
                await server.push("250-2.0.0 queued as %d, and more to say" % self.count)
                server.transport.abort()
            if action == "chatterdata" and self.first_time(address, action):
                await chatter(server)
        return "250 2.0.0 queued as %d" % self.count


def valid_tokens(path):
    """The access tokens oauth_server.py says are valid now."""
    now = time.time()
    tokens = set()
    with open(path) as lines:
        for line in lines:
            token, end = line.split()
            if float(end) > now:
                tokens.add(token)
    return tokens


def bearer_of(text):
    """The token of an XOAUTH2 or OAUTHBEARER response (RFC 7628)."""
    for field in text.split("\x01"):
        if field.startswith("auth=Bearer "):
            return field[len("auth=Bearer "):]
    return None


class OAuthHandler(Handler):
    """Takes only XOAUTH2 and OAUTHBEARER with a token that is valid now, and
    refuses a message whose session's token has run out since."""

    def __init__(self, folder, script, tokens):
        super().__init__(folder, script)
        self.tokens = tokens

    async def bearer_login(self, server, arguments):
        if len(arguments) > 2:
            response = base64.b64decode(arguments[2])
        else:
            response = await server.challenge_auth("")
            if response is MISSING:
                return AuthResult(success=False, handled=True)
        token = bearer_of(response.decode(errors="replace"))
        if token and token in valid_tokens(self.tokens):
            return AuthResult(success=True, auth_data=token)
        print("refused token", (token or "none").split("-")[0], flush=True)
        return AuthResult(success=False, handled=False, message="535 5.7.8 Authentication credentials invalid")

    async def auth_XOAUTH2(self, server, arguments):
        return await self.bearer_login(server, arguments)

    async def auth_OAUTHBEARER(self, server, arguments):
        return await self.bearer_login(server, arguments)

    async def handle_MAIL(self, server, session, envelope, address, options):
        if session.auth_data not in valid_tokens(self.tokens):
            return "530 5.7.0 the access token has run out"
        envelope.mail_from = address
        envelope.mail_options.extend(options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        with open(os.path.join(self.folder, "tokens-used"), "a") as used:
            used.write(session.auth_data.split("-")[0] + "\n")
        return await super().handle_DATA(server, session, envelope)


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
    parser.add_argument("--oauth", metavar="ACCESS-TOKENS")
    parser.add_argument("--script", action="append", default=[])
    arguments = parser.parse_args()
    # Refused handshakes are what some tests are about; their tracebacks are noise.
    logging.disable(logging.CRITICAL)

    options = {}
    script = dict(entry.lower().rsplit("=", 1) for entry in arguments.script)
    handler = Handler(arguments.dir, script)
    if arguments.oauth:
        handler = OAuthHandler(arguments.dir, script, arguments.oauth)
        options.update(auth_required=True, auth_require_tls=False, auth_exclude_mechanism=["LOGIN", "PLAIN"])
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
