#!/usr/bin/env bash
# Draws PeltoRight.ico: a clock face with a gold key across its lower right, at 48, 32 and 16
# pixels. The icon is committed; run this only to change it (needs ImageMagick).
set -euo pipefail
cd "$(dirname "$0")"
convert -size 256x256 xc:none \
  -fill '#1f4e8c' -draw 'circle 112,112 112,12' \
  -fill '#f4f7fb' -draw 'circle 112,112 112,30' \
  -stroke '#1f4e8c' -strokewidth 10 -draw 'line 112,48 112,60' -draw 'line 112,164 112,176' \
  -draw 'line 48,112 60,112' -draw 'line 164,112 176,112' \
  -stroke '#22262e' -strokewidth 14 -draw 'line 112,112 112,62' \
  -strokewidth 10 -draw 'line 112,112 150,126' \
  -stroke none -fill '#22262e' -draw 'circle 112,112 112,100' \
  -stroke '#7a5a00' -strokewidth 6 -fill '#f2b705' -draw 'circle 180,180 180,140' \
  -stroke none -fill '#7a5a00' -draw 'circle 180,180 180,166' \
  -stroke '#7a5a00' -strokewidth 6 -fill '#f2b705' \
  -draw 'polygon 150,206 238,206 238,222 226,222 226,240 210,240 210,222 150,222' \
  -strokewidth 0 -fill '#f2b705' -draw 'rectangle 150,200 170,228' \
  PeltoRight-256.png
convert PeltoRight-256.png -define icon:auto-resize=48,32,16 PeltoRight.ico
rm -f PeltoRight-256.png
