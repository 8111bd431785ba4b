#!/usr/bin/env bash
# Runs walk.py against the program on a display and a D-Bus session of its own, with the
# accessibility bridge on and no sound server. Exits 77 (skipped) where the tools are missing.
# Usage: run.sh PROGRAM
set -euo pipefail

program="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
for tool in Xvfb xdpyinfo dbus-run-session /usr/libexec/at-spi-bus-launcher; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || { echo "SKIP: python3-pyatspi is not installed"; exit 77; }

work="$(mktemp -d)"
xvfb_pid=""
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, away from the low numbers a desktop uses; Xvfb says when it is ready, and
# one that is taken is tried with another number. On a busy machine the program has been seen to
# fail to open a display xdpyinfo had just opened: the walk then says so (3) and gets a new one.
start_display() {
    for _ in 1 2 3 4 5; do
        display=":$((100 + RANDOM % 800))"
        rm -f "$work/display"
        Xvfb "$display" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
        xvfb_pid=$!
        for _ in $(seq 100); do
            { [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; } && break
            sleep 0.1
        done
        # Ready, and taking clients: a client of another server on that number would say otherwise.
        if [ -s "$work/display" ]; then
            for _ in $(seq 50); do
                xdpyinfo -display "$display" >/dev/null 2>&1 && return 0
                sleep 0.1
            done
        fi
        kill "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    done
    echo "FAIL: Xvfb did not start"
    exit 1
}

mkdir "$work/run" "$work/data"
chmod 700 "$work/run"
cd "$work"
export HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 PULSE_SERVER="unix:$work/no-sound-server"
for _ in 1 2 3; do
    start_display
    status=0
    DISPLAY="$display" dbus-run-session -- /usr/bin/python3 "$here/walk.py" "$program" || status=$?
    [ "$status" -ne 3 ] && exit "$status"
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
done
echo "FAIL: the program could not open any display"
exit 1
