#!/usr/bin/env bash
# The main window's whole frame, title bar included, inside a 1366 x 768 screen at 150 % and 200 %
# under a real window manager (openbox), which frames the window only after it is shown.
# Exits 77 (skipped) where the tools are missing. Usage: framed.sh PROGRAM
set -euo pipefail
program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
for tool in Xvfb openbox xdotool xprop xwininfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work="$(mktemp -d)"
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
Xvfb -displayfd 3 -screen 0 1366x768x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" HOME="$work" XDG_DATA_HOME="$work" PULSE_SERVER="unix:$work/none"
openbox >/dev/null 2>&1 &
pids+=($!)
sleep 1
cd "$work"
for scale in 1.5 2.0; do
    QT_QPA_PLATFORM=xcb QT_SCALE_FACTOR=$scale QT_LOGGING_RULES=velmora.startup.info=true "$program" 2>"$work/log" &
    app=$!
    for _ in $(seq 200); do grep -q "main window exposed" "$work/log" && break; sleep 0.1; done
    sleep 2 # the frame, and the move that follows it
    window="$(xdotool search --all --onlyvisible --pid "$app" --name "^Velmora$" | head -n 1)"
    read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    x="$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left X: *//p')"
    y="$(xwininfo -id "$window" | sed -n 's/.*Absolute upper-left Y: *//p')"
    width="$(xwininfo -id "$window" | sed -n 's/.*Width: *//p')"
    height="$(xwininfo -id "$window" | sed -n 's/.*Height: *//p')"
    kill "$app"; wait "$app" || true
    frame="$((x - left)),$((y - top)) to $((x + width + right)),$((y + height + bottom))"
    if [ "$((x - left))" -lt 0 ] || [ "$((y - top))" -lt 0 ] || [ "$((x + width + right))" -gt 1366 ] || [ "$((y + height + bottom))" -gt 768 ] || [ "$top" -eq 0 ]; then
        echo "FAIL at $scale: the frame ($frame, title bar $top px) leaves the 1366 x 768 screen"
        exit 1
    fi
    # Centred by the frame, not by the window inside it: off by the title bar, the room above and
    # below would differ by some 20 px.
    above="$((y - top))" below="$((768 - y - height - bottom))"
    if [ "$((above - below))" -gt 3 ] || [ "$((below - above))" -gt 3 ]; then
        echo "FAIL at $scale: the frame ($frame) is not centred: $above px above it, $below px below"
        exit 1
    fi
    echo "at $scale: frame $frame, centred inside the screen"
done
