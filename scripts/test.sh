#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs every test: once as a normal build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/deps.sh" --test

export QT_QPA_PLATFORM=offscreen

cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --parallel "$jobs"
ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs"

supp="$root/tests/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON >/dev/null
cmake --build "$root/build-sanitize" --parallel "$jobs"
ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel "$jobs"
