#!/bin/sh
# A user's whole day with the real program, driven from outside with
# xdotool only: fill the form by clicking and typing, check it, save it
# through the file dialog, quit, start again, generate the text file and
# the e-mail draft, export the receivers, quit. A web server on 127.0.0.1
# serves the product's page and an 800 x 600 press image; a recording
# xdg-open stands first on PATH. A failing step leaves a screenshot in
# ARTIFACTS.
# Usage: user_day.sh PROGRAM ARTIFACTS [XDG_CONFIG_DIRS]
set -u
program="$1"
artifacts="$2"
config_dirs="${3:-}"

sandbox=$(mktemp -d)
server_pid=""
pid=""
cleanup() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null
    rm -rf "$sandbox"
}
trap cleanup EXIT
mkdir -p "$sandbox/home" "$sandbox/work" "$sandbox/site" "$sandbox/bin" "$sandbox/docs" "$artifacts"
export HOME="$sandbox/home" GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1 no_proxy=127.0.0.1
unset XDG_CONFIG_HOME XDG_CACHE_HOME
export XDG_CONFIG_DIRS="${config_dirs:-$sandbox/no-system-settings}"
step="start"

fail() {
    shot="$artifacts/user-day-failed-at-$(echo "$step" | tr ' ' '-').png"
    xwd -root -silent | convert xwd:- "$shot" 2>/dev/null
    echo "FAILED at $step: $*"
    echo "screenshot: $shot"
    exit 1
}

# --- the world around the program
head -c 3000 /dev/zero | tr '\0' 'p' > "$sandbox/site/notely.html"
convert -size 800x600 -seed 7 plasma:steelblue-white "$sandbox/site/press.png" || fail "no image"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
python3 -m http.server "$port" --bind 127.0.0.1 --directory "$sandbox/site" >/dev/null 2>&1 &
server_pid=$!
site="http://127.0.0.1:$port"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s/launches.log"\n' "$sandbox" > "$sandbox/bin/xdg-open"
chmod +x "$sandbox/bin/xdg-open"
export PATH="$sandbox/bin:$PATH"

# --- bounded waits
window_named() {  # window_named TITLE: the id of the visible window, or nothing after 30 s
    timeout 30 xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1
}
wait_for_window() {
    found=$(window_named "$1")
    [ -n "$found" ] || fail "no window \"$1\""
    echo "$found"
}
type_into_file_dialog() {  # type_into_file_dialog TITLE PATH: the name field has the focus
    dialog=$(wait_for_window "$1")
    sleep 1  # the chooser reads the folder before it takes keys
    xdotool windowfocus --sync "$dialog"
    xdotool type --delay 5 "$2"
    sleep 1  # its completion of the typed path runs in the background
    xdotool key Return
}
wait_for_lines() {  # wait_for_lines FILE N: until FILE has N lines, at most 30 s
    for _ in $(seq 1 150); do
        [ -f "$1" ] && [ "$(wc -l < "$1")" -ge "$2" ] && return 0
        sleep 0.2
    done
    fail "$1 did not get $2 lines"
}
wait_for_exit() {
    for _ in $(seq 1 100); do
        if ! kill -0 "$pid" 2>/dev/null; then
            wait "$pid"
            status=$?
            pid=""
            [ "$status" -eq 0 ] || fail "the program ended with status $status"
            return 0
        fi
        sleep 0.2
    done
    fail "the program did not end"
}
start_program() {  # start_program TITLE: the main window's title as it should read
    (cd "$sandbox/work" && exec "$program") &
    pid=$!
    # xdotool cannot match a title with characters beyond Latin-1 (the dash
    # of "launch.pre – Vantrel"): find the program's window, then read it.
    main=$(timeout 30 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n 1)
    [ -n "$main" ] || fail "no window of the program"
    [ "$(xdotool getwindowname "$main")" = "$1" ] || fail "the title is \"$(xdotool getwindowname "$main")\""
    sleep 1
    focus_main
}
focus_main() { xdotool windowfocus --sync "$main"; sleep 0.2; }
click_field() {  # click_field X Y: a field's place in the form, below the menu bar
    xdotool mousemove --window "$main" $(($1 + 5)) $(($2 + 10 + menu_bar)) click 1
    sleep 0.2
}
type_into() {  # type_into X Y TEXT: replaces the field's text
    click_field "$1" "$2"
    xdotool key ctrl+a
    xdotool type --delay 5 "$3"
}
same_bytes() {  # same_bytes FILE EXPECTED-FILE WHAT
    cmp -s "$1" "$2" || { diff "$2" "$1" | head -20; fail "$3 differs"; }
}

# --- morning: fill the form, check it, save it
step="first start"
start_program Vantrel
menu_bar=27

step="filling the form"
type_into 20 38 "Notely"
type_into 190 38 "2.1"
click_field 260 38
xdotool type --delay 5 "Takes notes fast and keeps them in sync on every computer you own."
click_field 550 38
xdotool type --delay 5 "news@example.com"
xdotool key Return
xdotool type --delay 5 "editor@example.net"
click_field 20 92                      # Type of product: Utility, the 26th entry
sleep 0.5
xdotool key --delay 20 $(printf 'Down %.0s' $(seq 1 25)) Return
sleep 0.3
type_into 20 146 "$site/notely.html"
type_into 20 200 "$site/press.png"
type_into 20 254 "29.95 USD"
type_into 120 254 "Linux"
type_into 20 308 "ada.moor@example.org"
click_field 260 305                    # Trial/demo?
type_into 460 308 "30"
type_into 20 362 "Tarsel Software"
type_into 260 362 "Ada Moor"

step="check everything"
focus_main
xdotool key alt+g Down Down Return
check=$(window_named Check)
[ -n "$check" ] || fail "no \"Check\" box"
xdotool windowfocus --sync "$check"
xdotool key Return

step="save"
focus_main
xdotool key ctrl+s
type_into_file_dialog "Save Press Release" "$sandbox/docs/launch"
for _ in $(seq 1 50); do [ -f "$sandbox/docs/launch.pre" ] && break; sleep 0.2; done
record() { printf '%d %s' "$(printf '%s' "$1" | wc -c)" "$1"; }
{
    record "Notely"; record "2.1"; record "29.95 USD"; record "Linux"; record "$site/press.png"
    record "Takes notes fast and keeps them in sync on every computer you own."
    record 25; record ""; record "$site/notely.html"; record 1; record 0; record 30
    record "Tarsel Software"; record "Ada Moor"; record "ada.moor@example.org"; record 0
    printf '35 news@example.com\r\neditor@example.net'
} > "$sandbox/expected.pre"
same_bytes "$sandbox/docs/launch.pre" "$sandbox/expected.pre" "the saved document"

step="quit with ctrl+q"
focus_main
xdotool key ctrl+q
wait_for_exit

# --- afternoon: the document is back; deliver the release
step="second start"
start_program "launch.pre – Vantrel"   # the document's name in the title

cat > "$sandbox/release.txt" <<RELEASE
For Immediate Release
Contact: Ada Moor <ada.moor@example.org>
$site/notely.html

Tarsel Software have released version 2.1 of Notely.
Notely is a utility for Linux.
Version 2.1 contains the following features.

Takes notes fast and keeps them in sync on every computer you own.

Notely 2.1 costs 29.95 USD and is available from $site/notely.html.
A 30 day trial version is available.

###
Press image: $site/press.png
RELEASE

step="text file"
xdotool key alt+g Down Return
wait_for_lines "$sandbox/launches.log" 1
release_file=$(sed -n 1p "$sandbox/launches.log")
{ printf 'Press release from Tarsel Software\n\n'; cat "$sandbox/release.txt"; printf '\n'; } > "$sandbox/expected.txt"
same_bytes "$release_file" "$sandbox/expected.txt" "the release file $release_file"

step="email"
focus_main
xdotool key alt+g Return
wait_for_lines "$sandbox/launches.log" 2
request=$(sed -n 2p "$sandbox/launches.log")
expected="mailto:ada.moor@example.org?bcc=news@example.com;%20editor@example.net&subject=Press%20release%20from%20Tarsel%20Software&body=Click%20here.%20Then%20press%20control-a%20followed%20by%20control-v."
[ "$request" = "$expected" ] || fail "the request was $request"
xclip -o -selection clipboard > "$sandbox/clipboard.txt" || fail "nothing on the clipboard"
same_bytes "$sandbox/clipboard.txt" "$sandbox/release.txt" "the clipboard"

step="export receivers"
focus_main
xdotool key alt+s Return
type_into_file_dialog "Export email addresses" "$sandbox/docs/press list"
for _ in $(seq 1 50); do [ -f "$sandbox/docs/press list.csv" ] && break; sleep 0.2; done
printf 'news@example.com; editor@example.net' > "$sandbox/expected.csv"
same_bytes "$sandbox/docs/press list.csv" "$sandbox/expected.csv" "the exported list"

step="quit with File, Exit"
focus_main
xdotool key alt+f Down Down Down Return
wait_for_exit
echo "a whole day with $program went as planned"
