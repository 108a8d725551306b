#!/usr/bin/env bash
# Full screen, under a window manager (openbox), on a screen of SIZE: F11 goes to full screen,
# where the court is shown SCALE times its size in the largest 4 : 3 area, F11 again goes back to
# the 800 x 600 window, and --fullscreen starts in full screen. The frames the shim captures on the
# screen are compared with the same frames of a run in the window (the game plays the same
# whatever its size): every screen pixel must be the court pixel it samples, nearest-pixel, black
# around the court, and every court pixel must be shown (scaled_frame).
#
#   fullscreen.sh HARNESS-OPTIONS... --screen SIZE --scale SCALE
. "$(dirname "$0")/../harness/harness.sh" "${@:1:$#-4}"
SIZE=${*: -3:1}
SCALE=${*: -1:1}

# Frames compared: in full screen (3 s in, and 5.5 s in, the pause after the first point
# included), and back in the window.
FULL="150 250"
BACK=350

start_xvfb "$SIZE"
start_window_manager

# play NAME: the game, its window focused, capturing the frames compared.
play() {
    make_workdir "$1"
    shim_env "$WORKDIR"
    start_game "$WORKDIR" "${SHIM_ENV[@]}" QUORVIX_CAPTURE_FRAMES="1 $FULL $BACK"
    wait_for_window 10 && focus_window || problem "$1: no window to focus"
}

size_is() {
    [ "$(window_size "$WID")" = "$1" ]
}

# frame NAME N: waits for frame N of run NAME.
frame() {
    wait_until --game 15 test -e "$H_TMP/$1/frame$2.ppm" || problem "$1: frame $2 never came"
}

case_begin "in the 800 x 600 window, the frames to compare with"
play window
frame window "$BACK"
stop_game 5
case_end

case_begin "F11 on a $SIZE screen: the court shown at $SCALE times, exactly; F11 again: the window"
play full
xdotool key F11
wait_until 5 size_is "$SIZE" || problem "after F11 the window is $(window_size "$WID"), not $SIZE"
for n in $FULL; do
    frame full "$n"
    result=$("$TOOLS/scaled_frame" "$H_TMP/full/frame$n.ppm" "$H_TMP/window/frame$n.ppm") ||
        problem "frame $n: $result"
    [[ $result == *"scale=$SCALE"* ]] || problem "frame $n: $result"
done
xdotool key F11
wait_until 5 size_is 800x600 || problem "after F11 again the window is $(window_size "$WID"), not 800x600"
frame full "$BACK"
cmp -s "$H_TMP/full/frame$BACK.ppm" "$H_TMP/window/frame$BACK.ppm" ||
    problem "back in the window, frame $BACK differs from the window's"
stop_game 5
case_end

case_begin "--fullscreen: in full screen from the start; F11 gives the window"
make_workdir started
start_game "$WORKDIR" -- "$GAME" --fullscreen
wait_for_window 10 && focus_window || problem "no window to focus"
wait_until 5 size_is "$SIZE" || problem "the window is $(window_size "$WID"), not $SIZE"
# Back in the window before it is closed: SDL 3 (sdl2-compat) can die of an X error (BadWindow in
# X_TranslateCoords) when a full-screen window is closed under a window manager.
xdotool key F11
wait_until 5 size_is 800x600 || problem "after F11 the window is $(window_size "$WID"), not 800x600"
expect_clean_close 5
case_end || game_output

finish
