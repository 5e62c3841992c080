# Sourced by the scripts in bench/: need PACKAGE... installs the Debian
# packages that are missing (as root, or through sudo).
need() {
    missing=""
    for package in "$@"; do
        dpkg -s "$package" >/dev/null 2>&1 || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "bench: installing$missing" >&2
    if [ "$(id -u)" -eq 0 ]; then
        # shellcheck disable=SC2086
        apt-get install -y --no-install-recommends $missing >/dev/null
    else
        # shellcheck disable=SC2086
        sudo apt-get install -y --no-install-recommends $missing >/dev/null
    fi
}
