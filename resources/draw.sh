#!/usr/bin/env bash
# Redraws the program's bitmaps with ImageMagick. The PNGs are committed; run
# this only after changing a picture. Magenta (255,0,255) marks the pixels the
# program makes transparent, so shapes on it are drawn without anti-aliasing
# to keep pink fringes out of the holes.
set -euo pipefail
cd "$(dirname "$0")"
M='#FF00FF'

# 131: tray icon, 32-bit with alpha: a blue reader with a card above it.
convert -size 16x16 xc:none \
  -fill '#1F4E9A' -stroke '#0A2450' -strokewidth 1 -draw 'roundrectangle 1,7 14,14 2,2' \
  -fill '#F4F7FC' -stroke '#5A6B8C' -draw 'rectangle 4,1 11,8' \
  -stroke none -fill '#E8A33A' -draw 'rectangle 5,3 7,5' \
  -fill '#7CE07C' -draw 'rectangle 3,11 4,12' \
  PNG32:icon131.png

# 132: the same picture in the 16-colour palette, no alpha blending.
convert -size 16x16 xc:none +antialias \
  -fill '#000080' -stroke '#000000' -strokewidth 1 -draw 'rectangle 1,7 14,14' \
  -fill '#FFFFFF' -stroke '#808080' -draw 'rectangle 4,1 11,8' \
  -stroke none -fill '#FFFF00' -draw 'rectangle 5,3 7,5' \
  -fill '#00FF00' -draw 'rectangle 3,11 4,12' \
  -colors 16 PNG8:icon132.png

# 135: notifier skin, 164 x 64; the text goes right of x = 48.
convert -size 164x64 xc:"$M" +antialias \
  \( -size 162x62 gradient:'#3A64B4-#0E2A66' \) -geometry +1+1 \
     -compose over -composite \
  -fill "$M" -stroke none \
  -draw 'rectangle 0,0 3,0' -draw 'rectangle 0,1 1,1' -draw 'point 0,2' -draw 'point 0,3' \
  -draw 'rectangle 160,0 163,0' -draw 'rectangle 162,1 163,1' -draw 'point 163,2' -draw 'point 163,3' \
  -draw 'rectangle 0,63 3,63' -draw 'rectangle 0,62 1,62' -draw 'point 0,61' -draw 'point 0,60' \
  -draw 'rectangle 160,63 163,63' -draw 'rectangle 162,62 163,62' -draw 'point 163,61' -draw 'point 163,60' \
  -fill none -stroke '#9DB4E0' -draw 'line 4,1 159,1' \
  -stroke '#0A1E4A' -draw 'line 4,62 159,62' \
  -fill '#F4F7FC' -stroke '#0A1E4A' -draw 'roundrectangle 9,14 38,36 3,3' \
  -stroke none -fill '#E8A33A' -draw 'rectangle 13,19 19,25' \
  -fill '#8CA0C8' -draw 'rectangle 13,29 33,31' \
  -fill '#1F4E9A' -stroke '#0A1E4A' -draw 'roundrectangle 7,38 40,52 3,3' \
  -stroke none -fill '#7CE07C' -draw 'rectangle 11,44 14,46' \
  -fill '#6F8BC4' -draw 'rectangle 45,12 45,52' \
  -type TrueColor PNG24:notifier135.png

# 140: the three log symbols, 16 x 16 each on magenta: error, information, warning.
convert -size 48x16 xc:"$M" +antialias \
  -fill '#D42020' -stroke '#801010' -draw 'circle 7,7 7,0' \
  -stroke white -strokewidth 2 -draw 'line 4,4 10,10' -draw 'line 10,4 4,10' \
  -strokewidth 1 -fill white -stroke '#1F4E9A' -draw 'roundrectangle 17,0 31,11 3,3' \
  -stroke none -fill white -draw 'polygon 19,11 23,11 19,15' \
  -stroke '#1F4E9A' -draw 'line 19,11 19,15' -draw 'line 19,15 23,11' \
  -stroke none -fill '#1F4E9A' -draw 'rectangle 23,2 24,3' -draw 'rectangle 23,5 24,9' -draw 'point 22,5' \
  -fill '#F2C200' -stroke '#806000' -draw 'polygon 40,0 47,14 33,14' \
  -stroke none -fill black -draw 'rectangle 39,4 40,9' -draw 'rectangle 39,11 40,12' \
  -type TrueColor PNG24:logsymbols140.png
