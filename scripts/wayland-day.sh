#!/bin/sh
# A user's day with the real program as a Wayland client: a headless sway
# (wlroots) as the compositor, keys typed with wtype, the clipboard read with
# wl-paste, pictures taken with grim. It opens a draft, types the product's
# name and version, saves the document with Ctrl+S through the file dialog,
# copies the version with Ctrl+A Ctrl+C and reads it back from the Wayland
# clipboard, and quits with Ctrl+Q. Whatever the program prints on its
# standard error fails the day: a GTK critical or warning is a fault.
#
# sway will not run as root: as root, the day runs as the unprivileged user
# vantrel-wayland, made here when it is missing. Every run has its own
# XDG_RUNTIME_DIR and HOME in a temporary folder. The pictures of the day
# (and of a failing step) are left in ARTIFACTS.
# Usage: scripts/wayland-day.sh [PROGRAM] [ARTIFACTS]
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/src/gui/vantrel}")
artifacts="${2:-$root/build/wayland-artifacts}"
day_user=vantrel-wayland

for tool in sway wtype wl-paste grim swaymsg; do
    command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done
[ -x "$program" ] || { echo "no program at $program" >&2; exit 1; }

if [ -z "${WAYLAND_DAY_SANDBOX:-}" ]; then
    sandbox=$(mktemp -d)
    chmod 755 "$sandbox"
    mkdir -p "$artifacts"
    trap 'cp "$sandbox"/shots/*.png "$artifacts"/ 2>/dev/null; rm -rf "$sandbox"' EXIT
    mkdir -p "$sandbox/day" "$sandbox/shots"
    if [ "$(id -u)" -eq 0 ]; then
        id "$day_user" >/dev/null 2>&1 ||
            useradd --system --user-group --no-create-home --home-dir /nonexistent \
                --shell /usr/sbin/nologin "$day_user" || exit 1
        chown "$day_user:" "$sandbox/day" "$sandbox/shots"
        # The build may lie where that user cannot reach (a clone under
        # /root); the program needs nothing beside itself.
        cp "$program" "$sandbox/vantrel"
        program="$sandbox/vantrel"
        run_as="setpriv --reuid=$day_user --regid=$day_user --init-groups"
    else
        run_as=""
    fi
    # A sanitized build keeps its options, its suppressions copied where
    # the day's user can read them.
    suppressions=$(printf %s "${LSAN_OPTIONS:-}" | sed -n 's/.*suppressions=\([^:]*\).*/\1/p')
    if [ -n "$suppressions" ] && [ -r "$suppressions" ]; then
        cp "$suppressions" "$sandbox/lsan.supp"
        chmod 644 "$sandbox/lsan.supp"
        LSAN_OPTIONS=$(printf %s "$LSAN_OPTIONS" | sed "s|suppressions=[^:]*|suppressions=$sandbox/lsan.supp|")
    fi
    # A clean environment: nothing of the caller's desktop reaches the day.
    $run_as env -i PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 WAYLAND_DAY_SANDBOX="$sandbox" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        "$0" "$program" "$artifacts"
    exit $?
fi

# --- from here on as the unprivileged user
sandbox="$WAYLAND_DAY_SANDBOX/day"
shots="$WAYLAND_DAY_SANDBOX/shots"
mkdir -p "$sandbox/runtime" "$sandbox/home" "$sandbox/work" "$sandbox/docs"
chmod 700 "$sandbox/runtime"
export XDG_RUNTIME_DIR="$sandbox/runtime" HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
export XDG_CONFIG_DIRS="$sandbox/no-system-settings"
compositor_pid=""
keyboard_pid=""
pid=""
cleanup() {
    for process in "$pid" "$keyboard_pid" "$compositor_pid"; do
        [ -n "$process" ] && kill "$process" 2>/dev/null
    done
    wait 2>/dev/null
}
trap cleanup EXIT
step="start"

fail() {
    grim "$shots/wayland-day-failed-at-$(echo "$step" | tr ' ' '-').png" 2>/dev/null
    echo "FAILED at $step: $*"
    [ -s "$sandbox/program.log" ] && sed 's/^/  program: /' "$sandbox/program.log" | head -20
    exit 1
}

# --- the compositor: headless, no input devices, but a seat (seat0), which
# gets the virtual keyboards that wtype makes. A seat is what GTK needs: it
# looks up the keymap through the seat's keyboard from gtk_init on (its key
# bindings, text views, menu accelerators), and a compositor without any
# seat, such as weston's headless backend, makes every GTK program print
# "gdk_seat_get_keyboard: assertion 'GDK_IS_SEAT (seat)' failed", twelve
# times for this window, before and beside any code of the program's own.
cat > "$sandbox/sway.conf" <<'CONFIG'
output HEADLESS-1 resolution 1280x1024
# Windows keep the size they ask for, as on a desktop, and not the output's.
for_window [title=".*"] floating enable
CONFIG
WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$sandbox/sway.conf" > "$sandbox/sway.log" 2>&1 &
compositor_pid=$!
for _ in $(seq 1 100); do
    [ -S "$XDG_RUNTIME_DIR/wayland-1" ] && break
    sleep 0.1
done
[ -S "$XDG_RUNTIME_DIR/wayland-1" ] || { cat "$sandbox/sway.log"; fail "no compositor"; }
export WAYLAND_DISPLAY=wayland-1 GDK_BACKEND=wayland
SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock)
export SWAYSOCK

# Each wtype is a keyboard of its own with a keymap of just the keys it
# types, and GTK goes on matching shortcuts with the keymap it saw first: so
# every wtype here lists the same keys first (as releases of keys not held,
# which nothing acts on), and they all keep their key codes. One of them stays
# for the whole day: were each wtype the seat's only keyboard, the seat would
# gain its keyboard with it, and the first key would reach the program before
# the program knew of any keyboard, and be lost.
same_keymap=""
for key in a b c d e f g h i j k l m n o p q r s t u v w x y z A B C D E F G H I J K L M N O P Q R S T \
    U V W X Y Z 0 1 2 3 4 5 6 7 8 9 period slash minus underscore Tab Return; do
    same_keymap="$same_keymap -p $key"
done
# shellcheck disable=SC2086
keys() { wtype $same_keymap "$@"; }
# shellcheck disable=SC2086
wtype $same_keymap -s 2000000 >/dev/null 2>&1 &
keyboard_pid=$!

site="https://www.example.com/notely"

record() { printf '%d %s' "$(printf '%s' "$1" | wc -c)" "$1"; }
document() {  # document NAME VERSION: the draft, or the day's document
    record "$1"; record "$2"; record "29.95 USD"; record "Linux"; record "$site/press.png"
    record "Takes notes fast and keeps them in sync on every computer you own."
    record 25; record ""; record "$site"; record 1; record 0; record 30
    record "Tarsel Software"; record "Ada Moor"; record "ada.moor@example.org"; record 0
    printf '35 news@example.com\r\neditor@example.net'
}

# --- bounded waits
window_titled() {  # window_titled TITLE: whether sway shows a window of that title
    swaymsg -t get_tree 2>/dev/null | grep -q "\"name\": \"$1\""
}
wait_for_window() {
    for _ in $(seq 1 150); do
        window_titled "$1" && { sleep 0.5; return 0; }
        sleep 0.2
    done
    fail "no window \"$1\""
}
wait_for_file() {  # wait_for_file FILE: until FILE is there and not empty, at most 30 s
    for _ in $(seq 1 150); do
        [ -s "$1" ] && return 0
        sleep 0.2
    done
    fail "no $1"
}
same_bytes() {  # same_bytes FILE EXPECTED-FILE WHAT
    cmp -s "$1" "$2" || { diff "$2" "$1" | head -20; fail "$3 differs"; }
}
shoot() { grim "$shots/wayland-day-$1.png" || fail "no picture"; }

# --- the day
step="start"
document "" "" > "$sandbox/docs/draft.pre"
(cd "$sandbox/work" && exec "$program" "$sandbox/docs/draft.pre" 2> "$sandbox/program.log") &
pid=$!
wait_for_window "draft.pre – Vantrel"

step="typing"
keys "Notely"
keys -k Tab
keys "2.1"
wait_for_window "\\*draft.pre – Vantrel"
shoot typed

step="save"
keys -M ctrl -k s -m ctrl
wait_for_window "Save Press Release"
shoot save-dialog
keys -M ctrl -k a -m ctrl
keys "$sandbox/docs/launch"
sleep 1  # the chooser completes a typed path in the background
# The button's Alt+S: a Return typed by wtype never reaches the chooser's
# default button under sway, while it does under X.
keys -M alt -k s -m alt
wait_for_file "$sandbox/docs/launch.pre"
document "Notely" "2.1" > "$sandbox/expected.pre"
wait_for_window "launch.pre – Vantrel"
same_bytes "$sandbox/docs/launch.pre" "$sandbox/expected.pre" "the saved document"

# Generate, Email is left out: under sway, keys typed by wtype reach GTK's
# menu bar (F10, Right) but not the menu it drops down, and the seat has
# no pointer to click with.
step="copy"
keys -M ctrl -k a -k c -m ctrl
sleep 0.5
printf '2.1' > "$sandbox/expected-copy.txt"
timeout 10 wl-paste --no-newline > "$sandbox/clipboard.txt" || fail "nothing on the clipboard"
same_bytes "$sandbox/clipboard.txt" "$sandbox/expected-copy.txt" "the clipboard"
shoot saved

step="quit with ctrl+q"
keys -M ctrl -k q -m ctrl
for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.2
done
kill -0 "$pid" 2>/dev/null && fail "the program did not end"
wait "$pid"
status=$?
pid=""
[ "$status" -eq 0 ] || fail "the program ended with status $status"

step="what the program printed"
[ -s "$sandbox/program.log" ] && fail "the program printed on its standard error"
echo "a day on Wayland went as planned"
