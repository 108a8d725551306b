#!/usr/bin/env bash
# The installed game: `cmake --install` into a scratch prefix gives exactly the expected files,
# and the installed launcher starts the game from any working directory, through a symbolic
# link found on PATH (as a menu entry's Exec=quorvix would), and after the whole tree has moved.
#
# Usage: install.sh CMAKE BUILD_DIR EXPECTED_FILES
# (EXPECTED_FILES: "MODE PATH" lines relative to the prefix, sorted, as find -printf '%m %P' gives)
cmake=$1 build=$2 expected=$3
here=$(cd "$(dirname "$0")" && pwd)
set -- # the harness takes no arguments here
. "$here/../harness/harness.sh"
. "$here/play.sh"

prefix=$H_TMP/prefix

case_begin "cmake --install gives exactly the expected files and modes"
if "$cmake" --install "$build" --prefix "$prefix" >"$H_TMP/install.log" 2>&1; then
    (cd "$prefix" && find . ! -type d -printf '%m %P\n' | LC_ALL=C sort) >"$H_TMP/actual"
    problems < <(diff -u --label expected --label installed "$expected" "$H_TMP/actual")
    for f in "$prefix"/share/quorvix/res/*; do
        cmp -s "$f" "$here/../../res/${f##*/}" || problem "res/${f##*/} differs"
    done
else
    problem "cmake --install failed: $(tail -n 5 "$H_TMP/install.log")"
fi
case_end || finish

case_begin "Exec=quorvix: a link to the launcher on PATH, from an unrelated directory"
start_xvfb
mkdir "$H_TMP/bin" "$H_TMP/elsewhere"
ln -s ../prefix/games/quorvix "$H_TMP/bin/quorvix"
play_installed "$H_TMP/elsewhere" "$prefix/libexec/quorvix/quorvix" "$prefix/share/quorvix" \
    env PATH="$H_TMP/bin:$PATH" quorvix
case_end || game_output

case_begin "the tree moved elsewhere, a sound missing: the game's own message and exit status"
mv "$prefix" "$H_TMP/moved"
rm "$H_TMP/moved/share/quorvix/res/snd01.wav"
start_game / -- "$H_TMP/moved/games/quorvix"
expect_failed_start 20
expect_error_lines "Failed to load snd01 sound effect! SDL_mixer Error: " "Failed to load media!"
case_end || game_output

finish
