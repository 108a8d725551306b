#!/usr/bin/env bash
# The 48 x 48 icon rendered from the SVG at build time: it decodes cleanly, its header says 48 x 48
# with 8-bit RGBA, and the picture has white marks on black, corners clear.
#
# Usage: icon.sh PNG
png=$1
set -- # the harness takes no arguments here
. "$(dirname "$0")/../harness/harness.sh"
require_tools identify convert od

case_begin "rendered at build time, and decodes without a warning"
if [ ! -f "$png" ]; then
    # The build renders it only where it found rsvg-convert; a build for the tests needs it.
    problem "$png was not rendered: rsvg-convert was not found when the build was configured" \
        "(scripts/install-deps --tests installs it; then configure again)"
elif ! info=$(identify -regard-warnings "$png" 2>&1); then
    problem "it does not decode without warnings (bad checksum or deflate data?): $info"
fi
case_end || finish

case_begin "the PNG header: 48 x 48, 8-bit RGBA"
# The image's own header, not a tool's wording of it: the signature, then IHDR with width, height,
# bit depth and colour type (6: RGB with alpha), the file's first 26 bytes.
header=$(od -An -tu1 -N26 "$png" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//')
expected="137 80 78 71 13 10 26 10 0 0 0 13 73 72 68 82 0 0 0 48 0 0 0 48 8 6"
[ "$header" = "$expected" ] || problem "header bytes $header"
case_end

case_begin "white marks on black, some clear pixels, the corners clear"
# Share of fully white opaque pixels, fully black opaque ones, and transparent ones.
read -r white black clear < <(convert "$png" -depth 8 txt:- | awk '
    /#FFFFFFFF/ { w++ } /#000000FF/ { b++ } /#[0-9A-F]+00 / { t++ }
    END { printf "%d %d %d\n", 100 * w / 2304, 100 * b / 2304, 100 * t / 2304 }')
[ -n "${clear:-}" ] || problem "convert could not list the pixels"
if [ "${white:-0}" -lt 3 ] || [ "$white" -gt 20 ]; then
    problem "$white % of the pixels are white (3 to 20 expected)"
fi
[ "${black:-0}" -ge 50 ] || problem "$black % of the pixels are black (at least 50 expected)"
if [ "${clear:-0}" -lt 12 ] || [ "$clear" -gt 25 ]; then
    problem "$clear % of the pixels are transparent (12 to 25 expected)"
fi
corners=$(convert "$png" -format '%[pixel:p{0,0}] %[pixel:p{47,47}]' info:)
[ "$corners" = 'srgba(0,0,0,0) srgba(0,0,0,0)' ] || problem "corners: $corners"
case_end

finish
