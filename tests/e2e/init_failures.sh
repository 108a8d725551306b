#!/usr/bin/env bash
# Start-up failures. Start-up stops at the first step that fails; that step's line (with SDL's
# error text) is followed by "Failed to initialize!", and the game ends by itself with status 1,
# not by a signal, within a few seconds. Video and audio failures are real (no X server; an audio
# file that cannot be created); window and renderer failures are injected by the capture shim.
. "$(dirname "$0")/../harness/harness.sh" "$@"

# A display number with no X server behind it (and no socket or lock file for one).
free_display() {
    local n
    for _ in $(seq 50); do
        n=$((2000 + RANDOM % 7000))
        if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ] &&
            ! xdpyinfo -display ":$n" >/dev/null 2>&1; then
            echo ":$n"
            return 0
        fi
    done
    return 1
}
require_tools xdpyinfo

case_begin "no X server: the SDL_Init line, \"Failed to initialize!\", status 1"
nodisplay=$(free_display) || abort "no free display number found"
make_workdir no-video
start_game "$WORKDIR" SDL_VIDEODRIVER=x11 DISPLAY="$nodisplay"
expect_failed_start 5
expect_error_lines "SDL could not initialize! SDL Error: " "Failed to initialize!"
case_end || game_output

# Unreachable display and no driver named: SDL would fall back to a driver that shows nothing and
# the game would play unseen; it fails to start instead.
case_begin "no X server, no video driver named: refused, \"Failed to initialize!\", status 1"
make_workdir unseen
start_game "$WORKDIR" SDL_VIDEODRIVER= DISPLAY="$nodisplay"
expect_failed_start 5 \
    "SDL could not initialize! SDL Error: No display could be opened (check DISPLAY or WAYLAND_DISPLAY); SDL_VIDEODRIVER=offscreen runs the game without one" \
    "Failed to initialize!"
case_end || game_output

case_begin "the offscreen driver named by the user: plays without a display, SIGTERM gives 0"
make_workdir offscreen
start_game "$WORKDIR" SDL_VIDEODRIVER=offscreen DISPLAY="$nodisplay"
sleep 2
expect_clean_close 5
expect_stdout
case_end || game_output

start_xvfb

case_begin "audio device cannot open: the SDL_mixer line, \"Failed to initialize!\", status 1"
make_workdir no-audio
start_game "$WORKDIR" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$H_TMP/no-such-dir/out.raw"
expect_failed_start 5
expect_error_lines "SDL_mixer could not initialize! SDL_mixer Error: " "Failed to initialize!"
case_end || game_output

# Injected failures: the shim makes the call fail with the text "injected failure".
for row in "SDL_CreateWindow:Window could not be created! SDL Error: " \
    "SDL_CreateRenderer:Renderer could not be created! SDL Error: "; do
    call=${row%%:*}
    case_begin "$call fails: \"${row#*:}injected failure\", \"Failed to initialize!\", status 1"
    make_workdir "fail-$call"
    shim_env "$WORKDIR"
    start_game "$WORKDIR" "${SHIM_ENV[@]}" QUORVIX_FAIL_CALL="$call"
    expect_failed_start 5 "${row#*:}injected failure" "Failed to initialize!"
    [ -e "$WORKDIR/frame1.ppm" ] && problem "a frame was shown"
    case_end || game_output
done

finish
