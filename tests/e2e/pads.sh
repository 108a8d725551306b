#!/usr/bin/env bash
# A game controller plugged in during play steers the paddle exactly as the keys do, and one
# unplugged with a direction held leaves nothing held. The shim plugs in a virtual pad (SDL's own
# virtual joysticks: no devices needed) while the game runs, holds its D-pad down, and unplugs it
# with the button still held; a second run holds the Down key for the same frames instead. Both
# runs' frames must be the same, pixel for pixel. SDL passes a pad's input on only while the
# window has the focus, so the pad run's window is focused before the pad arrives.
. "$(dirname "$0")/../harness/harness.sh" "$@"

# Frames: the pad arrives for frame 100 (2 s in; the ball is away from the paddle's strip from the
# first point, frame 82, for some 3.5 s), D-pad down (SDL's button 12) is held from frame 110 and
# the pad unplugged for frame 121 with the button still down; the Down key (scancode 81) is held
# in frames 110 to 120.
PAD="100 12 110 140 121"
KEYS="81@110-120"
FRAMES="125 160"

start_xvfb

# play NAME SETTING: a run with SETTING, its window focused, until FRAMES have been captured.
play() {
    make_workdir "$1"
    shim_env "$WORKDIR"
    start_game "$WORKDIR" "${SHIM_ENV[@]}" QUORVIX_CAPTURE_FRAMES="1 $FRAMES" "$2"
    if ! wait_for_window 10 || ! focus_window; then
        problem "$1: no window to focus"
    fi
    wait_until --game 15 test -e "$WORKDIR/frame${FRAMES##* }.ppm" || problem "$1: frames missing"
    stop_game 5
    grep -h 'quorvix shim' "$GAME_RUN/stderr" | while read -r line; do problem "$1: $line"; done
}

case_begin "D-pad down on a pad plugged in during play, then unplugged while held, is the Down key held as long"
play keys QUORVIX_HOLD_KEYS="$KEYS"
play pad QUORVIX_PAD="$PAD"
# The paddle has moved down 11 steps of 9 pixels, from its top row at 236.
line=$("$TOOLS/frame_region" "$H_TMP/keys/frame125.ppm" 0 0 120 599)
[[ $line =~ bbox=24,335,56, ]] || problem "the Down key did not move the paddle as expected: $line"
for frame in $FRAMES; do
    cmp -s "$H_TMP/keys/frame$frame.ppm" "$H_TMP/pad/frame$frame.ppm" ||
        problem "frame $frame differs between the key and the pad: $("$TOOLS/frame_region" "$H_TMP/pad/frame$frame.ppm" 0 0 120 599)"
done
case_end

finish
