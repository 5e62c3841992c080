#!/bin/sh
# Installs every Debian 12 package that building, running and testing need.
set -eu

PACKAGES="cmake g++ make pkg-config libwxgtk3.2-dev libgtk-3-dev libcurl4-openssl-dev libgtest-dev libbenchmark-dev
groff xdg-utils fonts-dejavu-core
xvfb xauth xdotool xclip x11-apps imagemagick clang libclang-rt-14-dev"

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
