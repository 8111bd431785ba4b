#!/usr/bin/env bash
# Makes Velmora's own sounds, trumpet animation and icon. The results are committed under
# assets/; run this again only to change them. Needs python3 and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/../assets"
mkdir -p sound

python3 - <<'PY'
import math, struct, wave

RATE = 22050

def tone(freq, seconds, volume=0.5):
    n = int(RATE * seconds)
    out = []
    for i in range(n):
        t = i / RATE
        envelope = min(1.0, i / (RATE * 0.01)) * min(1.0, (n - i) / (RATE * 0.04))
        value = math.sin(2 * math.pi * freq * t) + 0.3 * math.sin(4 * math.pi * freq * t)
        out.append(volume * envelope * value / 1.3)
    return out

def write(name, notes):
    samples = []
    for freq, seconds in notes:
        samples += tone(freq, seconds) if freq else [0.0] * int(RATE * seconds)
    with wave.open(name, "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(2)  # 16-bit PCM, which every sound backend decodes
        w.setframerate(RATE)
        w.writeframes(b"".join(struct.pack("<h", int(s * 32767)) for s in samples))

C5, E5, G5, C6 = 523.25, 659.25, 783.99, 1046.5
write("sound/1.wav", [(G5, 0.12), (E5, 0.12), (C5, 0.22)])                 # quit
write("sound/2.wav", [(C5, 0.08), (E5, 0.08), (G5, 0.08), (C6, 0.18)])     # correct
write("sound/3.wav", [(G5 / 2, 0.15), (C5, 0.15), (E5, 0.15), (G5, 0.25), (E5, 0.1), (G5, 0.3)])  # start
write("sound/4.wav", [(196.0, 0.15), (146.83, 0.28)])                       # incorrect
PY

# The trumpet: a golden bell and tube; the frames let notes rise from the bell.
frames=()
for i in 0 1 2 3; do
  y=$((40 - i * 8))
  convert -size 116x87 xc:black \
    -fill '#d4a017' -stroke '#8b6508' -strokewidth 1 \
    -draw 'rectangle 14,40 70,46' \
    -draw 'polygon 70,43 104,22 104,66' \
    -draw 'rectangle 6,38 14,48' \
    -draw 'rectangle 30,34 34,40 rectangle 40,34 44,40 rectangle 50,34 54,40' \
    -fill white -stroke white \
    -draw "circle $((88 + i * 2)),$y $((91 + i * 2)),$y" \
    -draw "line $((91 + i * 2)),$y $((91 + i * 2)),$((y - 10))" \
    "frame$i.gif"
  frames+=("frame$i.gif")
done
convert -delay 20 -loop 0 "${frames[@]}" trumpet.gif
rm -f "${frames[@]}"

# The icon: a red, roughly triangular shape on a transparent background.
convert -size 32x32 xc:none -fill '#d00000' -stroke '#800000' -draw 'polygon 16,2 30,29 2,29' icon.png
