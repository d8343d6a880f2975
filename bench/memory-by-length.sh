#!/usr/bin/env bash
# Peak resident memory of the console commands on the comparison trace at 1 million and
# 10 million frames: memory that stays about the same shows the command streams.
# Usage: bench/memory-by-length.sh [BUILD_DIR]   (needs GNU time, /usr/bin/time)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
cli=${TARVIK_CLI:-$build/src/tarvik-cli}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for frames in 1000000 10000000; do
    python3 "$here/make-j1939-trace.py" "$work/trace$frames.log" "$work/trace$frames.pcap" "$frames" > /dev/null
done
"$cli" learn "$work/trace1000000.log" -o "$work/expected.tvsx" > /dev/null
peak() {
    /usr/bin/time -f %M "$@" > /dev/null 2> "$work/time.txt" || true
    tail -1 "$work/time.txt"
}
printf "%-24s %14s %14s\n" "Command" "1 M frames" "10 M frames"
for command in "decode" "decode --events" "faults" "stats" "inventory" "check" "convert"; do
    row=()
    for frames in 1000000 10000000; do
        trace=$work/trace$frames.log
        case $command in
            check) kb=$(peak "$cli" check --scheme "$work/expected.tvsx" "$trace") ;;
            convert) kb=$(peak "$cli" convert "$trace" -o "$work/out.blf") ;;
            decode*) kb=$(peak "$cli" $command -o "$work/out.csv" "$trace") ;;
            *) kb=$(peak "$cli" $command "$trace") ;;
        esac
        row+=("$((kb / 1024)) MB")
    done
    printf "%-24s %14s %14s\n" "$command" "${row[0]}" "${row[1]}"
done
