#!/usr/bin/env bash
# The Debian package as CPack makes it from this build (nothing is installed): named
# quorvix_<version>_<arch>.deb after the project's version, section games, depending on the SDL
# libraries dpkg-shlibdeps found and on the MIDI synthesiser and soundfont the mixer loads at run
# time, holding exactly the installed files under /usr with the game stripped and hardened, and
# clean by lintian's standards (no error, no warning, pedantic tags shown).
#
# Usage: deb.sh CPACK BUILD_DIR VERSION EXPECTED_FILES
# (EXPECTED_FILES: "MODE PATH" lines relative to the prefix, sorted, as install.sh takes them)
cpack=$1 build=$2 version=$3 expected=$4
here=$(cd "$(dirname "$0")" && pwd)
set -- # the harness takes no arguments here
. "$here/../harness/harness.sh"
require_tools dpkg dpkg-deb readelf lintian

deb=$H_TMP/out/quorvix_${version}_$(dpkg --print-architecture).deb

case_begin "cpack makes $(basename "$deb")"
log=$H_TMP/cpack.log
if ! "$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$H_TMP/out" >"$log" 2>&1; then
    problem "cpack failed:"
    problems < <(tail -n 40 "$log")
elif [ ! -f "$deb" ]; then
    problem "CPack made only: $(ls "$H_TMP/out")"
fi
case_end || finish

case_begin "control fields: quorvix $version, section games, Depends on SDL and the mixer's needs"
dpkg-deb -f "$deb" >"$H_TMP/control"
quote "$H_TMP/control"
field() {
    sed -n "s/^$1: //p" "$H_TMP/control"
}
[ "$(field Package)" = quorvix ] || problem "Package is $(field Package)"
[ "$(field Version)" = "$version" ] || problem "Version is $(field Version)"
[ "$(field Section)" = games ] || problem "Section is $(field Section)"
depends=$(field Depends)
# The SDL libraries from dpkg-shlibdeps (SDL2 itself, or SDL 3's compatibility layer in its place),
# and each run-time need of the mixer that it cannot see.
for dep in '\(libsdl2-2\.0-0\|libsdl2-compat[a-z-]*\) (>= [^)]*)' 'libsdl2-mixer-2\.0-0 (>= [^)]*)'; do
    grep -q "\(^\|, \)$dep\(,\|$\)" <<<"$depends" || problem "Depends lacks $dep"
done
needs=$("$here/../../scripts/mixer-runtime-needs")
[ -n "$needs" ] || problem "no run-time needs of the mixer found (is it from a Debian package?)"
while read -r need; do
    case ", $depends," in
    *", $need,"*) ;;
    *) [ -z "$need" ] || problem "Depends lacks $need" ;;
    esac
done < <(tr ',' '\n' <<<"$needs" | sed 's/^ *//')
case_end

case_begin "contents: exactly the installed files under /usr, with their modes"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $NF }' | sed 's| \./usr/| |' |
    while read -r mode path; do
        case $mode in
        -rwxr-xr-x) echo "755 $path" ;;
        -rw-r--r--) echo "644 $path" ;;
        *) echo "$mode $path" ;;
        esac
    done | LC_ALL=C sort >"$H_TMP/contents"
problems < <(diff -u --label expected --label package "$expected" "$H_TMP/contents")
case_end

# The distribution's hardening: a position-independent executable, full RELRO with immediate
# binding, the stack protector.
case_begin "the game is stripped and hardened: PIE, full RELRO, immediate binding, stack protector"
dpkg-deb -x "$deb" "$H_TMP/root"
game=$H_TMP/root/usr/libexec/quorvix/quorvix
if [ ! -f "$game" ]; then
    problem "no usr/libexec/quorvix/quorvix in the package"
else
    readelf -S "$game" | grep -q '\.debug_\|\.symtab' && problem "the game is not stripped"
    readelf -h "$game" | grep -q 'Type: *DYN' ||
        problem "the game is not a position-independent executable"
    readelf -lW "$game" | grep -q GNU_RELRO || problem "the game has no RELRO segment"
    readelf -d "$game" | grep -q 'BIND_NOW\|Flags:.* NOW' ||
        problem "the game does not bind immediately"
    readelf --dyn-syms -W "$game" | grep -q __stack_chk_fail ||
        problem "the game has no stack protector"
fi
case_end

case_begin "lintian --pedantic: no error or warning"
log=$H_TMP/lintian.log
lintian --fail-on error,warning --display-info --pedantic "$deb" >"$log" 2>&1 && rc=0 || rc=$?
quote "$log"
if [ "$rc" != 0 ]; then
    problem "lintian exited with status $rc:"
    problems < <(grep '^[EW]: ' "$log")
fi
case_end

finish
