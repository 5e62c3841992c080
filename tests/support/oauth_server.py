#!/usr/bin/python3
"""An OAuth 2.0 authorization server on 127.0.0.1 for the sign-in tests.

Prints "port N" when it listens and runs until its standard input closes;
a line "revoke" on standard input revokes every refresh token it gave.
GET /authorize checks the request of the code flow with PKCE (S256) and
sends the browser back to the redirect URI with a code and the state.
POST /token takes grant_type=authorization_code (checking the code, the
redirect URI, the client and the PKCE verifier) and grant_type=refresh_token;
each grant gives an access token that lives --lifetime seconds and a new
refresh token (the old one stops working). The access tokens that are
valid, with the time each runs out, are kept in DIR/access-tokens for
smtp_server.py --oauth; DIR/grants gets one line per grant or refusal.
"""
import argparse
import base64
import hashlib
import http.server
import json
import os
import secrets
import sys
import threading
import time
import urllib.parse


class State:
    def __init__(self, folder, client_id, lifetime):
        self.folder = folder
        self.client_id = client_id
        self.lifetime = lifetime
        self.lock = threading.Lock()
        self.codes = {}  # code: (challenge, redirect_uri)
        self.refresh_tokens = set()
        self.access_tokens = {}  # token: time it runs out
        self.serial = 0

    def log(self, line):
        with open(os.path.join(self.folder, "grants"), "a") as grants:
            grants.write(line + "\n")

    def save_access_tokens(self):
        now = time.time()
        path = os.path.join(self.folder, "access-tokens")
        with open(path + ".new", "w") as tokens:
            for token, end in self.access_tokens.items():
                if end > now:
                    tokens.write("%s %f\n" % (token, end))
        os.replace(path + ".new", path)

    def grant(self, kind):
        self.serial += 1
        access = "at%d-%s" % (self.serial, secrets.token_urlsafe(16))
        refresh = "rt%d-%s" % (self.serial, secrets.token_urlsafe(16))
        self.access_tokens[access] = time.time() + self.lifetime
        self.refresh_tokens.add(refresh)
        self.save_access_tokens()
        self.log("granted %s %d" % (kind, self.serial))
        return {"access_token": access, "token_type": "Bearer", "expires_in": self.lifetime,
                "refresh_token": refresh, "scope": "mail"}


def challenge_of(verifier):
    digest = hashlib.sha256(verifier.encode()).digest()
    return base64.urlsafe_b64encode(digest).rstrip(b"=").decode()


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *arguments):
        pass

    def reply(self, status, body, headers=()):
        data = json.dumps(body).encode() if isinstance(body, dict) else body.encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json" if isinstance(body, dict) else "text/plain")
        for name, value in headers:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def do_GET(self):
        state = self.server.state
        url = urllib.parse.urlsplit(self.path)
        query = dict(urllib.parse.parse_qsl(url.query))
        if url.path != "/authorize":
            return self.reply(404, "not found")
        redirect = query.get("redirect_uri", "")
        if (query.get("response_type") != "code" or query.get("client_id") != state.client_id
                or not redirect.startswith("http://127.0.0.1:") or not query.get("state")
                or query.get("code_challenge_method") != "S256" or len(query.get("code_challenge", "")) != 43
                or not query.get("scope")):
            state.log("bad authorization request " + url.query)
            return self.reply(400, "bad authorization request")
        code = secrets.token_urlsafe(16)
        with state.lock:
            state.codes[code] = (query["code_challenge"], redirect)
        target = redirect + "?" + urllib.parse.urlencode({"code": code, "state": query["state"]})
        self.reply(302, "", [("Location", target)])

    def do_POST(self):
        state = self.server.state
        length = int(self.headers.get("Content-Length", "0"))
        form = dict(urllib.parse.parse_qsl(self.rfile.read(length).decode()))
        if self.path != "/token":
            return self.reply(404, "not found")
        if form.get("client_id") != state.client_id:
            return self.reply(401, {"error": "invalid_client"})
        with state.lock:
            kind = form.get("grant_type")
            if kind == "authorization_code":
                challenge, redirect = state.codes.pop(form.get("code", ""), (None, None))
                if (challenge is None or redirect != form.get("redirect_uri")
                        or challenge_of(form.get("code_verifier", "")) != challenge):
                    state.log("refused authorization_code")
                    return self.reply(400, {"error": "invalid_grant"})
            elif kind == "refresh_token":
                token = form.get("refresh_token", "")
                if token not in state.refresh_tokens:
                    state.log("refused refresh_token")
                    return self.reply(400, {"error": "invalid_grant", "error_description": "revoked"})
                state.refresh_tokens.discard(token)
            else:
                return self.reply(400, {"error": "unsupported_grant_type"})
            self.reply(200, state.grant(kind))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dir", required=True)
    parser.add_argument("--client-id", default="vantrel-test")
    parser.add_argument("--lifetime", type=int, default=3600)
    arguments = parser.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.state = State(arguments.dir, arguments.client_id, arguments.lifetime)
    server.state.save_access_tokens()
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print("port", server.server_address[1], flush=True)
    for line in sys.stdin:
        if line.strip() == "revoke":
            with server.state.lock:
                server.state.refresh_tokens.clear()
            print("revoked", flush=True)
    server.shutdown()


if __name__ == "__main__":
    main()
