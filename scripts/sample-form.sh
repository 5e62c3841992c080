# Sourced by the screenshot scripts: a complete form whose web page and
# image a local web server (python3 -m http.server on 127.0.0.1) serves.

# serve_sample_site FOLDER PAGE: serves a page and an image from FOLDER; sets
# site (the server's URL) and server_pid.
serve_sample_site() {
    mkdir -p "$1"
    head -c 3000 /dev/zero | tr '\0' 'p' > "$1/$2"
    head -c 80000 /dev/zero | tr '\0' 'i' > "$1/notely.png"
    port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
    python3 -m http.server "$port" --bind 127.0.0.1 --directory "$1" >/dev/null 2>&1 &
    server_pid=$!
    site="http://127.0.0.1:$port"
}

record() { printf '%d %s' "$(printf '%s' "$1" | wc -c)" "$1"; }

# write_sample_document FILE VERSION PRICE OS PAGE CONTACT EMAIL [RECEIVERS]:
# the form as a document of 17 length-prefixed records.
write_sample_document() {
    {
        record "Notely"; record "$2"; record "$3"; record "$4"; record "$site/notely.png"
        record "Takes notes fast and keeps them in sync on every computer you own."
        record 25; record ""; record "$site/$5"; record 1; record 0; record 30
        record "Tarsel Soft"; record "$6"; record "$7"; record 0; record "${8:-}"
    } > "$1"
}
