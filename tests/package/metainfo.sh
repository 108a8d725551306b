#!/usr/bin/env bash
# What software centres read about the game, as installed: the AppStream metainfo file passes
# appstreamcli validate without an error or a warning, and so does the installed tree as a whole,
# where appstreamcli also checks that the file is named after the component id and that the menu
# entry its launchable names is installed beside it. Info and pedantic hints are printed only.
#
# Usage: metainfo.sh CMAKE BUILD_DIR
cmake=$1 build=$2
set -- # the harness takes no arguments here
. "$(dirname "$0")/../harness/harness.sh"
require_tools appstreamcli

prefix=$H_TMP/prefix
case_begin "cmake --install puts exactly one file in share/metainfo"
if "$cmake" --install "$build" --prefix "$prefix" >"$H_TMP/install.log" 2>&1; then
    files=("$prefix"/share/metainfo/*)
    [ ${#files[@]} = 1 ] && [ -f "${files[0]}" ] ||
        problem "share/metainfo holds: ${files[*]#"$prefix/"}"
else
    problem "cmake --install failed:"
    problems < <(tail -n 20 "$H_TMP/install.log")
fi
case_end || finish

# appstreamcli COMMAND...: exits non-zero on errors and on warnings; the E:/W: lines are looked
# for as well in case a version ever stops counting warnings as a failure.
validate() {
    local rc=0
    appstreamcli "$@" >"$H_TMP/out" 2>&1 || rc=$?
    quote "$H_TMP/out"
    [ "$rc" = 0 ] || problem "appstreamcli $1 exited with status $rc"
    problems < <(grep '^ *[EW]: ' "$H_TMP/out")
}

case_begin "appstreamcli validate --pedantic $(basename "${files[0]}"): no error or warning"
validate validate --no-net --pedantic "${files[0]}"
case_end

case_begin "appstreamcli validate-tree --pedantic on the installed tree: no error or warning"
validate validate-tree --no-net --pedantic "$prefix"
case_end

finish
