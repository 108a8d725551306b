#!/bin/sh
# The Debian package as CPack makes it from this build (nothing is installed): named
# quorvix_<version>_<arch>.deb after the project's version, section games, depending on the SDL
# libraries dpkg-shlibdeps found and on the MIDI synthesiser and soundfont the mixer loads at run
# time, holding exactly the installed files under /usr with the game stripped and hardened, and
# clean by lintian's standards (no error, no warning, pedantic tags shown).
#
# Usage: deb.sh CPACK BUILD_DIR VERSION
set -eu
cpack=$1 build=$2 version=$3
here=$(dirname "$0")

command -v dpkg-deb >/dev/null || { echo "SKIP: dpkg-deb is not installed"; exit 77; }

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvix-deb.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

failed=0
fail() {
    echo "FAIL: $*"
    failed=1
}

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" >"$tmp/cpack.log" 2>&1 || {
    cat "$tmp/cpack.log"
    echo "FAIL: cpack"
    exit 1
}
arch=$(dpkg --print-architecture)
deb=$tmp/out/quorvix_${version}_$arch.deb
if [ ! -f "$deb" ]; then
    echo "FAIL: no $(basename "$deb"); CPack made:"
    ls "$tmp/out"
    exit 1
fi

echo "== control fields"
dpkg-deb -f "$deb" >"$tmp/control"
sed 's/^/    | /' "$tmp/control"
field() {
    sed -n "s/^$1: //p" "$tmp/control"
}
[ "$(field Package)" = quorvix ] || fail "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version is $(field Version)"
[ "$(field Section)" = games ] || fail "Section is $(field Section)"
depends=$(field Depends)
# The SDL libraries from dpkg-shlibdeps (SDL2 itself, or SDL 3's compatibility layer in its place),
# and each run-time need of the mixer that it cannot see.
for dep in '\(libsdl2-2\.0-0\|libsdl2-compat[a-z-]*\) (>= [^)]*)' 'libsdl2-mixer-2\.0-0 (>= [^)]*)'; do
    echo "$depends" | grep -q "\(^\|, \)$dep\(,\|$\)" || fail "Depends lacks $dep"
done
needs=$("$here/../../scripts/mixer-runtime-needs")
[ -n "$needs" ] || fail "no run-time needs of the mixer found (is it from a Debian package?)"
echo "$needs" | tr ',' '\n' | sed 's/^ *//' | while read -r need; do
    case ", $depends," in
    *", $need,"*) ;;
    *) echo "FAIL: Depends lacks $need" ;;
    esac
done | grep . && failed=1

echo "== contents"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $NF }' | sed 's| \./usr/| |' |
    while read -r mode path; do
        case $mode in
        -rwxr-xr-x) echo "755 $path" ;;
        -rw-r--r--) echo "644 $path" ;;
        *) echo "$mode $path" ;;
        esac
    done | LC_ALL=C sort >"$tmp/contents"
diff -u --label expected --label package "$here/installed-files" "$tmp/contents" || fail "contents"

dpkg-deb -x "$deb" "$tmp/root"
if readelf -S "$tmp/root/usr/libexec/quorvix/quorvix" | grep -q '\.debug_\|\.symtab'; then
    fail "the game is not stripped"
fi
# The distribution's hardening: a position-independent executable, full RELRO with immediate
# binding, the stack protector.
game=$tmp/root/usr/libexec/quorvix/quorvix
readelf -h "$game" | grep -q 'Type: *DYN' || fail "the game is not a position-independent executable"
readelf -lW "$game" | grep -q GNU_RELRO || fail "the game has no RELRO segment"
readelf -d "$game" | grep -q 'BIND_NOW\|Flags:.* NOW' || fail "the game does not bind immediately"
readelf --dyn-syms -W "$game" | grep -q __stack_chk_fail || fail "the game has no stack protector"

echo "== lintian"
if command -v lintian >/dev/null; then
    lintian --fail-on error,warning --display-info --pedantic "$deb" || fail "lintian"
else
    fail "lintian is not installed (scripts/install-deps --tests installs it)"
fi

[ "$failed" = 0 ] && echo PASS || exit 1
