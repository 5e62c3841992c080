#!/bin/sh
# Stands in for the Linux vantrel-cli in the command line's tests: runs
# vantrel-cli.exe (VANTREL_WINDOWS_CLI) under Wine with the same arguments,
# absolute paths turned into Windows paths on drive Z:. Its ledgers
# (%LOCALAPPDATA%\vantrel, which Wine sets from the prefix, whatever the
# environment says) lie through a link in the test's XDG state folder, so
# that each test keeps its own. Wine's program takes this process's place,
# so a test that kills it kills the Windows program.
set -eu
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }
state="${XDG_STATE_HOME:-$HOME/.local/state}/vantrel"
mkdir -p "$state" 2>/dev/null || true  # a state "folder" that is a file stays one
# The prefix that scripts/wine-run.sh runs the program in.
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/vantrel-wine-$(id -u)}"
local_data="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local"
mkdir -p "$local_data"
rm -rf "$local_data/vantrel"  # the link of the test before, or a folder
ln -s "$state" "$local_data/vantrel"
count=$#
while [ "$count" -gt 0 ]; do
    argument=$1
    shift
    case "$argument" in
        /*) argument=$(windows_path "$argument") ;;
        --*=/*) argument="${argument%%=*}=$(windows_path "${argument#*=}")" ;;
    esac
    set -- "$@" "$argument"
    count=$((count - 1))
done
exec "$(dirname "$0")/../../scripts/wine-run.sh" "$VANTREL_WINDOWS_CLI" "$@"
