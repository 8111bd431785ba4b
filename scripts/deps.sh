#!/usr/bin/env bash
# Installs the Debian packages Velmora needs, and only those that are missing (apt-get update runs
# only when something is). Without arguments: what building and running need. With --test: also
# what the tests need (a private sound server and its recorder, a virtual display, image tools,
# a D-Bus session with the accessibility bus and its Python client for the screen-reader walk,
# Python for the Access fixtures, clang's libFuzzer, and the validators
# and packaging tools the install test runs).
set -euo pipefail

packages=(
    cmake g++ make pkgconf
    qt6-base-dev libqt6sql6-sqlite libsqlite3-dev qt6-l10n-tools
    libpulse-dev
    libfluidsynth-dev libfluidsynth3 timgm6mb-soundfont
    mdbtools-dev libseccomp-dev
    fonts-liberation2
)
if [ "${1:-}" = "--test" ]; then
    packages+=(
        libbenchmark-dev sqlite3
        clang libclang-rt-14-dev
        python3
        dbus at-spi2-core python3-pyatspi
        pulseaudio pulseaudio-utils
        xvfb xdotool imagemagick x11-utils openbox
        desktop-file-utils appstream lintian dpkg-dev file man-db
    )
fi

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
