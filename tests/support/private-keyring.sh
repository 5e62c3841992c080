#!/bin/sh
# Runs a program against a GNOME Keyring of its own: a private D-Bus session,
# a throw-away HOME and a login keyring unlocked with a known password, so
# that neither the user's keyring nor their files are reached.
# VANTREL_KEYRING_HOME tells the program where the keyring keeps its files.
#   tests/support/private-keyring.sh PROGRAM [ARGUMENT...]
set -eu
home=$(mktemp -d "${TMPDIR:-/tmp}/vantrel-keyring-XXXXXX")
trap 'rm -rf "$home"' EXIT
mkdir -m 700 "$home/runtime"
export HOME="$home" XDG_DATA_HOME="$home/.local/share" XDG_CONFIG_HOME="$home/.config" \
    XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/runtime" VANTREL_KEYRING_HOME="$home"
# No display: the keyring's prompts must fail rather than open on a real
# desktop, and D-Bus must not be started through X11.
unset DISPLAY WAYLAND_DISPLAY DBUS_SESSION_BUS_ADDRESS GNOME_KEYRING_CONTROL
status=0
dbus-run-session -- sh -c '
    printf %s vantrel-test |
        gnome-keyring-daemon --foreground --unlock --components=secrets >/dev/null 2>&1 &
    keyring=$!
    # The program starts once the keyring holds its name on the bus; before
    # that, its first call would have the bus start a second one.
    tries=0
    until dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null |
            grep -q "boolean true"; do
        tries=$((tries + 1))
        if [ "$tries" -ge 100 ]; then
            echo "GNOME Keyring did not start" >&2
            kill "$keyring"
            exit 1
        fi
        sleep 0.1
    done
    status=0
    "$@" || status=$?
    # Ended here, not left to notice the bus going: a keyring that outlives
    # its session keeps the folder alive.
    kill "$keyring"
    wait "$keyring" 2>/dev/null
    exit $status' sh "$@" || status=$?
exit $status
