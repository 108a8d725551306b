#!/bin/sh
# The installed game: `cmake --install` into a scratch prefix gives exactly the expected files,
# and the installed launcher starts the game from any working directory, through a symbolic
# link found on PATH (as a menu entry's Exec=quorvix would), and after the whole tree has moved.
#
# Usage: install.sh CMAKE BUILD_DIR
set -eu
cmake=$1 build=$2
here=$(dirname "$0")
PKG_ROOT=$(cd "$here/../.." && pwd)
. "$here/lib.sh"

for tool in Xvfb xdotool xdpyinfo; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvix-install.XXXXXX")
tmp=$(cd -P "$tmp" && pwd)
cleanup() {
    status=$?
    pkg_stop
    rm -rf "$tmp"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
}

echo "== the installed files and their modes"
(cd "$prefix" && find . ! -type d -printf '%m %P\n' | LC_ALL=C sort) >"$tmp/actual"
diff -u --label expected --label installed "$here/installed-files" "$tmp/actual" ||
    fail "installed tree"
for f in mus00.mid snd00.wav snd01.wav snd02.wav; do
    cmp -s "$prefix/share/quorvix/res/$f" "$here/../../res/$f" || fail "res/$f differs"
done

pkg_start_xvfb "$tmp"

echo "== Exec=quorvix: a link to the launcher on PATH, from an unrelated directory"
mkdir "$tmp/bin" "$tmp/elsewhere"
ln -s ../prefix/games/quorvix "$tmp/bin/quorvix"
pkg_play "$tmp" "$tmp/elsewhere" "$prefix/libexec/quorvix/quorvix" "$prefix/share/quorvix" \
    env PATH="$tmp/bin:$PATH" quorvix || failed=1

echo "== the tree moved elsewhere, a sound missing: the game's own message and exit status"
before=$failed
failed=0
mv "$prefix" "$tmp/moved"
rm "$tmp/moved/share/quorvix/res/snd01.wav"
rc=0
(cd / && SDL_AUDIODRIVER=dummy ASAN_OPTIONS=$PKG_ASAN_OPTIONS \
    timeout 20 "$tmp/moved/games/quorvix") >"$tmp/out" 2>&1 || rc=$?
[ "$rc" = 1 ] || fail "exit status $rc (1 expected)"
grep -q '^Failed to load snd01 sound effect!' "$tmp/out" || fail "snd01.wav not named as missing"
grep -qx 'Failed to load media!' "$tmp/out" || fail "no \"Failed to load media!\""
grep -q 'snd0[02]\|mus00' "$tmp/out" && fail "a file that is there reported missing"
[ "$failed" = 0 ] || sed 's/^/    | /' "$tmp/out"
[ "$before" = 0 ] || failed=1

[ "$failed" = 0 ] && echo "PASS" || exit 1
