#!/bin/sh
# Makes docs/colour_key.png, the README's picture of making a colour transparent, with the
# pixel library's own colour work built natively (g++ and libpng). Run it again whenever the
# colour work changes: sh docs/make_colour_key_picture.sh
set -eu
cd "$(dirname "$0")/.."
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
g++ -std=c++17 -O2 -Wall -Wextra -I src/pixels docs/make_colour_key_picture.cpp src/pixels/colour_key.cpp \
    -lpng -o "$out/make_colour_key_picture"
"$out/make_colour_key_picture" docs/colour_key.png
echo "wrote docs/colour_key.png"
