#!/usr/bin/env bash
# Installs what is missing, builds Velmora and runs every test: once as a normal build and once
# under AddressSanitizer and UndefinedBehaviorSanitizer. The sound tests start a PulseAudio server
# of their own, on a socket in a temporary directory, and stop it by its PID.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
jobs="$(nproc)"
"$root/scripts/deps.sh" --test

export QT_QPA_PLATFORM=offscreen
# In CI a compiler warning in our own code fails the build.
werror=()
[ "${CI:-}" = "true" ] && werror=(-DVELMORA_WERROR=ON)

# The benchmarks are built (not run) so that they keep compiling.
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_BENCHMARKS=ON "${werror[@]}" >/dev/null
cmake --build "$root/build" --parallel "$jobs"
ctest --test-dir "$root/build" --output-on-failure --parallel "$jobs"

supp="$root/tests/sanitizers"
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$supp/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cmake -S "$root" -B "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON "${werror[@]}" >/dev/null
cmake --build "$root/build-sanitize" --parallel "$jobs"
ctest --test-dir "$root/build-sanitize" --output-on-failure --parallel "$jobs"
