#!/bin/sh
# Runs Generate, "Check Replies..." in the built program on a private X
# server against a Maildir of replies (a bounce, a delay, a complaint, an
# unsubscribe request, a thank-you and a bounce of someone else's mail), and
# saves pictures of where to read, of the findings, of them added to the
# do-not-send list, of the list itself and of Settings, Mail Server, also
# with an unsubscribe address it refuses.
# Usage: scripts/screenshot-replies.sh [build folder] [output folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
output="${2:-$build/screenshots-replies}"

if [ -z "${SCREENSHOT_INNER:-}" ]; then
    export SCREENSHOT_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build" "$output"
fi

sandbox=$(mktemp -d)
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
    rm -rf "$sandbox"
}
trap cleanup EXIT
mkdir -p "$sandbox/home/.config/Tarsel" "$sandbox/Maildir/cur" "$sandbox/Maildir/new" "$sandbox/Maildir/tmp" \
    "$output"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
unset XDG_CONFIG_HOME XDG_STATE_HOME
printf '[/]\nMailServer=smtps://smtp.acme.com\nMailUser=press@acme.com\nMailSender=Acme Press <press@acme.com>\n' \
    > "$HOME/.config/Tarsel/Vantrel.conf"

# report FILE KIND RECEIVER ACTION STATUS DIAGNOSTIC ID: a delivery status report.
report() {
    cat > "$sandbox/Maildir/new/$1" <<EOF
From: Mail Delivery System <MAILER-DAEMON@mx.example.net>
To: press@acme.com
Subject: Undelivered Mail Returned to Sender
Date: Mon, 07 Dec 2026 10:0$2:00 +0000
Message-ID: <report-$2@mx.example.net>
MIME-Version: 1.0
Content-Type: multipart/report; report-type=delivery-status; boundary="b1"

--b1
Content-Type: text/plain

Your message could not be delivered.
--b1
Content-Type: message/delivery-status

Reporting-MTA: dns; mx.example.net

Final-Recipient: rfc822; $3
Action: $4
Status: $5
Diagnostic-Code: smtp; $6
--b1
Content-Type: text/rfc822-headers

From: Acme Press <press@acme.com>
To: $3
Subject: Press release from Acme
Message-ID: <$7>
--b1--
EOF
}
report 1000000001.a.mx 1 gone@example.net failed 5.1.1 "550 5.1.1 <gone@example.net>: user unknown" \
    0123456789abcdef.1.vantrel@acme.com
report 1000000002.a.mx 2 full@example.com delayed 4.2.2 "452 4.2.2 mailbox full" \
    0123456789abcdef.2.vantrel@acme.com
report 1000000003.a.mx 3 old@example.net failed 5.1.1 "550 no such user" 20261201.somewhere@acme.com
cat > "$sandbox/Maildir/new/1000000004.a.mx" <<'EOF'
From: abuse@feedback.example.com
To: press@acme.com
Subject: Complaint about a message
Date: Mon, 07 Dec 2026 11:00:00 +0000
Message-ID: <arf-1@feedback.example.com>
MIME-Version: 1.0
Content-Type: multipart/report; report-type=feedback-report; boundary="f1"

--f1
Content-Type: text/plain

A receiver marked this message as spam.
--f1
Content-Type: message/feedback-report

Feedback-Type: abuse
User-Agent: Feedback/1.0
Version: 1
Original-Rcpt-To: <angry@example.com>

--f1
Content-Type: message/rfc822

From: Acme Press <press@acme.com>
To: angry@example.com
Subject: Press release from Acme
Message-ID: <0123456789abcdef.3.vantrel@acme.com>

The release.
--f1--
EOF
printf 'From: Lea Vance <leave@example.org>\nTo: press@acme.com\nSubject: unsubscribe\nDate: Mon, 07 Dec 2026 12:00:00 +0000\nMessage-ID: <u1@example.org>\n\nPlease take me off.\n' \
    > "$sandbox/Maildir/new/1000000005.a.mx"
printf 'From: Ann Lee <ann@example.org>\nTo: press@acme.com\nSubject: Re: Press release from Acme\nDate: Mon, 07 Dec 2026 13:00:00 +0000\n\nThanks, we will run it on Monday.\n' \
    > "$sandbox/Maildir/new/1000000006.a.mx"

snap() {  # snap WINDOW-NAME FILE: waits for the window, makes it paint, saves the screen
    win=$(timeout 60 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1)
    if [ -z "$win" ]; then
        echo "no window named $1"
        exit 1
    fi
    eval "$(xdotool getwindowgeometry --shell "$win")"
    xdotool windowmove "$win" "$X" 0
    sleep 0.5
    xwd -root -silent | convert xwd:- "$output/$2"
    echo "saved $output/$2"
}

(cd "$sandbox" && exec "$build/src/gui/vantrel") &
program_pid=$!
main=$(timeout 30 xdotool search --sync --onlyvisible --name 'Vantrel$' | head -n 1)
sleep 1
xdotool windowfocus --sync "$main"
# Generate: Email, Text File, Check everything, Send, Do-Not-Send List, Check Replies
xdotool key alt+g Down Down Down Down Down Return
snap "Check Replies" check-replies-source.png
# A Maildir folder: its mnemonic chooses it, Tab reaches its field, Return is OK.
xdotool key alt+f Tab
xdotool type --delay 10 "$sandbox/Maildir"
xdotool key Return
sleep 2
snap "Check Replies" check-replies-findings.png
xdotool key alt+a
sleep 1
snap "Check Replies" check-replies-added.png
xdotool key Escape
sleep 1
xdotool windowfocus --sync "$main"
xdotool key alt+g Down Down Down Down Return
snap "Do-Not-Send List" do-not-send-list.png
xdotool key Escape
sleep 1
xdotool windowfocus --sync "$main"
xdotool key alt+s Up Return
snap "Mail Server" mail-server.png
# From the server, Tab reaches the unsubscribe address past user, sender and pace.
xdotool key Tab Tab Tab Tab
xdotool type --delay 10 "http://acme.com/opt-out"
xdotool key Return
sleep 1
snap "Mail Server" mail-server-unsubscribe-refused.png
