#!/bin/sh
# The window's sign-in under Wine: Settings, Mail Server signs in through
# the browser and the send uses the sign-in, in vantrel_gui_tests.exe. A
# Windows program under Wine cannot wait for Debian's Python, so the
# authorization server, the mail server (tokens only) and the test browser
# run here, and the test finds them through VANTREL_OUTSIDE_*.
#   windows_sign_in.sh WINDOWS_GUI_TESTS_EXE
set -eu
tests=$1
here=$(cd "$(dirname "$0")" && pwd)
support="$here/../support"
work=$(mktemp -d)
pids=""
trap 'for pid in $pids; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"' EXIT
mkdir -p "$work/oauth" "$work/mail" "$work/desktop"
: >"$work/desktop/launches.log"

# Each server says "port N" and runs until its standard input closes: the
# input is a pipe this script holds open until it ends.
mkfifo "$work/oauth.in" "$work/mail.in"
/usr/bin/python3 -W ignore "$support/oauth_server.py" --dir "$work/oauth" <"$work/oauth.in" >"$work/oauth.out" 2>"$work/oauth.err" &
pids="$pids $!"
exec 4>"$work/oauth.in"
/usr/bin/python3 -W ignore "$support/smtp_server.py" --dir "$work/mail" --oauth "$work/oauth/access-tokens" \
    <"$work/mail.in" >"$work/mail.out" 2>"$work/mail.err" &
pids="$pids $!"
exec 5>"$work/mail.in"
port_of() {
    for _ in $(seq 100); do
        grep -q "^port " "$work/$1.out" 2>/dev/null && break
        sleep 0.1
    done
    sed -n 's/^port //p' "$work/$1.out"
}
oauth_port=$(port_of oauth)
mail_port=$(port_of mail)
[ -n "$oauth_port" ] && [ -n "$mail_port" ] || { cat "$work"/*.err; echo "FAILED: the servers did not start"; exit 1; }
/usr/bin/python3 "$support/test_browser.py" "$work/desktop/launches.log" >"$work/pages" 2>"$work/browser" &
pids="$pids $!"

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
status=0
VANTREL_OUTSIDE_OAUTH="http://127.0.0.1:$oauth_port" VANTREL_OUTSIDE_MAIL="smtp://127.0.0.1:$mail_port" \
VANTREL_OUTSIDE_MAIL_DIR="$(windows_path "$work/mail")" VANTREL_OUTSIDE_DESKTOP="$(windows_path "$work/desktop")" \
    timeout 300 "$here/../../scripts/wine-run.sh" "$tests" --gtest_filter='MailSignInWindowsTest.*' || status=$?
if [ "$status" -ne 0 ] || ! grep -q "^200$" "$work/pages"; then
    cat "$work/browser" "$work/oauth.err" "$work/mail.err" 2>/dev/null || true
    echo "FAILED: the window's sign-in under Wine (status $status)"
    exit 1
fi
echo "the window signed in through the browser and sent with the sign-in under Wine"
