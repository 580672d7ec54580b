#!/usr/bin/env bash
# Redraws the menu icons from the program's own picture (resources/draw.sh,
# icon 131: a blue reader with a card above it), drawn once at 256 x 256 and
# scaled down. The PNGs are committed; run this only after changing it.
set -euo pipefail
cd "$(dirname "$0")"
mkdir -p icons
convert -size 256x256 xc:none \
  -fill '#1F4E9A' -stroke '#0A2450' -strokewidth 16 -draw 'roundrectangle 24,120 232,232 32,32' \
  -fill '#F4F7FC' -stroke '#5A6B8C' -draw 'rectangle 72,24 184,136' \
  -stroke none -fill '#E8A33A' -draw 'rectangle 88,56 128,96' \
  -fill '#7CE07C' -draw 'rectangle 56,184 80,208' \
  PNG32:icons/256.png
for size in 16 24 32 48 64 128; do
  convert icons/256.png -filter Lanczos -resize ${size}x${size} PNG32:icons/$size.png
done
