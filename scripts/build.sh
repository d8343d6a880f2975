#!/usr/bin/env bash
# Configures and builds Tarvik in build/ (or $TARVIK_BUILD_DIR). Extra arguments go to cmake.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVIK_BUILD_DIR:-$top/build}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK_WERROR=ON "$@"
cmake --build "$build" --parallel "$(nproc)"
