#!/bin/sh
# Cross-builds Vantrel for 64-bit Windows with Debian's MinGW-w64: installs
# the cross compiler, Wine and NSIS, builds wxMSW (static), libpng and curl
# (Schannel, as a DLL loaded on the first probe) once into a cache folder
# named after their versions, then the project into build-windows.
#   scripts/build-windows.sh          dependencies, project and installer
#   scripts/build-windows.sh deps     only the dependencies
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build="${VANTREL_WINDOWS_BUILD:-$root/build-windows}"
host=x86_64-w64-mingw32

# Versions that the archive itself holds (the security pocket may list a
# source it does not serve).
WX_SOURCE=wxwidgets3.2=3.2.2+dfsg-2
PNG_SOURCE=libpng1.6=1.6.39-2+deb12u5
CURL_SOURCE=curl=7.88.1-10+deb12u15
deps="${XDG_CACHE_HOME:-$HOME/.cache}/vantrel/mingw-wx3.2.2-2-png1.6.39-2u5-curl7.88.1-10u15"

PACKAGES="g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
binutils-mingw-w64-x86-64 libz-mingw-w64-dev googletest wine wine64 nsis dpkg-dev icoutils
imagemagick cmake make pkg-config xz-utils groff fonts-liberation"

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

install_packages() {
    missing=""
    for package in $PACKAGES; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    $SUDO apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
}

# The sources come from Debian's archive through apt.
fetch_source() {
    if ! apt-cache showsrc "${1%%=*}" 2>/dev/null | grep -q '^Package:'; then
        $SUDO tee /etc/apt/sources.list.d/vantrel-deb-src.sources >/dev/null <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
        $SUDO apt-get update -qq
    fi
    apt-get source -qq "$1" >/dev/null 2>&1 || apt-get source "$1"
}

build_dependencies() {
    [ -f "$deps/complete" ] && return 0
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    mkdir -p "$deps"
    cd "$work"
    jobs="-j2"
    export CPPFLAGS="-I$deps/include" LDFLAGS="-L$deps/lib"

    # Each library once: a stage that finished leaves its stamp.
    [ -f "$deps/png.done" ] || { fetch_source "$PNG_SOURCE"
    (cd libpng1.6-*/ && ./configure -q --host=$host --prefix="$deps" --disable-shared \
        --enable-static && nice -n 10 make -s $jobs && make -s install) && touch "$deps/png.done"; }

    [ -f "$deps/curl.done" ] || { fetch_source "$CURL_SOURCE"
    # A DLL of its own, so that the program starts without it.
    (cd curl-*/ && ./configure -q --host=$host --prefix="$deps/curl" --with-schannel --without-openssl \
        --enable-shared --disable-static --without-libpsl --without-brotli --without-zstd \
        --without-libidn2 --without-nghttp2 --without-librtmp --without-libssh2 \
        --disable-ldap --disable-ldaps --disable-manual --disable-docs \
        LDFLAGS="$LDFLAGS -static-libgcc" &&
     nice -n 10 make -s $jobs -C lib && make -s -C lib install && make -s -C include install) && touch "$deps/curl.done"; }

    fetch_source "$WX_SOURCE"
    # Debian's tarball drops the bundled zlib and libpng: the system's
    # MinGW zlib and the libpng above take their place.
    (cd wxwidgets3.2-*/ && ./configure -q --host=$host --prefix="$deps" --with-msw \
        --disable-shared --enable-unicode --with-zlib=sys --with-libpng=sys \
        --without-libjpeg --without-libtiff --without-expat --without-liblzma --without-opengl \
        --disable-xrc --disable-html --disable-aui --disable-stc \
        --disable-richtext --disable-propgrid --disable-ribbon --disable-webview \
        --disable-mediactrl --disable-webrequest --disable-tests &&
     nice -n 10 make $jobs >/dev/null && make -s install >/dev/null)

    touch "$deps/complete"
    cd "$root"
}

install_packages
started=$(date +%s)
build_dependencies
echo "Windows dependencies ready in $deps ($(($(date +%s) - started)) s)"
[ "${1:-all}" = deps ] && exit 0

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/MinGW-w64.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DVANTREL_DEPS="$deps" -DVANTREL_BUILD_BENCH=OFF >/dev/null
nice -n 10 cmake --build "$build" -j2
nice -n 10 cmake --build "$build" --target installer
echo "Windows build in $build, installer $build/vantrel-setup.exe"
