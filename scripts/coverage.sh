#!/usr/bin/env bash
# Line and branch coverage of src/ by the suite, per folder, and for every test the lines of src/
# that only it covers: the evidence for what a test adds to the others. Not part of CI: the build
# with coverage and a run of each test on its own take about an hour on two cores.
#   scripts/coverage.sh            the suite, then each test on its own
#   scripts/coverage.sh --totals   the suite only
# The report goes to standard output and, with a file per test naming its own lines, to
# build-coverage/coverage/ (TARVIK_BUILD_DIR picks another build folder).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/install-deps.sh" --coverage
build=${TARVIK_BUILD_DIR:-$top/build-coverage}
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTARVIK_WERROR=ON \
    -DTARVIK_TESTS=ON -DTARVIK_BENCH=OFF -DTARVIK_FUZZ_BUILD_DIR= -DTARVIK_COVERAGE=ON
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
out=$build/coverage
rm -rf "$out"
mkdir -p "$out/tests"
select=(-LE soak -E '^(fuzz_|packaging_)')
measure() {
    gcovr --root "$top" --filter "$top/src/" --object-directory "$build" -j "$(nproc)" \
        --gcov-ignore-parse-errors --json "$1" "$build" > /dev/null 2>&1
}
forget() {
    find "$build" -name '*.gcda' -delete
}

forget
# A failing test still covers what it ran; the report says which failed.
(cd "$build" && ctest -j "$(nproc)" --timeout 900 "${select[@]}" > "$out/suite.log") ||
    echo "Some tests failed: see $out/suite.log" >&2
measure "$out/suite.json"
if [ "${1:-}" != "--totals" ]; then
    for test in $(cd "$build" && ctest -N "${select[@]}" | sed -n 's/^ *Test *#[0-9]*: //p'); do
        forget
        (cd "$build" && ctest --timeout 900 -R "^${test}\$" > /dev/null) ||
            echo "$test failed on its own" >&2
        measure "$out/tests/$test.json"
    done
fi
python3 "$top/scripts/coverage-report.py" "$out"
