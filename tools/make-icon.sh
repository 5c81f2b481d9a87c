#!/usr/bin/env bash
# Draws the program icon (16x16 and 32x32, 256 colours) into converter/resources/pecun.ico.
# A gold coin with two bars across it on a blue tile. Needs ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
out=converter/resources/pecun.ico
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

draw() {  # draw SIZE FILE
    local s=$1 f=$2 m c r
    m=$((s - 1)); c=$((s / 2)); r=$((s * 5 / 16))
    convert -size "${s}x${s}" gradient:'#3a6fd8-#0d2a6b' \
        -fill '#f2c230' -stroke '#8a5a00' -strokewidth 1 \
        -draw "circle $c,$c $c,$((c - r))" \
        -fill none -stroke '#8a5a00' -strokewidth $((s / 16 + 1)) \
        -draw "arc $((c - r / 2 - 1)),$((c - r / 2 - 1)) $((c + r / 2 + 1)),$((c + r / 2 + 1)) 60,300" \
        -stroke '#8a5a00' -strokewidth 1 \
        -draw "line $((c - r / 2 - 2)),$((c - 1)) $((c + 1)),$((c - 1))" \
        -draw "line $((c - r / 2 - 2)),$((c + 1)) $((c + 1)),$((c + 1))" \
        -fill none -stroke '#0a1f50' -draw "rectangle 0,0 $m,$m" \
        +dither -colors 240 -type Palette "PNG8:$f"
}

draw 16 "$tmp/16.png"
draw 32 "$tmp/32.png"
convert "$tmp/16.png" "$tmp/32.png" "$out"
# Each directory entry: width, height, colours, reserved, planes, bit count.
python3 - "$out" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
count = struct.unpack_from("<H", data, 4)[0]
for i in range(count):
    w, h, colours, _, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
    # The bitmap header tells the real depth.
    hdr_bpp = struct.unpack_from("<H", data, offset + 14)[0]
    print(f"{w or 256}x{h or 256}: entry {bpp} bpp, bitmap {hdr_bpp} bpp")
    if hdr_bpp != 8:
        sys.exit(f"{w}x{h} is {hdr_bpp} bpp, not 8")
PY
