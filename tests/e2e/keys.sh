#!/usr/bin/env bash
# Real key presses reach the game and steer the player's paddle: holding Up moves it up, holding
# Right tilts it, and once the keys are released it stays where it was; P then shows the pause sign,
# and M at the start kept the recording silent. Keys go in through the X server (xdotool) to the
# focused window; the window's pixels are read back with import, and frame_region describes the
# white pixels of the paddle's strip (x 0..120).
#
# The keys are pressed only once the opponent has scored the first point (the shim logs its
# sound): the new serve goes to the right, so the ball stays out of the paddle's strip for some
# 3.5 s, long enough for the whole sequence (about 2.5 s).
. "$(dirname "$0")/../harness/harness.sh" "$@"

require_tools import
start_xvfb
make_workdir play
shim_env "$WORKDIR"
start_game "$WORKDIR" "${SHIM_ENV[@]}" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$WORKDIR/out.raw"

# capture NAME: reads the window into NAME.ppm and describes the paddle strip into the
# variables BBOX (x0,y0,x1,y1), TOP, BOTTOM (x extents of those rows), PARTS and HASH.
# The strip must hold one outline; while it holds more (the ball passing through, should the
# sequence have run slow) the capture is retried a few times.
capture() {
    local file=$WORKDIR/$1.ppm line
    for _ in 1 2 3 4 5 6; do
        line=
        if capture_window "$file" 2>"$WORKDIR/import.log"; then
            line=$("$TOOLS/frame_region" "$file" 0 0 120 599)
        fi
        echo "    $1: $line"
        [[ $line =~ parts=1\  ]] && break
        sleep 0.25
    done
    BBOX='' TOP='' BOTTOM='' PARTS='' HASH=''
    [[ $line =~ bbox=([-0-9,]+) ]] && BBOX=${BASH_REMATCH[1]}
    [[ $line =~ top=([-0-9,]+) ]] && TOP=${BASH_REMATCH[1]}
    [[ $line =~ bottom=([-0-9,]+) ]] && BOTTOM=${BASH_REMATCH[1]}
    [[ $line =~ parts=([0-9]+) ]] && PARTS=${BASH_REMATCH[1]}
    [[ $line =~ hash=([0-9a-f]+) ]] && HASH=${BASH_REMATCH[1]}
    if [ -z "$line" ]; then
        problem "$1: capture failed: $(head -c 200 "$WORKDIR/import.log")"
    elif [ "$PARTS" != 1 ]; then
        problem "$1: expected one outline in the paddle strip, found $PARTS"
    fi
}

case_begin "the window appears and the paddle starts upright at mid-height (x 24..56, y 236..364)"
# Once the first frame has been drawn (the shim writes it just before it is shown) the window is
# the one the game keeps.
wait_until --game 10 test -e "$WORKDIR/frame1.ppm"
if ! wait_for_window 10; then
    problem "no window appeared"
    case_end
    game_output
    finish
fi
focus_window || problem "could not focus the window"
xdotool key m
sleep 0.2
capture start
[ "$BBOX" = 24,236,56,364 ] || problem "paddle outline spans $BBOX"
case_end

# Wait for the first point (the ball crossing the left edge, about 1.7 s in).
first_point=(grep -qs '^effect snd02 ' "$WORKDIR/sounds.log")
wait_until --game 10 "${first_point[@]}"
point_ms=$(now_ms)

case_begin "holding Up for 1 s moves the paddle up"
"${first_point[@]}" || problem "the first point never came, so the ball's whereabouts are unknown"
hold_key Up 1
capture up
top_y=$(cut -d, -f2 <<<"$BBOX")
[ -n "$top_y" ] && [ "$top_y" -lt 236 ] || problem "the outline's top row is ${top_y:-missing}, not above 236"
[ "$(cut -d, -f1,3 <<<"$BBOX")" = 24,56 ] || problem "the paddle should still be upright at x 24..56"
case_end

case_begin "holding Right for 0.5 s tilts the paddle clockwise"
hold_key Right 0.5
capture tilted
tilted_hash=$HASH
x0=$(cut -d, -f1 <<<"$BBOX")
x1=$(cut -d, -f3 <<<"$BBOX")
if [ -z "$x0" ] || [ "$TOP" = "$BOTTOM" ] || [ "$((x1 - x0))" -le 32 ]; then
    problem "not tilted: outline x $x0..$x1, top row x $TOP, bottom row x $BOTTOM"
elif [ "${TOP%,*}" -le "${BOTTOM%,*}" ]; then
    # Right turns the paddle clockwise on screen: its top end leans to the right.
    problem "tilted the wrong way: top row x $TOP, bottom row x $BOTTOM"
fi
case_end

case_begin "with the keys released the paddle stays put (same pixels 0.5 s later)"
sleep 0.5
capture still
[ -n "$HASH" ] && [ "$HASH" = "$tilted_hash" ] || problem "the paddle strip changed"
echo "    (sequence took $(($(now_ms) - point_ms)) ms from the first point)"
case_end

case_begin "P shows the pause sign; muted from the start, nothing was heard (the first point's sound included)"
xdotool key p
sleep 0.2
capture_window "$WORKDIR/held.ppm"
[[ $("$TOOLS/frame_region" "$WORKDIR/held.ppm" 377 270 423 329) == *bbox=377,270,423,329\ * ]] ||
    problem "no pause sign"
[ -s "$WORKDIR/out.raw" ] && cmp -s -n "$(stat -c %s "$WORKDIR/out.raw")" "$WORKDIR/out.raw" /dev/zero ||
    problem "sound was heard, or nothing was recorded"
case_end

case_begin "the game closes with status 0"
expect_clean_close 3
case_end || game_output

finish
