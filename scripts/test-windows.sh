#!/bin/sh
# Builds the Windows programs and their installer (scripts/build-windows.sh)
# and tests them under Wine in a private prefix that is removed afterwards:
# the core suite and the fuzz replays as Windows programs, vantrel-cli.exe
# against the Linux vantrel-cli and in the command line's send rows, the window's sign-in,
# the window opening and saving a document,
# and the installer installed and removed.
#   scripts/test-windows.sh [LINUX_BUILD]     (default: build)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
# One X server for the whole run: Wine's desktop process, started by the
# first program, keeps the display it found.
if [ -z "${VANTREL_WINDOWS_DISPLAY:-}" ]; then
    "$root/scripts/install-deps.sh"  # Xvfb and xdotool among them
    export VANTREL_WINDOWS_DISPLAY=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$@"
fi
linux_build=$(cd "${1:-$root/build}" && pwd)
build="${VANTREL_WINDOWS_BUILD:-$root/build-windows}"

"$root/scripts/build-windows.sh"

prefix=$(mktemp -d)
export WINEPREFIX="$prefix/wine"
trap 'WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
started=$(date +%s)
# One Wine server for the whole run: each program then starts in about a second.
mkdir -p "$WINEPREFIX"
wineserver -p 120
"$root/scripts/wine-run.sh" wineboot -i >/dev/null 2>&1
# Without a window manager Wine waits two seconds for each hidden window
# to be withdrawn; the GUI suite's windows are left unmanaged, which takes
# a test from about 2 s to a tenth of that. The window run keeps managed windows.
"$root/scripts/wine-run.sh" reg add 'HKCU\Software\Wine\AppDefaults\vantrel_gui_tests.exe\X11 Driver' \
    /v Managed /d N /f >/dev/null 2>&1

(cd "$build" && ctest --output-on-failure --timeout 300)
"$root/tests/e2e/windows_cli.sh" "$build/bin/vantrel-cli.exe" "$linux_build/src/cli/vantrel-cli"
# The command line's send rows, with the Linux test program starting its
# mail server (Debian's Python) and vantrel-cli.exe in place of the Linux one.
VANTREL_CLI_UNDER_TEST="$root/tests/support/wine-cli.sh" VANTREL_CLI_CRLF=1 \
VANTREL_WINDOWS_CLI="$build/bin/vantrel-cli.exe" \
    timeout 300 "$linux_build/tests/vantrel_core_tests" --gtest_filter='CliTest.Send*'
# And the sign-in's: login through the test browser, sending with the kept
# token, its renewal and revocation, with Windows' Credential Manager as the
# keyring (which always answers, so the row without a keyring stays Linux's).
VANTREL_CLI_UNDER_TEST="$root/tests/support/wine-cli.sh" VANTREL_CLI_CRLF=1 \
VANTREL_WINDOWS_CLI="$build/bin/vantrel-cli.exe" \
    timeout 300 "$root/tests/support/private-keyring.sh" "$linux_build/tests/vantrel_core_tests" \
    --gtest_filter='CliSignInTest.*:-CliSignInTest.WithoutAKeyring*'
# The window's sign-in and a send with it, its servers and browser outside Wine.
"$root/tests/e2e/windows_sign_in.sh" "$build/bin/vantrel_gui_tests.exe"
# Keys sent to Wine's windows are now and then lost before a window takes
# them; the window run gets three tries, and each failed one says why.
for try in 1 2 3; do
    (cd "$root/resources" &&
        "$root/tests/e2e/windows_window.sh" "$build/bin/vantrel.exe" "$root/tests/fuzz/corpus/document/sample.pre") &&
        break
    [ "$try" -lt 3 ] || exit 1
    echo "the window run failed; trying again"
    # A failed try may leave its window or dialog open: the next one starts
    # with no program of the prefix running.
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    wineserver -p 120
done
"$root/tests/e2e/windows_installer.sh" "$build/vantrel-setup.exe" "$root/tests/fuzz/corpus/document/sample.pre"
echo "Windows tests under Wine passed in $(($(date +%s) - started)) s"
