#!/bin/sh
# Runs a Windows program under Wine in a private prefix (WINEPREFIX, else
# one in the system's temporary folder per user), never in ~/.wine, with
# Wine's menu builder and browser off so that nothing reaches the desktop.
set -eu
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/vantrel-wine-$(id -u)}"
export WINEDLLOVERRIDES="winemenubuilder.exe=d;winebrowser.exe=d;mshtml=d;mscoree=d"
# Arguments and file names reach Wine as UTF-8.
export LC_ALL=C.UTF-8
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
