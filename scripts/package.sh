#!/usr/bin/env bash
# Builds the Debian package tarvik_VERSION_ARCH.deb in build-package/ (or $TARVIK_PACKAGE_DIR):
# installs what is missing, builds without the tests, and packs with CPack.
# Install it with: sudo apt install ./build-package/tarvik_*.deb
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${TARVIK_PACKAGE_DIR:-$top/build-package}
"$top/scripts/install-deps.sh" --package
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARVIK_WERROR=ON \
    -DTARVIK_TESTS=OFF "$@"
cmake --build "$build" --parallel "$(nproc)"
(cd "$build" && cpack -G DEB)
ls "$build"/tarvik_*.deb
