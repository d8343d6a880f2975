#!/usr/bin/env bash
# Installs what is missing, builds Tarvik and starts it on its built-in demo bus.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --demo
"$top/scripts/build.sh"
# Without arguments the example scheme that matches the demo recording is opened.
if [ $# -eq 0 ]; then
    set -- "$top/src/resources/demo/demo.tvsx"
fi
exec "${TARVIK_BUILD_DIR:-$top/build}/src/tarvik" --adapter replay "$@"
