#!/usr/bin/env bash
# Exact pixels of known frames of a match nobody plays (frames/frameN.shapes describe them):
# frame 1, frame 60 with the ball in flight, and frame 82 just after the opponent scores; and
# frame 2 of a match played with Right, or Left, held from the start: the paddle tilted either way
# (frames/frame2-right.shapes, frame2-left.shapes). Two steps of tilt keep the paddle inside the
# window: a line that leaves it is lit differently since SDL 2.28.3, which cuts it at the edge
# first. The capture shim reads each frame back from the renderer just before it is shown. Frame 1
# is also saved as a PNG (--out) for the documentation.
. "$(dirname "$0")/../harness/harness.sh" "$@"

FRAMES=(1 60 82)
SHAPES_DIR=$(dirname "$0")/frames

# check_capture FILE SHAPES: every difference check_frame reports is a problem of the case.
check_capture() {
    local report
    if [ ! -e "$1" ]; then
        problem "not captured"
    elif ! report=$("$TOOLS/check_frame" "$1" "$SHAPES_DIR/$2" 2>&1); then
        problems <<<"$report"
    fi
}

[ -z "$OUT" ] || require_tools convert
start_xvfb
make_workdir play
play=$WORKDIR
shim_env "$WORKDIR"
SHIM_ENV+=(QUORVIX_CAPTURE_FRAMES="${FRAMES[*]}")
start_game "$WORKDIR" "${SHIM_ENV[@]}"

case_begin "frames ${FRAMES[*]} are captured and the game then closes with status 0"
last=$WORKDIR/frame${FRAMES[-1]}.ppm
wait_until --game 15 test -e "$last" || problem "frame ${FRAMES[-1]} was not captured"
expect_clean_close 3
case_end || game_output

for frame in "${FRAMES[@]}"; do
    case_begin "frame $frame: every pixel black or white, white exactly as in frame$frame.shapes"
    check_capture "$play/frame$frame.ppm" "frame$frame.shapes"
    case_end
done

# Right and Left by their scancodes, held through the shim from the first frame on.
for held in right:79 left:80; do
    make_workdir "tilt-${held%:*}"
    shim_env "$WORKDIR"
    start_game "$WORKDIR" "${SHIM_ENV[@]}" QUORVIX_CAPTURE_FRAMES=2 QUORVIX_HOLD_KEYS="${held#*:}"
    case_begin "frame 2 with ${held%:*} held: exactly as in frame2-${held%:*}.shapes"
    wait_until --game 15 test -e "$WORKDIR/frame2.ppm"
    check_capture "$WORKDIR/frame2.ppm" "frame2-${held%:*}.shapes"
    expect_clean_close 3
    case_end || game_output
done

if [ -n "$OUT" ]; then
    case_begin "frame 1 saved as $OUT"
    if ! err=$(convert "$play/frame1.ppm" "png:$OUT.part" 2>&1 && mv "$OUT.part" "$OUT"); then
        problem "not saved: $err"
    fi
    case_end
fi

finish
