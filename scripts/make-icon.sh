#!/usr/bin/env bash
# Draws the program's clock icon at every size Windows asks for: 16, 20 and 24 pixels (small
# icons at 100 to 150 %), 32, 40, 48 and 64 (large icons, task bar, Explorer) and 256 (Explorer's
# large views), each on its own grid from the same drawing, so that none is a blurry scaled
# copy, and combines them into resources/clock.ico. The 256-pixel image is stored as PNG, as
# Windows expects at that size; the others as bitmaps. The .ico is kept in the repository, so
# the build itself never needs ImageMagick.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$root/resources/clock.ico}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

ring='#1f5fae'
face='#ffffff'
ink='#1d2733'
second='#d64032'

# The 16-pixel icon is laid out pixel by pixel: a blue ring, a white face, four quarter ticks
# and the hands at 3 o'clock, all on whole pixels, because antialiased diagonals turn to mud
# at this size.
small_primitives() {
    cat <<PRIMITIVES
stroke none fill $ring circle 7.5,7.5 15,7.5
fill $face circle 7.5,7.5 13.3,7.5
fill $ink
rectangle 7,2 8,2
rectangle 7,13 8,13
rectangle 2,7 2,8
rectangle 13,7 13,8
rectangle 7,4 8,8
rectangle 7,7 10,8
PRIMITIVES
}

# Prints ImageMagick -draw primitives for 20 pixels and up. The hands show 10:08:40, the
# classic display time, with a red second hand.
primitives() {
    awk -v s="$1" -v ring="$ring" -v face="$face" -v ink="$ink" -v second="$second" '
    function px(v) { return sprintf("%.2f", v) }
    function hand(angle, reach, width, colour,   x, y) {
        x = c + reach * sin(angle); y = c - reach * cos(angle)
        printf "stroke %s stroke-width %s stroke-linecap round line %s,%s %s,%s\n",
               colour, px(width), px(c), px(c), px(x), px(y)
    }
    BEGIN {
        pi = atan2(0, -1)
        c = (s - 1) / 2                      # centre of the pixel grid
        outer = s / 2 - s / 32
        ringWidth = s * 0.085
        inner = outer - ringWidth
        printf "stroke none fill %s circle %s,%s %s,%s\n", ring, px(c), px(c), px(c + outer), px(c)
        printf "fill %s circle %s,%s %s,%s\n", face, px(c), px(c), px(c + inner), px(c)
        printf "fill none\n"
        for (h = 0; h < 12; h++) {
            quarter = (h % 3 == 0)
            if (!quarter && s < 32) continue   # below 32 pixels they would only grey the face
            a = h * pi / 6
            len = quarter ? inner * 0.22 : inner * 0.12
            w = quarter ? s * 0.05 : s * 0.03
            r1 = inner * 0.92; r0 = r1 - len
            printf "stroke %s stroke-width %s line %s,%s %s,%s\n", ink, px(w),
                   px(c + r0 * sin(a)), px(c - r0 * cos(a)), px(c + r1 * sin(a)), px(c - r1 * cos(a))
        }
        hours = 10 + 8 / 60; minutes = 8 + 40 / 60
        hand(hours * pi / 6, inner * 0.52, s * 0.075, ink)
        hand(minutes * pi / 30, inner * 0.78, s * 0.055, ink)
        hand(40 * pi / 30, inner * 0.82, s * 0.025, second)
        printf "stroke none fill %s circle %s,%s %s,%s\n", second, px(c), px(c), px(c + s * 0.055), px(c)
    }'
}

sizes=(20 24 32 40 48 64 256)
convert -size 16x16 xc:none -draw "$(small_primitives)" -define png:color-type=6 "$work/clock-16.png"
for size in "${sizes[@]}"; do
    convert -size "${size}x${size}" xc:none -draw "$(primitives "$size")" \
        -define png:color-type=6 "$work/clock-$size.png"
done
# ImageMagick writes a 256-pixel image as PNG and the smaller ones as bitmaps. The PNG with 8 bits
# a channel: one of 16 (what a Q16 ImageMagick writes otherwise) is twice the size, and Wine cannot
# load it.
convert "$work/clock-16.png" $(printf "$work/clock-%s.png " "${sizes[@]}") \
    -define png:bit-depth=8 "$out"
echo "wrote $out"
