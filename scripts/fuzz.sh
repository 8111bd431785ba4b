#!/usr/bin/env bash
# Fuzzes the readers of a user's bytes for longer than the test command does: SECONDS each
# (10 minutes by default), in build-fuzz, whose corpus grows from run to run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" --test
exec "$root/tests/fuzz/run.sh" "$root/build-fuzz" "${1:-600}"
