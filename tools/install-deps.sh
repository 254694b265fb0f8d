#!/bin/sh
# Installs what building and testing need on Debian or Ubuntu, only when something is missing,
# and makes sure the ja_JP.UTF-8 locale exists (Wine's ANSI code page is 932 only with it).
set -eu

# libz-mingw-w64-dev: the static zlib the program links; clang, libclang-rt-14-dev (libFuzzer
# and the sanitizers), zlib1g-dev and libpng-dev: the native fuzz targets and the
# differential test of the file walkers; libjpeg-dev: the JPEG picture of the colour
# work's native tests.
packages="cmake make g++-mingw-w64-x86-64-posix mingw-w64-tools googletest wine wine64 \
xvfb xauth xdotool imagemagick fonts-ipafont-gothic locales libz-mingw-w64-dev \
clang libclang-rt-14-dev zlib1g-dev libpng-dev libjpeg-dev"

missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing="$missing $p"
done

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

if [ -n "$missing" ]; then
    echo "Installing:$missing"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $missing
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "Generating the ja_JP.UTF-8 locale"
    if [ -f /etc/locale.gen ]; then
        as_root sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen
    else
        as_root locale-gen ja_JP.UTF-8
    fi
fi
