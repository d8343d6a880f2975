#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, AddressSanitizer and UBSan in build-fuzz/ (or
# $TARVIK_FUZZ_BUILD_DIR). Prints the build folder on success.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVIK_FUZZ_BUILD_DIR:-$top/build-fuzz}
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTARVIK_FUZZ=ON -DTARVIK_TESTS=OFF >/dev/null
cmake --build "$build" --parallel "$(nproc)" >&2
echo "$build"
