#!/usr/bin/env bash
# The plain-English translation is complete: lupdate, run over the sources, finds no caption that
# the committed .ts lacks or leaves untranslated, and none that is gone from the sources.
set -euo pipefail
root="$1"
lupdate="$(command -v lupdate || echo /usr/lib/qt6/bin/lupdate)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$root/translations/velmora_en.ts" "$work/now.ts"
"$lupdate" -locations none -target-language en "$root/src" -ts "$work/now.ts" >"$work/lupdate.log" 2>&1 || { cat "$work/lupdate.log"; exit 1; }
if grep -q 'type="unfinished"\|type="vanished"\|type="obsolete"' "$work/now.ts" || ! cmp -s "$root/translations/velmora_en.ts" "$work/now.ts"; then
    echo "translations/velmora_en.ts is not up to date with the sources:"
    diff "$root/translations/velmora_en.ts" "$work/now.ts" || true
    exit 1
fi
# A translation swallowing the messages after it (an unescaped edit) still passes lupdate.
if grep -q '&lt;/\?\(message\|source\|translation\)&gt;' "$root/translations/velmora_en.ts"; then
    echo "translations/velmora_en.ts: a translation holds .ts markup:"
    grep -n '&lt;/\?\(message\|source\|translation\)&gt;' "$root/translations/velmora_en.ts" | head -5
    exit 1
fi
echo "every caption translated ($(grep -c '<message>' "$work/now.ts") messages)"
