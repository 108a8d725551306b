#!/usr/bin/env bash
# The Windows zip, unpacked and played under Wine in a private X server with a window manager,
# against the native game as the reference (through the harness and its shim): the window, a
# frame pixel for pixel, Up held, the sound, a missing sound, Alt+F4; and the victory music
# through the zip's Timidity configuration (the music probe, cross-built).
#
#   wine.sh HARNESS-OPTIONS... --zip-dir DIR --probe EXE   (DIR: the unpacked zip's folder)
. "$(dirname "$0")/../harness/harness.sh" "${@:1:$#-4}"
ZIP_DIR=${*: -3:1}
PROBE=${*: -1:1}
require_tools wine import

start_xvfb
start_window_manager
# A Wine prefix of the test's own; a crash ends the program rather than opening a debugger.
export WINEPREFIX=$H_TMP/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=winemenubuilder.exe=d
wineboot -i >/dev/null 2>&1 || abort "wineboot could not make a Wine prefix"
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /d false /f \
    >/dev/null 2>&1

# describe FILE [X0 Y0 X1 Y1]: the white pixels of a frame, or of a part of it (frame_region).
describe() { "$TOOLS/frame_region" "$1" "${2:-0}" "${3:-0}" "${4:-799}" "${5:-599}"; }

# The native reference: frames 67 to 82 (the most the shim captures; frame 82 is shown through the
# 500 ms pause after the first point), described, and the paddle strip with Up held long enough
# to reach the top.
make_workdir native
shim_env "$WORKDIR"
start_game "$WORKDIR" "${SHIM_ENV[@]}" QUORVIX_CAPTURE_FRAMES="$(seq -s ' ' 67 82)"
wait_until --game 15 test -e "$WORKDIR/frame82.ppm" || abort "the native game gave no frame 82"
stop_game 5
for frame in "$WORKDIR"/frame*.ppm; do
    describe "$frame" && rm "$frame"
done >"$H_TMP/native-frames"
start_game "$WORKDIR" "${SHIM_ENV[@]}" QUORVIX_CAPTURE_FRAMES=30 QUORVIX_HOLD_KEYS=82
wait_until --game 15 test -e "$WORKDIR/frame30.ppm" || abort "the native game gave no frame 30"
stop_game 5
up_strip=$(describe "$WORKDIR/frame30.ppm" 0 0 120 599)

# unpack NAME: a copy of the unpacked zip of its own, as WORKDIR. wine_run PROGRAM [VAR=value...]:
# PROGRAM started there under Wine, its sound recorded to out.raw beside it.
unpack() {
    WORKDIR=$H_TMP/$1
    cp -R "$ZIP_DIR" "$WORKDIR"
}
wine_run() {
    start_game "$WORKDIR" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORKDIR/out.raw" "${@:2}" -- wine "$1"
}

case_begin "an 800 x 600 window titled Quorvix, showing one of the native game's frames pixel for pixel"
unpack game
wine_run quorvix.exe
wait_for_window 30 && focus_window || problem "no window to focus"
[ "$(window_size "${WID:-0}")" = 800x600 ] || problem "the window is $(window_size "${WID:-0}")"
shows_native_frame() {
    capture_window "$WORKDIR/shown.ppm" 2>/dev/null &&
        grep -qxF "$(describe "$WORKDIR/shown.ppm")" "$H_TMP/native-frames"
}
wait_until --game 10 shows_native_frame ||
    problem "no native frame shown; the last capture: $(describe "$WORKDIR/shown.ppm")"
case_end || game_output

# Once the first point's sound is heard, the serve goes to the right: the ball stays out of the
# paddle's strip for some 3.5 s.
case_begin "the point-lost sound is recorded; then Up held puts the paddle at the top, as natively"
heard() { "$TOOLS/find_sound" "$WORKDIR/out.raw" "$RES/snd02.wav" | grep -q '^snd02 start='; }
wait_until 15 heard || problem "no snd02 in the recording"
hold_key Up 1.5 # 27 frames reach the top, the 500 ms pause after the point aside
capture_window "$WORKDIR/up.ppm"
strip=$(describe "$WORKDIR/up.ppm" 0 0 120 599)
[ "$strip" = "$up_strip" ] || problem "paddle strip: $strip, natively $up_strip"
case_end || game_output

case_begin "Alt+F4 ends the game with status 0"
xdotool key --window "${WID:-0}" alt+F4
wait_game_exit 10 && [ "$GAME_RC" = 0 ] || problem "status ${GAME_RC:-none} after Alt+F4"
case_end || game_output

case_begin "a missing sound is named, and the game ends with status 1"
unpack missing
rm "$WORKDIR/res/snd01.wav"
wine_run quorvix.exe
expect_failed_start 30
sed -i 's/\r$//' "$GAME_RUN/stdout" # Windows ends its lines with CR LF
expect_error_lines "Failed to load snd01 sound effect! SDL_mixer Error: " "Failed to load media!"
case_end || game_output

case_begin "the victory music plays through the zip's Timidity configuration, and is heard"
unpack probe
cp "$PROBE" "$WORKDIR/"
wine_run "$(basename "$PROBE")" SDL_MIXER_DEBUG_MUSIC_INTERFACES=1
wait_game_exit 60 && [ "$GAME_RC" = 0 ] || problem "the probe ended with status ${GAME_RC:-none}"
grep -q 'Loaded music with TIMIDITY' "$GAME_RUN/stderr" || problem "the music did not come from Timidity"
[ -s "$WORKDIR/out.raw" ] && ! cmp -s -n "$(stat -c %s "$WORKDIR/out.raw")" "$WORKDIR/out.raw" /dev/zero ||
    problem "nothing was heard"
case_end || game_output

wineserver -k 2>/dev/null
finish
