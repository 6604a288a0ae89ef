#!/usr/bin/env bash
# Render the animation panel's movie, resources/animation/dravon.swf.
#
# The window "plays" dravon.swf in its 281 x 177 animation panel. There is no
# Flash player: Qt's QMovie recognises a GIF by its content, whatever the
# file's name, so the file is an animated GIF under the old name.
#
# The frames are our own Dravon LPG logo (the still picture
# resources/skin/showv-still.svg). The logo rests for REST/100 s; then its
# blue/orange flame flares and flickers, the halo breathes and a glint runs
# along the swoosh under "Dravon", in FRAMES - 1 frames of DELAY/100 s each,
# ending in the rest pose again. The loop repeats forever.
#
# The rest is one frame held: a panel that moves only now and then wakes the
# program about 3.5 times a second instead of 12.5, which matters on an old
# workshop laptop that runs the tool all day.
#
# Needs: awk, rsvg-convert (librsvg2-bin) and ImageMagick's convert.
# The output is deterministic: the same script gives the same bytes.
#
#   scripts/make-animation.sh            write resources/animation/dravon.swf
#   scripts/make-animation.sh OUT.gif    write somewhere else
set -euo pipefail
export LC_ALL=C

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
OUT="${1:-$ROOT/resources/animation/dravon.swf}"
FRAMES=16          # frames per loop: the rest pose and the flare
DELAY=10           # 1/100 s per frame of the flare (100 ms)
REST=300           # 1/100 s the rest pose is held (3 s)
COLORS=255         # shared palette size (a GIF holds at most 256)

for tool in awk rsvg-convert convert; do
    command -v "$tool" >/dev/null || {
        echo "make-animation: $tool is missing (rsvg-convert: apt-get install librsvg2-bin)" >&2
        exit 1
    }
done

WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT

# --- frame template: the still picture with @NAME@ placeholders -------------
cat >"$WORK/template.svg" <<'SVG'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" version="1.1" width="281" height="177" viewBox="0 0 281 177">
  <defs>
    <linearGradient id="sky" x1="0" y1="0" x2="0.4" y2="1">
      <stop offset="0" stop-color="#1F4E80"/>
      <stop offset="0.55" stop-color="#12304F"/>
      <stop offset="1" stop-color="#0A1A2C"/>
    </linearGradient>
    <radialGradient id="halo" cx="0.5" cy="0.5" r="0.5">
      <stop offset="0" stop-color="#F7931E" stop-opacity="@HALO0@"/>
      <stop offset="0.5" stop-color="#2E8BD8" stop-opacity="@HALO1@"/>
      <stop offset="1" stop-color="#2E8BD8" stop-opacity="0"/>
    </radialGradient>
    <linearGradient id="flameOuter" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="@OUTER0@"/>
      <stop offset="@OUTERMIDAT@" stop-color="@OUTER1@"/>
      <stop offset="1" stop-color="#D9451C"/>
    </linearGradient>
    <linearGradient id="flameInner" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#D8F3FF"/>
      <stop offset="@INNERMIDAT@" stop-color="@INNER1@"/>
      <stop offset="1" stop-color="#1C5FBF"/>
    </linearGradient>
    <linearGradient id="ring" x1="0" y1="0" x2="0" y2="1">
      <stop offset="0" stop-color="#CFE3F5"/>
      <stop offset="0.5" stop-color="#6E93BA"/>
      <stop offset="1" stop-color="#2A4460"/>
    </linearGradient>
    <radialGradient id="disc" cx="0.5" cy="0.35" r="0.65">
      <stop offset="0" stop-color="#2C5A8C"/>
      <stop offset="1" stop-color="#0C1B2D"/>
    </radialGradient>
    <radialGradient id="glow" cx="0.5" cy="0.5" r="0.5">
      <stop offset="0" stop-color="#4FB2F5" stop-opacity="@GLOW@"/>
      <stop offset="1" stop-color="#4FB2F5" stop-opacity="0"/>
    </radialGradient>
    <linearGradient id="swoosh" x1="0" y1="0" x2="1" y2="0">
      <stop offset="0" stop-color="#2E8BD8" stop-opacity="0"/>
      <stop offset="0.3" stop-color="#2E8BD8" stop-opacity="0.9"/>
      <stop offset="0.7" stop-color="#F7931E" stop-opacity="0.9"/>
      <stop offset="1" stop-color="#F7931E" stop-opacity="0"/>
    </linearGradient>
    <linearGradient id="glint" gradientUnits="userSpaceOnUse" x1="@GLINTX1@" y1="0" x2="@GLINTX2@" y2="0">
      <stop offset="0" stop-color="#FFFFFF" stop-opacity="0"/>
      <stop offset="0.5" stop-color="#FFFFFF" stop-opacity="0.95"/>
      <stop offset="1" stop-color="#FFFFFF" stop-opacity="0"/>
    </linearGradient>
  </defs>
  <rect x="0" y="0" width="281" height="177" fill="url(#sky)"/>
  <g fill="#FFFFFF" fill-opacity="0.035">
    <path d="M 70,82 L 281,0 L 281,40 Z"/>
    <path d="M 70,82 L 281,70 L 281,110 Z"/>
    <path d="M 70,82 L 281,150 L 240,177 Z"/>
    <path d="M 70,82 L 120,0 L 170,0 Z"/>
  </g>
  <circle cx="70" cy="82" r="@HALOR@" fill="url(#halo)"/>
  <circle cx="70" cy="83.5" r="47" fill="#000000" fill-opacity="0.35"/>
  <circle cx="70" cy="82" r="46" fill="url(#ring)"/>
  <circle cx="70" cy="82" r="40" fill="url(#disc)" stroke="#081320"/>
  <circle cx="70" cy="96" r="24" fill="url(#glow)"/>
  <rect x="44" y="90" width="52" height="24" rx="12" fill="#3D6590" stroke="#A9CBEA" stroke-width="1.2"/>
  <rect x="49" y="94" width="42" height="3.5" rx="1.75" fill="#FFFFFF" fill-opacity="0.25"/>
  <rect x="65" y="85" width="10" height="6" fill="#A9CBEA"/>
  <g transform="translate(70,79)">
    <path d="@OUTER@" fill="url(#flameOuter)" stroke="#7A2E0E" stroke-width="1"/>
    <path d="@INNER@" fill="url(#flameInner)"/>
    <path d="@CORE@" fill="#FFFFFF" fill-opacity="@COREOP@"/>
  </g>
  <text x="202" y="78" font-family="DejaVu Sans" font-size="30" font-weight="bold" fill="#000000" fill-opacity="0.45" text-anchor="middle">Dravon</text>
  <text x="200" y="76" font-family="DejaVu Sans" font-size="30" font-weight="bold" fill="#F2F7FC" text-anchor="middle">Dravon</text>
  <text x="202" y="114" font-family="DejaVu Sans" font-size="34" font-weight="bold" fill="#000000" fill-opacity="0.45" text-anchor="middle">LPG</text>
  <text x="200" y="112" font-family="DejaVu Sans" font-size="34" font-weight="bold" fill="#F7931E" text-anchor="middle">LPG</text>
  <rect x="130" y="84" width="140" height="3" rx="1.5" fill="url(#swoosh)"/>
  <rect x="130" y="84" width="140" height="3" rx="1.5" fill="url(#glint)"/>
  <text x="200" y="136" font-family="DejaVu Sans" font-size="9" font-weight="bold" fill="#9FC3E6" text-anchor="middle" letter-spacing="2">OTOGAZ SİSTEMLERİ</text>
  <rect x="0" y="160" width="281" height="17" fill="#000000" fill-opacity="0.25"/>
  <rect x="0" y="160" width="281" height="1" fill="#2E8BD8" fill-opacity="0.6"/>
  <text x="140.5" y="172" font-family="DejaVu Sans" font-size="8.5" fill="#8EA6BE" text-anchor="middle" letter-spacing="1">Zendalite V1.0</text>
</svg>
SVG

# --- one SVG per frame ------------------------------------------------------
# Every motion is a sum of whole harmonics of the loop, so the last frame
# flows into the first without a jump.
awk -v N="$FRAMES" -v DIR="$WORK" '
function clamp(v, lo, hi) { return v < lo ? lo : (v > hi ? hi : v) }
function hex2(s,   d) { d = "0123456789ABCDEF"; return (index(d, substr(s, 1, 1)) - 1) * 16 + index(d, substr(s, 2, 1)) - 1 }
function mix(a, b, t) {      # "#RRGGBB" colours, t = 0 .. 1
    return sprintf("#%02X%02X%02X",
        hex2(substr(a, 2, 2)) + (hex2(substr(b, 2, 2)) - hex2(substr(a, 2, 2))) * t + 0.5,
        hex2(substr(a, 4, 2)) + (hex2(substr(b, 4, 2)) - hex2(substr(a, 4, 2))) * t + 0.5,
        hex2(substr(a, 6, 2)) + (hex2(substr(b, 6, 2)) - hex2(substr(a, 6, 2))) * t + 0.5)
}
# Bend a flame path: points above ybase rise by h and lean by sway, more so
# towards the tip at ytop; the whole flame breathes in width by w.
# Path text is "M x,y C x,y x,y x,y ... Z"; "L" point pairs at index lick
# (1-based pair numbers, comma separated) get the extra lift dl.
function bend(path, ybase, ytop, sway, h, w, lick, dl,   n, tok, i, out, xy, x, y, t, k, lk) {
    n = split(path, tok, " ")
    split(lick, lk, ",")
    out = ""; k = 0
    for (i = 1; i <= n; i++) {
        if (tok[i] !~ /,/) { out = out (out == "" ? "" : " ") tok[i]; continue }
        split(tok[i], xy, ","); x = xy[1] + 0; y = xy[2] + 0; k++
        t = clamp((ybase - y) / (ybase - ytop), 0, 1)
        x = x * (1 + w) + sway * t * t
        y = y - h * t
        if (("," lick ",") ~ ("," k ",")) y -= dl
        out = out " " sprintf("%.2f,%.2f", x, y)
    }
    return out
}
BEGIN {
    pi = atan2(0, -1)
    outer = "M 0,-36 C 9,-24 21,-14 21,4 C 21,16 12,25 0,25 C -12,25 -21,16 -21,4 C -21,-9 -12,-14 -9,-24 C -6,-16 -4,-12 -1,-11 C 1,-19 1,-27 0,-36 Z"
    inner = "M 0,-8 C 5,0 11,6 11,12 C 11,19 6,22.5 0,22.5 C -6,22.5 -11,19 -11,12 C -11,6 -5,1 0,-8 Z"
    core  = "M 0,6 C 2.5,9 4.5,11 4.5,14 C 4.5,17 2.5,18.5 0,18.5 C -2.5,18.5 -4.5,17 -4.5,14 C -4.5,11 -2.5,9 0,6 Z"
    while ((getline line < (DIR "/template.svg")) > 0) template = template line "\n"
    for (f = 0; f < N; f++) {
        p = 2 * pi * f / N
        sway = 2.2 * sin(p) + 0.9 * sin(3 * p + 0.7)
        h    = 2.4 + 1.8 * sin(2 * p + 0.3) + 0.9 * sin(5 * p + 1.1)
        w    = 0.03 * sin(2 * p + 1.5)
        dl   = 2.5 * sin(3 * p + 2.0)                 # left tongue of the flame
        heat = 0.5 + 0.5 * sin(2 * p + 0.3)           # 0 low .. 1 high flame
        ih   = 1.6 + 1.4 * sin(2 * p + 0.9) + 0.6 * sin(4 * p + 2.3)
        isw  = 0.9 * sin(p + 0.4) + 0.5 * sin(3 * p + 1.9)

        s = template
        gsub(/@OUTER@/, bend(outer, 4, -36, sway, h, w, "12,13,14", dl), s)
        gsub(/@INNER@/, bend(inner, 14, -8, isw, ih, w * 0.7, "", 0), s)
        gsub(/@CORE@/,  bend(core, 14, 6, isw * 0.4, ih * 0.35, 0, "", 0), s)
        gsub(/@COREOP@/, sprintf("%.2f", 0.72 + 0.14 * sin(3 * p + 0.5)), s)
        gsub(/@OUTER0@/, mix("#FFE27A", "#FFF2B0", heat), s)
        gsub(/@OUTER1@/, mix("#F28A1A", "#FFA733", heat), s)
        gsub(/@OUTERMIDAT@/, sprintf("%.2f", 0.45 - 0.06 * heat), s)
        gsub(/@INNER1@/, mix("#3FA4EE", "#6CC6FF", 0.5 + 0.5 * sin(2 * p + 0.9)), s)
        gsub(/@INNERMIDAT@/, sprintf("%.2f", 0.45 + 0.05 * sin(3 * p)), s)
        gsub(/@HALO0@/, sprintf("%.3f", 0.36 + 0.16 * heat), s)
        gsub(/@HALO1@/, sprintf("%.3f", 0.15 + 0.06 * heat), s)
        gsub(/@HALOR@/, sprintf("%.2f", 69 + 3 * heat), s)
        gsub(/@GLOW@/, sprintf("%.3f", 0.10 + 0.10 * (0.5 + 0.5 * sin(2 * p + 0.9))), s)
        gx = 95 + 230 * f / N                         # glint runs left to right once
        gsub(/@GLINTX1@/, sprintf("%.1f", gx - 28), s)
        gsub(/@GLINTX2@/, sprintf("%.1f", gx + 28), s)
        file = sprintf("%s/frame%02d.svg", DIR, f)
        printf "%s", s > file
        close(file)
    }
}'

# --- render, share one palette, assemble -------------------------------------
for svg in "$WORK"/frame*.svg; do
    rsvg-convert -w 281 -h 177 -b '#0A1A2C' -o "${svg%.svg}.png" "$svg"
done
# One palette for all frames keeps colours from jumping between frames. No
# dithering: unchanged areas stay identical from frame to frame, so
# -layers Optimize stores only the flame, the halo and the glint.
convert "$WORK"/frame*.png -append +dither -colors "$COLORS" -unique-colors "$WORK/palette.png"
mkdir -p "$(dirname "$OUT")"
convert -loop 0 -delay "$REST" "$WORK/frame00.png" \
    -delay "$DELAY" $(ls "$WORK"/frame*.png | tail -n +2) \
    +dither -remap "$WORK/palette.png" \
    -layers Optimize "gif:$OUT.tmp"
mv "$OUT.tmp" "$OUT"
echo "wrote $OUT: $(stat -c %s "$OUT") bytes, a rest of $((REST * 10)) ms and $((FRAMES - 1)) frames of $((DELAY * 10)) ms"
