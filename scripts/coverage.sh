#!/usr/bin/env bash
# Line and branch coverage of src/ by the test command's suite: a --coverage build in
# build-coverage, every test run, and gcovr's summary (an HTML report in build-coverage/coverage/).
# Usage: scripts/coverage.sh [ctest arguments, e.g. -E tst_sound]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/deps.sh" --test
if ! command -v gcovr >/dev/null; then
    sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends gcovr
fi

build="$root/build-coverage"
export QT_QPA_PLATFORM=offscreen
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_COVERAGE=ON >/dev/null
cmake --build "$build" --parallel "$jobs"
find "$build" -name '*.gcda' -delete
ctest --test-dir "$build" --parallel "$jobs" "$@" || echo "(some tests failed: the figures below are of what ran)"
mkdir -p "$build/coverage"
# Only src/, without the generated Qt files; branches the compiler makes for exceptions and
# throws are not the program's own decisions.
gcovr --root "$root" --filter "$root/src/" --object-directory "$build" \
    --exclude-unreachable-branches --exclude-throw-branches \
    --html-details "$build/coverage/index.html" --print-summary \
    | tail -n 3
