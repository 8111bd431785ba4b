#!/usr/bin/env bash
# Runs walk.py against the program on a display and a D-Bus session of its own, with the
# accessibility bridge on and no sound server. Exits 77 (skipped) where the tools are missing.
# Then heldclick.py clicks through the X server while a chime plays, with a sound server of its own.
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
pulse_pid=""
cleanup() {
    [ -n "$pulse_pid" ] && kill "$pulse_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# A display of our own, away from the low numbers a desktop uses; one that is taken is tried with
# another number. Without -noreset the server resets whenever its last client leaves (xdpyinfo
# below, the accessibility bus launcher later) and drops a client that is connecting just then.
for _ in 1 2 3 4 5; do
    display=":$((100 + RANDOM % 800))"
    Xvfb "$display" -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 100); do
        { [ -s "$work/display" ] || ! kill -0 "$xvfb_pid" 2>/dev/null; } && break
        sleep 0.1
    done
    [ -s "$work/display" ] && xdpyinfo -display "$display" >/dev/null 2>&1 && break
    kill "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
done
[ -n "$xvfb_pid" ] || { echo "FAIL: Xvfb did not start"; exit 1; }

mkdir "$work/run" "$work/data"
chmod 700 "$work/run"
cd "$work"
export HOME="$work" XDG_RUNTIME_DIR="$work/run" XDG_DATA_HOME="$work/data"
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 PULSE_SERVER="unix:$work/no-sound-server"
DISPLAY="$display" dbus-run-session -- /usr/bin/python3 "$here/walk.py" "$program"

for tool in pulseaudio parec xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP the held click: $tool is not installed"; exit 0; }
done
pulseaudio -n --daemonize=no --exit-idle-time=-1 --log-target=file:"$work/pulse.log" \
    -L "module-null-sink sink_name=velmora" \
    -L "module-native-protocol-unix socket=$work/run/native auth-anonymous=1" &
pulse_pid=$!
export PULSE_SERVER="unix:$work/run/native"
for _ in $(seq 100); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
done
DISPLAY="$display" PYTHONPATH="$here" dbus-run-session -- /usr/bin/python3 "$here/heldclick.py" "$program"
