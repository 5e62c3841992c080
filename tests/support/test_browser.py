#!/usr/bin/python3
"""Plays the user's browser in a sign-in: reads the authorization URL from
the first line of FILE that begins with http (waiting for it to appear),
asks the authorization server, which sends it back to the redirect URI with
a code and the state, and follows that once, or twice with --twice. --state
puts another state in place of the server's; --error answers with an error
instead of the code. Prints what each visit of the redirect got: the HTTP
status, or "refused" when nobody listened.
"""
import argparse
import http.client
import sys
import time
import urllib.parse


def authorization_url(path):
    # The program prints the URL before it waits; it is there within its start.
    for _ in range(600):
        with open(path) as lines:
            for line in lines:
                if line.startswith("http"):
                    return line.strip()
        time.sleep(0.1)
    sys.exit("no authorization URL in " + path)


def get(url):
    parts = urllib.parse.urlsplit(url)
    connection = http.client.HTTPConnection(parts.hostname, parts.port, timeout=60)
    try:
        connection.request("GET", parts.path + ("?" + parts.query if parts.query else ""))
        response = connection.getresponse()
        response.read()
        return response.status, response.getheader("Location")
    except ConnectionError:
        return "refused", None
    finally:
        connection.close()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("file")
    parser.add_argument("--state")
    parser.add_argument("--error")
    parser.add_argument("--twice", action="store_true")
    arguments = parser.parse_args()
    status, location = get(authorization_url(arguments.file))
    if status != 302:
        sys.exit("the authorization server answered %s" % status)
    parts = urllib.parse.urlsplit(location)
    query = dict(urllib.parse.parse_qsl(parts.query))
    if arguments.state is not None:
        query["state"] = arguments.state
    if arguments.error:
        query = {"error": arguments.error, "state": query["state"]}
    target = urllib.parse.urlunsplit(parts._replace(query=urllib.parse.urlencode(query)))
    for _ in range(2 if arguments.twice else 1):
        print(get(target)[0], flush=True)


if __name__ == "__main__":
    main()
