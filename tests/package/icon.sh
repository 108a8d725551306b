#!/bin/sh
# The 48 x 48 icon rendered from the SVG at build time: it decodes cleanly, its header says 48 x 48
# with 8-bit RGBA, and the picture has white marks on black, corners clear.
#
# Usage: icon.sh PNG
set -eu
png=$1
for tool in identify convert; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

if ! info=$(identify -regard-warnings "$png" 2>&1); then
    echo "FAIL: the PNG does not decode without warnings (bad checksum or deflate data?) $info"
    exit 1
fi
# The image's own header, not a tool's wording of it: the signature, then IHDR with width, height,
# bit depth and colour type (6: RGB with alpha), the file's first 26 bytes.
header=$(od -An -tu1 -N26 "$png" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
expected="137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 0 0 0 48 0 0 0 48 8 6"
[ "$header" = "$expected" ] || fail "the PNG is not 48 x 48, 8-bit RGBA: header bytes $header"

# Share of fully white opaque pixels, fully black opaque ones, and transparent ones.
shares=$(convert "$png" -depth 8 txt:- | awk '
    /#FFFFFFFF/ { w++ } /#000000FF/ { b++ } /#[0-9A-F]+00 / { t++ }
    END { printf "%d %d %d", 100 * w / 2304, 100 * b / 2304, 100 * t / 2304 }')
read -r white black clear <<END
$shares
END
if [ "$white" -lt 3 ] || [ "$white" -gt 20 ]; then
    fail "$white % of the pixels are white (3 to 20 expected)"
fi
[ "$black" -ge 50 ] || fail "$black % of the pixels are black (at least 50 expected)"
if [ "$clear" -lt 12 ] || [ "$clear" -gt 25 ]; then
    fail "$clear % of the pixels are transparent (12 to 25 expected)"
fi
corners=$(convert "$png" -format '%[pixel:p{0,0}] %[pixel:p{47,47}]' info:)
[ "$corners" = 'srgba(0,0,0,0) srgba(0,0,0,0)' ] || fail "corners: $corners"

[ "$failed" = 0 ] && echo PASS || exit 1
