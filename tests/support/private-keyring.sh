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
    eval "$(printf %s vantrel-test | gnome-keyring-daemon --unlock --components=secrets)"
    export GNOME_KEYRING_CONTROL
    exec "$@"' sh "$@" || status=$?
exit $status
