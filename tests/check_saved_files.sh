#!/bin/sh
# Reads back, with a decoder of the build host, the files the SavingFormats and SavingJpeg
# tests saved into the folder given as the only argument, and checks format, size and
# every pixel. The images (saving_test.cpp): 40 x 30, red = 13x, green = 17y, blue =
# 5x + 11y (each mod 256); columns 10-19 of rows 5-14 have alpha 0, the rest 255. The JPEG
# is one colour, 0x3366CC.
set -u
folder=$1
identify=/usr/bin/identify
convert=/usr/bin/convert
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

for tool in "$identify" "$convert"; do
    [ -x "$tool" ] || { echo "FAIL: $tool is missing (tools/install-deps.sh installs it)"; exit 1; }
done

# Format, width, height and channels as the host decoder sees them, against a pattern.
expect_header() {
    file=$1 want=$2
    got=$("$identify" -format '%m %w %h %[channels]' "$folder/$file" 2>&1)
    case "$got" in
        $want) ;;
        *) fail "$file: expected \"$want\", read \"$got\"" ;;
    esac
}

# Every pixel as "x y r g b [a]", one per line.
pixels() {
    "$convert" "$folder/$1" -depth 8 txt:- | awk -F'[(),: ]+' 'NR > 1 { print $1, $2, $3, $4, $5, $6 }'
}

# Compares every pixel with the pattern; mode "alpha" expects the cleared region, "opaque"
# expects no alpha channel at all.
check_pattern() {
    file=$1 mode=$2
    bad=$(pixels "$file" | awk -v mode="$mode" '
        {
            x = $1; y = $2
            r = (x * 13) % 256; g = (y * 17) % 256; b = (x * 5 + y * 11) % 256
            want = r " " g " " b
            if (mode == "alpha")
                want = want " " ((x >= 10 && x < 20 && y >= 5 && y < 15) ? 0 : 255)
            got = $3 " " $4 " " $5
            if (mode == "alpha") got = got " " $6
            if (got != want) { print x "," y ": read " got ", expected " want; failed = 1; exit }
            count++
        }
        END { if (!failed && count != 1200) print "read " count " pixels, expected 1200" }')
    [ -z "$bad" ] || fail "$file: $bad"
}

# Every pixel within a few steps of one colour.
check_flat() {
    file=$1 r=$2 g=$3 b=$4
    bad=$(pixels "$file" | awk -v r="$r" -v g="$g" -v b="$b" '
        function far(a, c) { return a - c > 8 || c - a > 8 }
        far($3, r) || far($4, g) || far($5, b) { print $1 "," $2 ": read " $3 " " $4 " " $5; exit }')
    [ -z "$bad" ] || fail "$file: $bad, expected about $r $g $b"
}

expect_header saved.png "PNG 40 30 srgba"
check_pattern saved.png alpha
expect_header saved.bmp "BMP* 40 30 srgb"  # BMP3: the version 3 header
check_pattern saved.bmp opaque
expect_header saved.jpg "JPEG 40 30 srgb"
check_flat saved.jpg 51 102 204

[ "$failures" -eq 0 ] && echo "saved files read back correctly"
[ "$failures" -eq 0 ]
