#!/bin/sh
# Fetches the folders of real cut-outs that bench_cutout_folder is measured on, from Debian's
# packages, into DIR (default build/cutout-sets): the icon theme's 512-pixel folder, every
# seventh of another theme's 256-pixel icons, and sprites with transparency of two games (at
# least 64 and 48 pixels a side, every fourth and every eighth in name order). Nothing is
# installed: each package is downloaded and unpacked beside the folders.
#
#   tools/fetch_cutout_sets.sh [DIR]
#   build/native-bench/bench/native/bench_cutout_folder DIR/oxygen
set -eu

dir=${1:-build/cutout-sets}
mkdir -p "$dir/packages"
dir=$(cd "$dir" && pwd)

cd "$dir/packages"
for package in adwaita-icon-theme oxygen-icon-theme pingus-data frozen-bubble-data; do
    ls "$package"_*.deb >/dev/null 2>&1 || apt-get download "$package"
    [ -d "unpacked/$package" ] || { mkdir -p "unpacked/$package" && dpkg-deb -x "$package"_*.deb "unpacked/$package"; }
done

# Copies every n-th of the PNGs listed on standard input into folder, each named after a hash
# of its path and its own name (the sets hold many files of one name).
pick_every() {
    n=$1 folder=$2
    rm -rf "$folder"
    mkdir -p "$folder"
    sort | awk -v n="$n" 'NR % n == 0' | while read -r file; do
        cp "$file" "$folder/$(printf '%s' "$file" | md5sum | cut -c1-6)_$(basename "$file")"
    done
}

# The PNGs below folder at least side pixels wide and high, with an alpha channel.
with_alpha() {
    folder=$1 side=$2
    find "$folder" -name '*.png' | while read -r file; do
        set -- $(identify -format '%w %h %A' "$file" 2>/dev/null || echo 0 0 False)
        [ "$1" -ge "$side" ] && [ "$2" -ge "$side" ] && [ "$3" != Undefined ] && [ "$3" != False ] && echo "$file"
    done
}

rm -rf "$dir/adwaita"
cp -r unpacked/adwaita-icon-theme/usr/share/icons/Adwaita/512x512 "$dir/adwaita"
find unpacked/oxygen-icon-theme -path '*256x256*' -name '*.png' | pick_every 7 "$dir/oxygen"
with_alpha unpacked/pingus-data 64 | pick_every 4 "$dir/pingus"
with_alpha unpacked/frozen-bubble-data 48 | pick_every 8 "$dir/frozen-bubble"
for set in adwaita oxygen pingus frozen-bubble; do
    echo "$dir/$set: $(find "$dir/$set" -name '*.png' | wc -l) PNGs"
done
