#!/usr/bin/env bash
# Runs one libFuzzer target on a scratch copy of its seed corpus.
# Usage: run-fuzzer.sh BINARY SEED_DIR SECONDS [extra libFuzzer flags]
set -euo pipefail
binary=$1 seeds=$2 seconds=$3
shift 3
top=$(cd "$(dirname "$0")/.." && pwd)
export LSAN_OPTIONS="suppressions=$top/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$seeds"/. "$work"/ 2>/dev/null || true
cd "$work"
"$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 "$@" "$work"
