#!/usr/bin/env bash
# Installs the Debian packages Velmora needs to build, test and look at itself, and only
# those that are missing (apt-get update runs only when something is).
set -euo pipefail

packages=(
    cmake g++ make
    qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite
    libbenchmark-dev libsqlite3-dev
    fonts-liberation fonts-dejavu-core
    xvfb xdotool imagemagick
)

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
