#!/bin/sh
# Installs the Debian 12 packages that Vantrel needs: "run" what building,
# installing and running it take; "test" (the default) also what the tests,
# the fuzzers, the benchmarks and the screenshots take.
set -eu

RUN_PACKAGES="cmake g++ make pkg-config libwxgtk3.2-dev libgtk-3-dev libcurl4-openssl-dev
nlohmann-json3-dev libsecret-1-dev groff xdg-utils fonts-dejavu-core fonts-liberation shared-mime-info desktop-file-utils"
TEST_PACKAGES="libgtest-dev libbenchmark-dev xvfb xauth xdotool xclip x11-apps imagemagick
clang libclang-rt-14-dev python3 python3-aiosmtpd openssl gnome-keyring dbus-daemon dbus-bin
exim4-daemon-light sway wtype wl-clipboard grim dovecot-imapd"

case "${1:-test}" in
    run) PACKAGES="$RUN_PACKAGES" ;;
    test) PACKAGES="$RUN_PACKAGES $TEST_PACKAGES" ;;
    *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac

missing=""
for package in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing="$missing $package"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
echo "Installing:$missing"
$SUDO apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
