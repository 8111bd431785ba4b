#!/usr/bin/env bash
# Installs what is missing, builds Velmora and starts it. Arguments go to the program ("tovu").
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh"
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build" --parallel "$(nproc)" --target velmora velmora-dbcheck
exec "$root/build/velmora" "$@"
