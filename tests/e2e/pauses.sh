#!/usr/bin/env bash
# Closing the window during the pause after a point (500 ms) or after a match (2500 ms): the pause
# runs out, the next frame's event drain sees the quit request, and the game exits with status 0
# without drawing another frame. The pauses themselves are seen to hold: the exit does not come
# before them.
. "$(dirname "$0")/../harness/harness.sh" "$@"

start_xvfb

# quit_during_pause NAME PATTERN WAIT_S PAUSE_MS [VAR=value...]: starts the game, waits for the
# sound that starts the paused frame, asks it to quit at once and checks how it ends.
quit_during_pause() {
    local name=$1 pattern=$2 wait_s=$3 pause_ms=$4 line asked took presents last
    shift 4
    make_workdir "$name"
    shim_env "$WORKDIR"
    start_game "$WORKDIR" "${SHIM_ENV[@]}" "$@"
    if ! line=$(wait_until --game "$wait_s" grep -s -m1 -E "$pattern" "$WORKDIR/sounds.log"); then
        problem "no sound matching \"$pattern\" within $wait_s s"
        stop_game 3
        return 0
    fi
    asked=$(now_ms)
    expect_clean_close $((pause_ms / 1000 + 5)) || return 0
    took=$(($(now_ms) - asked))
    # The request comes a few milliseconds into the scoring frame; the frame, its pacing and the
    # pause must pass first, and then one event drain ends the game.
    [ "$took" -ge $((pause_ms - 200)) ] || problem "exited after $took ms, before the $pause_ms ms pause was over"
    [ "$took" -le $((pause_ms + 20 + 600)) ] || problem "exited after $took ms, too long after the $pause_ms ms pause"
    presents=$(report_field "$WORKDIR" presents)
    last=$(($(sed 's/.*presents=\([0-9]*\).*/\1/' <<<"$line") + 1))
    [ "$presents" = "$last" ] || problem "frames shown: ${presents:-?}, expected $last (none after the scoring frame)"
    echo "    $name: quit asked after \"$line\", exit after $took ms, $presents frames shown"
}

case_begin "quit during the 500 ms pause after the first point: status 0 after the pause, no frame drawn"
# With no key held the opponent scores the first point in frame 82.
quit_during_pause point 'effect snd02 presents=81' 20 500
case_end || game_output

case_begin "quit during the 2500 ms pause after a match: status 0 after the pause, no frame drawn"
# With Up held from the first frame the opponent's tenth point falls in frame 1945 (as a run of
# the same frame loop through the unit tests' fake shows); the player scores none.
quit_during_pause match 'effect snd02 presents=1944' 90 2500 QUORVIX_HOLD_KEYS=82
[ "$(grep -c 'effect snd02' "$WORKDIR/sounds.log")" = 10 ] ||
    problem "expected 10 point-lost sounds before the match ended: $(grep -c 'effect snd02' "$WORKDIR/sounds.log")"
grep -q '^music' "$WORKDIR/sounds.log" && problem "the victory music played, but the player lost"
case_end || game_output

finish
