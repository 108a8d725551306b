#!/bin/bash
# The real game under valgrind's memcheck: window, audio, media, some frames of play, close. It
# must report no definitely lost byte once the libraries below SDL are suppressed. The same check
# of a deliberately leaking variant (sound effects never freed) must fail, which proves that the
# suppressions do not hide the game's or SDL's own leaks.
#
# Usage: memcheck.sh GAME RES_DIR SUPPRESSIONS LEAK_SHIM
set -u
GAME=$(realpath "$1")
RES=$(realpath "$2")
SUPP=$(realpath "$3")
LEAK_SHIM=$(realpath "$4")

for tool in valgrind Xvfb xdotool; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvix-memcheck.XXXXXX")
XVFB_PID=
GAME_PID=
cleanup() {
    [ -n "$GAME_PID" ] && kill -KILL "$GAME_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    rm -rf "$TMP"
}
trap cleanup EXIT

exec {fd}<> <(:)
"$(dirname "$0")/../../scripts/xvfb" "$fd" >"$TMP/xvfb.log" 2>&1 &
XVFB_PID=$!
read -r -t 30 -u "$fd" display || { echo "FAIL: Xvfb did not start"; exit 1; }
export DISPLAY=:$display SDL_AUDIODRIVER=dummy DBUS_SESSION_BUS_ADDRESS=disabled:
# A private runtime directory, as a desktop session has (SDL 3 looks for Wayland there).
mkdir -m 700 "$TMP/runtime" && export XDG_RUNTIME_DIR=$TMP/runtime
cp -r "$RES" "$TMP/res"

# memcheck NAME [PRELOAD]: runs the game under valgrind until its window has shown frames for a
# while, closes it, and leaves valgrind's exit status in $STATUS and its log in $TMP/NAME.log.
memcheck() {
    local name=$1 preload=${2:-}
    (cd "$TMP" && LD_PRELOAD=$preload exec valgrind --leak-check=full --show-leak-kinds=definite \
        --errors-for-leak-kinds=definite --error-exitcode=99 --suppressions="$SUPP" \
        --keep-debuginfo=yes --num-callers=40 --log-file="$TMP/$name.log" "$GAME" \
        >"$TMP/$name.out") &
    GAME_PID=$!
    if ! timeout 120 xdotool search --sync --name '^Quorvix$' >/dev/null; then
        echo "FAIL: $name: no window within 120 s"
        exit 1
    fi
    sleep 3 # some frames of play
    kill -TERM "$GAME_PID"
    local waited=0
    while kill -0 "$GAME_PID" 2>/dev/null && [ $waited -lt 600 ]; do
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$GAME_PID"
    STATUS=$?
    GAME_PID=
}

failures=0
memcheck clean
lost=$(grep -E "definitely lost:" "$TMP/clean.log" | sed 's/.*definitely lost: //')
if [ "$STATUS" = 0 ] && grep -q "definitely lost: 0 bytes" "$TMP/clean.log"; then
    echo "PASS: clean run: exit 0, definitely lost: $lost"
elif [ "$STATUS" = 0 ] && grep -q "All heap blocks were freed" "$TMP/clean.log"; then
    echo "PASS: clean run: exit 0, all heap blocks freed"
else
    echo "FAIL: clean run: exit $STATUS, definitely lost: ${lost:-?}"
    grep -A30 "definitely lost in" "$TMP/clean.log" | head -80
    failures=$((failures + 1))
fi

memcheck leaking "$LEAK_SHIM"
if [ "$STATUS" = 99 ] && grep -q "definitely lost in" "$TMP/leaking.log" &&
    grep -A40 "definitely lost in" "$TMP/leaking.log" | grep -q "Mix_LoadWAV_RW"; then
    echo "PASS: leaking variant: caught ($(grep -E 'definitely lost:' "$TMP/leaking.log" | sed 's/.*definitely lost: //'))"
else
    echo "FAIL: leaking variant not caught: exit $STATUS"
    grep -E "definitely lost|ERROR SUMMARY" "$TMP/leaking.log"
    failures=$((failures + 1))
fi

[ $failures = 0 ]
