#!/usr/bin/env bash
# Builds Tarvik with its tests under a sanitizer and runs the suite offscreen:
#   scripts/sanitize.sh tsan [ctest arguments]   ThreadSanitizer, in build-tsan/
#   scripts/sanitize.sh asan [ctest arguments]   AddressSanitizer and UBSan, in build-asan/
# A test with a report fails. tests/tsan.supp names the hand-overs through Qt's event queue that
# ThreadSanitizer cannot see in an uninstrumented Qt; tests/lsan.supp what Qt keeps until exit.
# The fuzz smoke runs, the soak and the packaging check are left out. Extra arguments go to ctest
# (`-R model_` runs part of the suite); TARVIK_BUILD_DIR picks another build folder.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
kind=${1:-}
case "$kind" in
tsan) option=-DTARVIK_TSAN=ON ;;
asan) option=-DTARVIK_SANITIZE=ON ;;
*)
    echo "usage: $0 tsan|asan [ctest arguments]" >&2
    exit 2
    ;;
esac
shift
build=${TARVIK_BUILD_DIR:-$top/build-$kind}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVIK_WERROR=ON \
    -DTARVIK_TESTS=ON -DTARVIK_BENCH=OFF -DTARVIK_FUZZ_BUILD_DIR= \
    -DTARVIK_TSAN=OFF -DTARVIK_SANITIZE=OFF "$option"
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
# A report makes the program exit with a failure; the suppression files are read from the tree.
# ThreadSanitizer matches suppressions on the stacks of the two accesses, not on where the memory
# was allocated: the longest history keeps the earlier access's stack restorable.
export TSAN_OPTIONS="ignore_noninstrumented_modules=1:suppressions=$top/tests/tsan.supp:exitcode=66:history_size=7:second_deadlock_stack=1${TSAN_OPTIONS:+:$TSAN_OPTIONS}"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
export LSAN_OPTIONS="suppressions=$top/tests/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1${UBSAN_OPTIONS:+:$UBSAN_OPTIONS}"
cd "$build"
# The build gives every test a longer time-out: instrumented programs run several times slower.
ctest --output-on-failure -j "${CTEST_PARALLEL_LEVEL:-$(nproc)}" -LE soak -E '^(fuzz_|packaging_)' \
    "$@"
