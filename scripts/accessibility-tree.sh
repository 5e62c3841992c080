#!/bin/sh
# Prints what a screen reader finds in the built program's window over
# AT-SPI: each field's role, name, description and the label it is
# labelled by, and the status line. Needs Debian's python3-pyatspi and
# dbus (dbus-run-session); runs on a private X server with a fresh home.
# Usage: scripts/accessibility-tree.sh [build folder]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)

if [ -z "${A11Y_INNER:-}" ]; then
    export A11Y_INNER=1
    exec dbus-run-session -- xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

sandbox=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null; rm -rf "$sandbox"' EXIT
mkdir -p "$sandbox/home"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory GTK_MODULES=gail:atk-bridge
unset NO_AT_BRIDGE XDG_CONFIG_HOME
"$build/src/gui/vantrel" &
pid=$!
timeout 30 xdotool search --sync --onlyvisible --name 'Vantrel$' >/dev/null
sleep 1
/usr/bin/python3 - <<'PYTHON'
import pyatspi

def walk(node, depth):
    role = node.getRoleName()
    if role in ("menu item", "check menu item", "menu", "menu bar"):
        return
    labels = [r.getTarget(0).name for r in node.getRelationSet()
              if r.getRelationType() == pyatspi.RELATION_LABELLED_BY]
    print("  " * depth + role, repr(node.name), repr(node.description),
          "labelled by " + repr(labels[0]) if labels else "")
    for child in node:
        if child is not None:
            walk(child, depth + 1)

for app in pyatspi.Registry.getDesktop(0):
    if app is not None and app.name == "vantrel":
        walk(app, 0)
PYTHON
