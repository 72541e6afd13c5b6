#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Remakes every PNG picture under resources/ from its SVG source here. A developer step, not
# part of the build: the PNGs are committed. Needs only rsvg-convert (Debian: librsvg2-bin).
# Each runtime picture is also made at twice its size, named with "@2x" before ".png", for
# high-density screens; the icon is made at the sizes the desktop's icon theme looks for.
set -eu
cd "$(dirname "$0")"
out=..
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# render SOURCE TARGET [rsvg-convert options]
render() {
  render_source=$1 render_target=$2
  shift 2
  rsvg-convert "$@" -o "$render_target" "$render_source"
}

# strip FOLDER WIDTH HEIGHT BACKGROUND TARGET: the pictures of FOLDER, in the order of their
# names, side by side. Each picture is drawn at the strip's own scale first and then placed
# pixel for pixel, so the 2x strips are as sharp as the pictures drawn alone.
strip() {
  folder=$1 w=$2 h=$3 background=$4 target=$5
  for zoom in 1 2; do
    name=$target
    [ "$zoom" = 2 ] && name="$target@2x"
    pw=$((w * zoom)) ph=$((h * zoom))
    layout="$work/$(basename "$target")-$zoom.svg"
    count=0
    body=""
    for picture in "$folder"/*.svg; do
      piece="$work/$(basename "$picture" .svg)-$zoom.png"
      render "$picture" "$piece" --zoom="$zoom"
      body="$body<image x=\"$((count * pw))\" y=\"0\" width=\"$pw\" height=\"$ph\" href=\"$piece\"/>"
      count=$((count + 1))
    done
    sw=$((count * pw))
    printf '<svg xmlns="http://www.w3.org/2000/svg" width="%s" height="%s">%s%s</svg>\n' \
      "$sw" "$ph" "$background" "$body" > "$layout"
    render "$layout" "$out/$name.png"
    echo "made $out/$name.png ($sw x $ph)"
  done
}

render splash.svg "$out/splash.png"
render splash.svg "$out/splash@2x.png" --zoom=2
echo "made $out/splash.png and splash@2x.png"

strip toolbar 32 32 "" toolbar
# The instrument strip's own background is the main window's colour, read from pixel (0, 0).
strip instruments 171 141 '<rect width="100%" height="100%" fill="rgb(20,100,20)"/>' instruments

# The icon: the smallest sizes leave out the key cap so that the notes stay readable.
for size in 16 22 24 32 48 64 128 256; do
  source="$out/icons/tangrel.svg"
  [ "$size" -le 24 ] && source=icon-small.svg
  mkdir -p "$out/icons/hicolor/$size"
  render "$source" "$out/icons/hicolor/$size/tangrel.png" --width="$size" --height="$size"
done
echo "made $out/icons/hicolor/*/tangrel.png"
