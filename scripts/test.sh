#!/usr/bin/env bash
# Installs what is missing, builds Tarvik with its tests and runs the whole suite offscreen.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVIK_BUILD_DIR:-$top/build}
"$top/scripts/install-deps.sh" --test
fuzz_args=()
if command -v clang++ >/dev/null 2>&1; then
    # Short smoke runs of the fuzzers join the suite when clang can build them.
    fuzz_build=$("$top/scripts/build-fuzzers.sh")
    fuzz_args=(-DTARVIK_FUZZ_BUILD_DIR="$fuzz_build")
fi
"$top/scripts/build.sh" -DTARVIK_TESTS=ON -DTARVIK_BENCH=ON "${fuzz_args[@]}"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure --timeout 300 -j "$(nproc)"
