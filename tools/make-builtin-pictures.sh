#!/usr/bin/env bash
# Draws the two pictures the main window shows at start and writes them into
# src/app/resources/, where the build compiles them in:
#   image7.jpg  376 x 239 colour picture card (baseline JFIF, three components)
#   image8.bmp   32 x 31  black line drawing on white, one bit per pixel
# Needs ImageMagick's `convert`.
set -euo pipefail
out="$(cd "$(dirname "$0")/.." && pwd)/src/app/resources"
sans=DejaVu-Sans
bold=DejaVu-Sans-Bold

# Picture card: the satellite over a night sky, its mission emblem, a reception note.
convert -size 376x239 gradient:'#0b1640'-'#26478a' \
    -fill white \
    -draw 'point 20,18' -draw 'point 64,40' -draw 'point 111,12' -draw 'point 150,58' \
    -draw 'point 33,95' -draw 'point 205,22' -draw 'point 240,70' -draw 'point 90,130' \
    -draw 'point 12,150' -draw 'point 178,140' -draw 'point 300,15' -draw 'point 355,120' \
    -draw 'circle 140,30 141,30' -draw 'circle 52,120 53,120' \
    -stroke '#9aa4b8' -strokewidth 2 -draw 'line 74,54 74,90' -draw 'line 122,54 122,90' \
    -stroke '#c9ced8' -strokewidth 1 -fill '#d9dde5' -draw 'rectangle 78,52 118,92' \
    -stroke '#8a93a6' -draw 'line 78,72 118,72' -draw 'line 98,52 98,92' \
    -fill '#1d5fc2' -stroke '#9fc2ff' -draw 'rectangle 14,60 70,84' -draw 'rectangle 126,60 182,84' \
    -stroke '#9fc2ff' -draw 'line 28,60 28,84' -draw 'line 42,60 42,84' -draw 'line 56,60 56,84' \
    -draw 'line 140,60 140,84' -draw 'line 154,60 154,84' -draw 'line 168,60 168,84' \
    -draw 'line 14,72 70,72' -draw 'line 126,72 182,72' \
    -stroke '#e8e8e8' -draw 'line 98,52 98,30' -fill '#ff5050' -stroke none -draw 'circle 98,29 98,26' \
    -stroke '#f2c84b' -strokewidth 3 -fill '#15306e' -draw 'circle 292,70 292,22' \
    -strokewidth 1 -stroke '#f2c84b' -fill none -draw 'circle 292,70 292,30' \
    -stroke none -fill '#f2c84b' -draw 'polygon 292,42 300,62 321,62 304,75 310,96 292,83 274,96 280,75 263,62 284,62' \
    -font "$bold" -pointsize 9 -fill white -draw "text 256,136 'IMAGE BEACON'" \
    -font "$bold" -pointsize 15 -fill white -draw "text 14,128 'ATHENOXAT-1'" \
    -font "$sans" -pointsize 10 -fill '#cfe0ff' -draw "text 14,144 'GOMX1 data beacon   4800 Bd GMSK'" \
    -fill '#f5f1e4' -stroke '#b8a97a' -draw 'rectangle 8,160 367,230' \
    -stroke none -font "$bold" -pointsize 11 -fill '#3a2f12' -draw "text 16,178 'Reception note'" \
    -font "$sans" -pointsize 10 -fill '#3a2f12' \
    -draw "text 16,196 'Icons, thumbnails and puzzles of the image beacon,'" \
    -draw "text 16,210 'decoded from KISS, text and HEX captures.'" \
    -draw "text 16,224 'Zeltodecoder  v1.3  -  73 de QG9MCE'" \
    -strip -type TrueColor -colorspace sRGB -interlace none -sampling-factor 2x2 -quality 88 \
    "JPG:$out/image7.jpg"

# Icon drawing: a small satellite with two panels and an antenna.
convert -size 32x31 xc:white -fill none -stroke black -strokewidth 1 \
    -draw 'rectangle 12,11 19,18' \
    -draw 'rectangle 1,12 9,17' -draw 'line 5,12 5,17' \
    -draw 'rectangle 22,12 30,17' -draw 'line 26,12 26,17' \
    -draw 'line 9,14 12,14' -draw 'line 19,14 22,14' \
    -draw 'line 15,11 15,4' -draw 'line 13,3 17,3' \
    -draw 'line 12,24 19,24' -draw 'line 10,27 21,27' -draw 'line 15,18 15,22' \
    -strip -threshold 50% -type bilevel -colors 2 "BMP3:$out/image8.bmp"
