#!/usr/bin/env bash
# Regenerates the README's screenshots: Velmora on a private X display, with a data file that
# asks one seven-note chord with sharps and flats (D, "Dom    13   b5") for the second picture.
# Usage: scripts/screenshots.sh [BUILD_DIR]   (needs xvfb, xdotool, imagemagick, sqlite3)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$(cd "${1:-$root/build}" && pwd)"
work="$(mktemp -d)"
xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT

display=":$((100 + RANDOM % 800))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

shoot() { # shoot OUTPUT [DATABASE]
    mkdir -p "$work/run"
    rm -f "$work/run/Chords-VB.mdb"
    [ -n "${2:-}" ] && cp "$2" "$work/run/Chords-VB.mdb"
    (cd "$work/run" && XDG_DATA_HOME="$work/data" QT_QPA_PLATFORM=xcb exec "$build/velmora") &
    local app=$!
    local window
    window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -1)"
    sleep 0.5
    xdotool mousemove --window "$window" 68 110 click 1   # GO!
    sleep 0.5
    import -window "$window" "$1"
    kill "$app"; wait "$app" 2>/dev/null || true
}

shoot "$root/docs/main-window.png"
sqlite3 "$work/one-chord.sqlite" < "$root/data/default.sql"
sqlite3 "$work/one-chord.sqlite" "DELETE FROM \"Ladders\" WHERE \"Toonsoort\" <> 'D'; DELETE FROM \"chort-sort\" WHERE plugin <> 'dom13_b5';"
shoot "$root/docs/chords.png" "$work/one-chord.sqlite"
echo "docs/main-window.png and docs/chords.png written"
