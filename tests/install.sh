#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks it as a desktop would see it: the desktop
# entry and AppStream metadata validate, every icon is an image of its stated size, both manual
# pages render without warnings, the installed program started from an empty directory on a
# private X display shows its window and draws a chord at "GO!", the installed checker reads an
# Access file through the installed exporter, and the Debian package holds
# exactly what was installed and passes lintian without errors.
# Usage: install.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
source="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

dest="$work/root"
DESTDIR="$dest" cmake --install "$build" --prefix /usr >/dev/null
share="$dest/usr/share"
id="org.velmora.Velmora"

for f in "$dest/usr/bin/velmora" "$dest/usr/bin/velmora-dbcheck" "$dest/usr/libexec/velmora/velmora-mdb-export" \
         "$share/doc/velmora/copyright" \
         "$share/doc/velmora/README.md" "$share/doc/velmora/default.sql"; do
    [ -f "$f" ] || fail "not installed: $f"
done

desktop-file-validate "$share/applications/$id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "AppStream metadata"
# Pedantic notes too, but the one README explains.
pedantic="$(appstreamcli validate --pedantic --no-net "$share/metainfo/$id.metainfo.xml" 2>&1 | grep -E '^[EWIP]: ' || true)"
[ -z "$(echo "$pedantic" | grep -v 'cid-contains-uppercase-letter' | grep . || true)" ] || fail "AppStream notes what README does not explain: $pedantic"

for size in 16 22 32 48 64 128 256; do
    icon="$share/icons/hicolor/${size}x${size}/apps/$id.png"
    [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] || fail "icon $icon is not a ${size}x${size} PNG"
done
svg="$share/icons/hicolor/scalable/apps/$id.svg"
grep -q '<svg xmlns="http://www.w3.org/2000/svg"' "$svg" || fail "$svg is not an SVG image"

for page in velmora velmora-dbcheck; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
    [ -z "$warnings" ] || fail "manual page $page: $warnings"
done

# The installed program, from an empty directory, with an empty data directory, on its own display.
display=":$((100 + RANDOM % 800))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
mkdir "$work/empty"
(cd "$work/empty" && XDG_DATA_HOME="$work/empty-data" QT_QPA_PLATFORM=xcb exec "$dest/usr/bin/velmora") &
app_pid=$!
window="$(timeout 20 xdotool search --sync --onlyvisible --name '^Velmora$' | head -1)" || fail "no Velmora window"
sleep 0.5
staff() { import -window "$window" -crop 150x200+80+165 "$1"; }
staff "$work/before.png"
# GO! on the first tab, in window coordinates.
xdotool mousemove --window "$window" 68 110 click 1
sleep 0.5
staff "$work/after.png"
differing="$(compare -metric AE "$work/before.png" "$work/after.png" null: 2>&1 || true)"
[ "${differing%% *}" -gt 100 ] 2>/dev/null || fail "GO! did not change the staff ($differing pixels differ)"
[ -z "$(ls -A "$work/empty")" ] || fail "the program wrote into its working directory"
kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""

# The installed checker finds the installed Access exporter, and reads an Access file with it.
mkdir "$work/access"
python3 "$source/scripts/sql-to-mdb.py" "$source/data/default.sql" "$work/access/Chords-VB.mdb"
before="$(ls -l --time-style=+%s.%N "$work/access")"
checked="$(cd "$work/access" && "$dest/usr/bin/velmora-dbcheck" Chords-VB.mdb 2>&1)" || fail "velmora-dbcheck on an Access file: $checked"
[ "$checked" = "Chords-VB.mdb: no problems found" ] || fail "velmora-dbcheck on an Access file said: $checked"
[ "$(ls -l --time-style=+%s.%N "$work/access")" = "$before" ] || fail "reading the Access file changed its directory"

# The package holds what the install did.
(cd "$build" && rm -f velmora_*.deb && cpack -G DEB >/dev/null) || fail "cpack"
deb="$(ls "$build"/velmora_*.deb)"
diff <(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sed 's|^\./|/|' | sort) \
     <(cd "$dest" && find . -type f | sed 's|^\./|/|' | sort) || fail "package contents differ from the install"
# Every tag, informational and pedantic ones included, but the two false alarms README explains.
tags="$(lintian -I -E --pedantic "$deb" 2>&1 | grep -E '^[EWIPX]: ' || true)"
echo "$tags"
unexplained="$(echo "$tags" | grep -vE ': (hardening-no-fortify-functions|spelling-error-in-binary) ' | grep . || true)"
[ -z "$unexplained" ] || fail "lintian reports what README does not explain: $unexplained"
echo "install checks passed"
