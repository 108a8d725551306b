#!/usr/bin/env bash
# The game's window: titled exactly "Quorvix", an 800 x 600 client area, still running after a
# couple of seconds of play, and a clean exit (status 0, quickly) when asked to close.
. "$(dirname "$0")/../harness/harness.sh" "$@"

start_xvfb
make_workdir play
start_game "$WORKDIR" "${EXIT_CRASH_ENV[@]}"

case_begin "a window titled exactly \"Quorvix\" appears"
if wait_for_window 10; then
    title=$(xdotool getwindowname "$WID")
    [ "$title" = Quorvix ] || problem "title is \"$title\""
else
    problem "no window titled \"Quorvix\" within 10 s"
    expect_running
fi
case_end || { game_output; finish; }

case_begin "the client area is 800x600"
size=$(window_size "$WID")
[ "$size" = 800x600 ] || problem "client area is $size"
case_end

case_begin "the game keeps running with nobody at the keys"
sleep 2
expect_running
xdotool search --name '^Quorvix$' >/dev/null || problem "the window has gone"
case_end

case_begin "SIGTERM closes the game with status 0 within 3 s, and it printed nothing"
start=$(now_ms)
expect_clean_close 3 && echo "    (closed after $(($(now_ms) - start)) ms)"
expect_stdout
case_end || game_output

finish
