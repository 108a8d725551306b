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
    game_running || problem "the game ended by itself with status $(cat "$GAME_RUN/rc")"
fi
case_end || { game_output; finish; }

case_begin "the client area is 800x600"
size=$(window_size "$WID")
[ "$size" = 800x600 ] || problem "client area is $size"
case_end

case_begin "the game keeps running with nobody at the keys"
sleep 2
game_running || problem "the game ended by itself with status $(cat "$GAME_RUN/rc")"
xdotool search --name '^Quorvix$' >/dev/null || problem "the window has gone"
case_end

case_begin "SIGTERM closes the game with status 0 within 3 s"
start=$(now_ms)
if stop_game_expect 3; then
    [ "$GAME_RC" = 0 ] || problem "exit status $GAME_RC"
    echo "    (closed after $(($(now_ms) - start)) ms)"
else
    problem "still running 3 s after SIGTERM"
fi
[ -s "$GAME_RUN/stdout" ] && problem "unexpected output on stdout: $(head -c 200 "$GAME_RUN/stdout")"
case_end || game_output

finish
