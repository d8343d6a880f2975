#!/usr/bin/env bash
# Times three J1939 decoders on the same deterministic trace and prints frames/s and ratios:
#   tarvik-cli decode (every parameter of every message, as CSV rows),
#   tshark with Wireshark's J1939 dissector (fields per frame) on the same frames as pcap,
#   python-can's log reader with canmatrix decoding each message by the exported DBC.
# Usage: bench/compare-decoders.sh [BUILD_DIR] [FRAMES]   (defaults: build, 1000000)
# Needs tshark (Debian tshark) and python3 with python3-can and python3-canmatrix; a decoder that
# is missing is left out of the comparison.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
frames=${2:-1000000}
cli=${TARVIK_CLI:-$build/src/tarvik-cli}
if [ ! -x "$cli" ]; then
    cmake --build "$build" --target tarvik-cli
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

python=""
for candidate in /usr/bin/python3 python3; do
    if command -v "$candidate" >/dev/null && "$candidate" -c 'import can, canmatrix.formats' 2>/dev/null; then
        python=$candidate
        break
    fi
done

echo "Generating $frames frames..."
python3 "$here/make-j1939-trace.py" "$work/trace.log" "$work/trace.pcap" "$frames"
"$cli" export-dbc -o "$work/library.dbc"

# Runs a command, its output to a file; prints "wall user+sys" seconds.
measure() {
    local out=$1
    shift
    local TIMEFORMAT='%R %U %S'
    local t
    t=$( { time "$@" > "$out" 2>/dev/null; } 2>&1 )
    awk '{ printf "%.3f %.3f\n", $1, $2 + $3 }' <<< "$t"
}

declare -A wall cpu
report() {
    local name=$1 times=$2 count=${3:-$frames}
    wall[$name]=${times% *}
    cpu[$name]=${times#* }
    awk -v n="$name" -v f="$count" -v w="${wall[$name]}" -v c="${cpu[$name]}" \
        'BEGIN { printf "%-34s %8.2f s wall %10.0f frames/s   %8.2f s CPU %10.0f frames/s\n", n, w, f / w, c, f / c }'
}

report "tarvik-cli decode --events" "$(measure "$work/tarvik.out" "$cli" decode --events -o "$work/events.csv" "$work/trace.log")"
report "tarvik-cli decode (1 s samples)" "$(measure "$work/tarvik-sampled.out" "$cli" decode -o "$work/sampled.csv" "$work/trace.log")"
report "tarvik-cli decode --every-frame" "$(measure "$work/tarvik-every.out" "$cli" decode --every-frame -o "$work/every.csv" "$work/trace.log")"
cmp -s "$work/sampled.csv" "$work/every.csv" || echo "  DIFFERENT: decode and decode --every-frame disagree"
for command in faults stats inventory; do
    report "tarvik-cli $command" "$(measure "$work/$command.out" "$cli" "$command" "$work/trace.log")"
done
"$cli" learn "$work/trace.log" -o "$work/expected.tvsx" > /dev/null
report "tarvik-cli check" "$(measure "$work/check.out" "$cli" check --scheme "$work/expected.tvsx" "$work/trace.log")"
echo "  tarvik-cli: $(($(wc -l < "$work/events.csv") - 1)) parameter values"
if command -v tshark >/dev/null; then
    report "tshark J1939" "$(measure "$work/tshark.tsv" tshark -r "$work/trace.pcap" -d can.subdissector,j1939 \
        -T fields -e frame.time_epoch -e j1939.src_addr -e j1939.dst_addr -e j1939.pgn \
        -e j1939.priority -e j1939.data)"
    echo "  tshark: $(wc -l < "$work/tshark.tsv") frames decoded"
else
    echo "tshark is not installed: left out"
fi
if [ -n "$python" ]; then
    report "python-can + canmatrix" "$(measure "$work/python.out" "$python" "$here/decode-with-canmatrix.py" "$work/trace.log" "$work/library.dbc")"
    echo "  python-can + canmatrix: $(grep frames "$work/python.out")"
else
    echo "python3-can / python3-canmatrix are not installed: left out"
fi

echo
# Several recordings at once: two copies of the trace, one process after the other, then two
# processes side by side (as many as the machine has cores gives the most).
cp "$work/trace.log" "$work/copy1.log"
cp "$work/trace.log" "$work/copy2.log"
for jobs in 1 2; do
    report "tarvik-cli decode -j $jobs (2 files)" "$(measure "$work/jobs$jobs.out" "$cli" decode -j "$jobs" -o "$work/jobs$jobs" "$work/copy1.log" "$work/copy2.log")" $((2 * frames))
done
awk -v a="${wall[tarvik-cli decode -j 1 (2 files)]}" -v b="${wall[tarvik-cli decode -j 2 (2 files)]}" \
    'BEGIN { printf "  -j 2 takes %.2f of the time of -j 1 (%.2fx)\n", b / a, a / b }'

echo
for mine in "tarvik-cli decode --events" "tarvik-cli decode (1 s samples)"; do
    for other in "tshark J1939" "python-can + canmatrix"; do
        [ -n "${wall[$other]:-}" ] || continue
        awk -v m="$mine" -v o="$other" -v tw="${wall[$mine]}" -v tc="${cpu[$mine]}" \
            -v ow="${wall[$other]}" -v oc="${cpu[$other]}" \
            'BEGIN { printf "%-32s vs %-24s %6.1fx (wall)  %6.1fx (CPU)\n", m, o, ow / tw, oc / tc }'
    done
done
