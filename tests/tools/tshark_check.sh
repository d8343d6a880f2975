#!/usr/bin/env bash
# Decodes Tarvik's own DM1, transport-protocol and address-claim transmissions (and the requests
# they answer) with Wireshark's J1939 dissector and compares every field with what the J1939 rules
# say the frames must carry.
# Usage: tshark_check.sh TPCAPTURE_BINARY
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$tool" "$work/tp.pcap" "$work/expected.tsv"
tshark -r "$work/tp.pcap" -d can.subdissector,j1939 -T fields \
    -e j1939.pgn -e j1939.src_addr -e j1939.dst_addr -e j1939.priority -e j1939.data \
    2>/dev/null > "$work/raw.tsv"
# Normalise: numbers to decimal, data without separators.
python3 - "$work/raw.tsv" > "$work/decoded.tsv" <<'PY'
import sys
for line in open(sys.argv[1]):
    f = line.rstrip('\n').split('\t')
    num = lambda s: str(int(s, 0))
    # A PDU2 group has no destination field: it goes to all (255).
    dst = num(f[2]) if f[2] else '255'
    print('\t'.join([num(f[0]), num(f[1]), dst, num(f[3]), f[4].replace(':', '').lower()]))
PY
if ! diff -u "$work/expected.tsv" "$work/decoded.tsv"; then
    echo "tshark decoded fields differ from what Tarvik sent"
    exit 1
fi
echo "tshark agrees on $(wc -l < "$work/expected.tsv") frames"
