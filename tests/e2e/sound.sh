#!/usr/bin/env bash
# Sound effects as actually played, with nobody at the keys. The game's audio output is recorded
# through SDL's disk driver (it writes in real time, so offsets in the file follow the clock from
# the moment audio opened) and find_sound locates each effect in it, sample for sample. The ball
# from the first serve misses the player's paddle: the point-lost sound (snd02) comes first, then
# a 500 ms pause and a serve that meets the top wall (snd00) some 32 frames later, about 1.16 s
# after the point; no paddle sound (snd01) comes before that. The capture shim's log of the
# play calls gives the frames and ticks to cross-check.
. "$(dirname "$0")/../harness/harness.sh" "$@"

start_xvfb
make_workdir play
shim_env "$WORKDIR"
recording=$WORKDIR/out.raw
start_game "$WORKDIR" "${SHIM_ENV[@]}" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$recording"
log=$WORKDIR/sounds.log

case_begin "the game plays until the wall sound, then closes with status 0"
wait_for_window 10 || problem "no window appeared"
# Play until the wall sound has started (the shim logs it), then long enough to record it whole.
wait_until --game 12 grep -qs '^effect snd00 ' "$log" ||
    problem "no wall sound was started within 12 s"
sleep 0.6
expect_clean_close 3
[ -s "$recording" ] || problem "nothing was recorded"
case_end || {
    game_output
    finish
}

found=$("$TOOLS/find_sound" "$recording" "$RES/snd00.wav" "$RES/snd01.wav" "$RES/snd02.wav")
echo "    recording: $(($(stat -c %s "$recording") / 4)) sample frames; effects found:"
sed 's/^/      /' <<<"$found"
echo "    sound log:"
sed 's/^/      /' "$log"

# Effect starts in recording order: "<start> <ms> <name>".
events=$(awk '$2 ~ /^start=/ { sub("start=", "", $2); sub("ms=", "", $3); print $2, $3, $1 }' \
    <<<"$found" | sort -n)
first_ms() { # first_ms NAME [AFTER_MS]: when NAME first starts (after AFTER_MS), or nothing
    awk -v name="$1" -v after="${2:--1}" '$3 == name && $2 > after { print $2; exit }' <<<"$events"
}

case_begin "the point-lost sound (snd02) is the first effect heard"
point_ms=$(first_ms snd02)
first=$(head -n 1 <<<"$events" | awk '{ print $3 }')
[ -n "$point_ms" ] || problem "snd02 is not in the recording"
[ "$first" = snd02 ] || problem "the first effect is ${first:-none}"
case_end

case_begin "the wall sound (snd00) starts 900 to 1600 ms after it (500 ms pause + 32 frames)"
wall_ms=$(first_ms snd00 "${point_ms:--1}")
if [ -z "$point_ms" ] || [ -z "$wall_ms" ]; then
    problem "snd00 is not in the recording after snd02"
else
    gap=$(awk -v a="$point_ms" -v b="$wall_ms" 'BEGIN { printf "%d", b - a }')
    echo "    recorded gap: $gap ms"
    [ "$gap" -ge 900 ] && [ "$gap" -le 1600 ] || problem "the gap is $gap ms"
fi
case_end

case_begin "no paddle sound (snd01) before the wall sound"
paddle_ms=$(first_ms snd01)
if [ -n "$paddle_ms" ] && [ -n "${wall_ms:-}" ] &&
    awk -v p="$paddle_ms" -v w="$wall_ms" 'BEGIN { exit !(p < w) }'; then
    problem "snd01 starts at $paddle_ms ms, before the wall sound at $wall_ms ms"
fi
[ -n "${wall_ms:-}" ] || problem "no wall sound to compare with"
case_end

case_begin "the play calls: snd02 in frame 82, then snd00 in frame 114, the recording not ahead of the ticks"
mapfile -t calls <"$log"
[[ ${calls[0]:-} == "effect snd02 presents=81 "* ]] ||
    problem "first call is \"${calls[0]:-}\", expected snd02 with 81 frames shown"
[[ ${calls[1]:-} == "effect snd00 presents=113 "* ]] ||
    problem "second call is \"${calls[1]:-}\", expected snd00 with 113 frames shown"
if [ -n "${gap:-}" ] && [ ${#calls[@]} -ge 2 ]; then
    tick_gap=$((${calls[1]##*ticks=} - ${calls[0]##*ticks=}))
    echo "    tick gap: $tick_gap ms"
    # The disk driver waits 46 ms for each 2048-sample (46.4 ms) buffer: the recording may fall
    # behind the clock on a busy machine, but is never ahead of it by more than the quantisation.
    [ $((gap - tick_gap)) -le 120 ] || problem "recorded gap $gap ms, but $tick_gap ms between the calls"
fi
case_end

finish
