#!/usr/bin/env bash
# The real game under valgrind's memcheck: window, audio, media, some frames of play, close. It
# must report no definitely lost byte once the libraries below SDL are suppressed. The same check
# of a deliberately leaking variant (sound effects never freed) must fail, which proves that the
# suppressions do not hide the game's or SDL's own leaks.
#
# Usage: memcheck.sh GAME RES_DIR SUPPRESSIONS SHIM
SUPP=$(realpath "$3")
. "$(dirname "$0")/../harness/harness.sh" --game "$1" --res "$2" --shim "$4"

require_tools valgrind
start_xvfb
make_workdir play

# memcheck NAME [VAR=value...]: runs the game under valgrind, with the given environment, until
# its window has shown frames for a while, closes it, and leaves valgrind's exit status in GAME_RC
# and its log in $H_TMP/NAME.log.
memcheck() {
    local name=$1
    shift
    # valgrind hands LD_PRELOAD on to the program it runs.
    start_game "$WORKDIR" DBUS_SESSION_BUS_ADDRESS=disabled: "$@" -- \
        valgrind --leak-check=full --show-leak-kinds=definite --errors-for-leak-kinds=definite \
        --error-exitcode=99 --suppressions="$SUPP" --keep-debuginfo=yes --num-callers=40 \
        --log-file="$H_TMP/$name.log" "$GAME"
    wait_for_window 120 || problem "no window within 120 s"
    sleep 3 # some frames of play
    stop_game 60
}

case_begin "clean run: no byte definitely lost"
memcheck clean
lost=$(grep -E "definitely lost:" "$H_TMP/clean.log" | sed 's/.*definitely lost: //')
if [ "${GAME_RC:-}" = 0 ] && grep -q "definitely lost: 0 bytes\|All heap blocks were freed" \
    "$H_TMP/clean.log"; then
    echo "    exit 0, definitely lost: ${lost:-nothing (all heap blocks freed)}"
else
    problem "exit ${GAME_RC:-?}, definitely lost: ${lost:-?}"
    grep -A30 "definitely lost in" "$H_TMP/clean.log" | head -80
fi
case_end

case_begin "leaking variant (effects never freed): caught"
memcheck leaking LD_PRELOAD="$SHIM" QUORVIX_FAIL_CALL=Mix_FreeChunk
if [ "${GAME_RC:-}" = 99 ] && grep -A40 "definitely lost in" "$H_TMP/leaking.log" | grep -q "Mix_LoadWAV_RW"; then
    echo "    $(grep -E 'definitely lost:' "$H_TMP/leaking.log" | sed 's/.*definitely lost: //')"
else
    problem "not caught: exit ${GAME_RC:-?}; $(grep -E "definitely lost|ERROR SUMMARY" "$H_TMP/leaking.log")"
fi
case_end

finish
