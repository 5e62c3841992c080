#!/bin/sh
# vantrel-cli.exe under Wine prints what the Linux vantrel-cli prints for the
# same documents, byte for byte but for the line ends, with the same exit
# status: every command on every sample document, plus a document in a
# folder and under a name outside Windows-1252.
#   windows_cli.sh WINDOWS_CLI_EXE LINUX_CLI
set -eu
windows=$1
linux=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
wine_run="$here/../../scripts/wine-run.sh"

mkdir -p "$work/Zoë/Выпуск"
cp "$here/../fuzz/corpus/document/sample.pre" "$work/Zoë/Выпуск/リリース €.pre"
failures=0
runs=0
for document in "$here"/../fuzz/corpus/document/*.pre "$work/Zoë/Выпуск/リリース €.pre"; do
    for command in "release" "release --heading" "receivers" "receivers --delimiter=newline" \
                   "mailto" "check --no-network"; do
        set +e
        # shellcheck disable=SC2086
        "$linux" $command "$document" >"$work/linux.out" 2>/dev/null
        linux_status=$?
        "$wine_run" "$windows" $command "Z:$(printf %s "$document" | tr / '\\\\')" >"$work/windows.out" 2>/dev/null
        windows_status=$?
        set -e
        runs=$((runs + 1))
        tr -d '\r' <"$work/windows.out" >"$work/windows.lf"
        if [ "$linux_status" != "$windows_status" ] || ! cmp -s "$work/linux.out" "$work/windows.lf"; then
            echo "DIFFERS: $command $(basename "$document") (exit $linux_status on Linux, $windows_status on Windows)"
            diff "$work/linux.out" "$work/windows.lf" | head -5 || true
            failures=$((failures + 1))
        fi
    done
done
echo "vantrel-cli.exe: $((runs - failures)) of $runs runs as on Linux"
[ "$failures" -eq 0 ]
