#!/bin/sh
# What software centres read about the game, as installed: the AppStream metainfo file passes
# appstreamcli validate without an error or a warning, and so does the installed tree as a whole,
# where appstreamcli also checks that the file is named after the component id and that the menu
# entry its launchable names is installed beside it. Info and pedantic hints are printed only.
#
# Usage: metainfo.sh CMAKE BUILD_DIR
set -eu
cmake=$1 build=$2

command -v appstreamcli >/dev/null || {
    echo "SKIP: appstreamcli is not installed (package appstream)"
    exit 77
}

tmp=$(mktemp -d "${TMPDIR:-/tmp}/quorvix-metainfo.XXXXXX")
trap 'rm -rf "$tmp"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

"$cmake" --install "$build" --prefix "$tmp/prefix" >"$tmp/install.log" 2>&1 || {
    cat "$tmp/install.log"
    echo "FAIL: cmake --install"
    exit 1
}

failed=0
# appstreamcli exits non-zero on errors and on warnings; the E:/W: lines are looked for as well
# in case a version ever stops counting warnings as a failure.
check() {
    echo "== appstreamcli $*"
    rc=0
    appstreamcli "$@" >"$tmp/out" 2>&1 || rc=$?
    sed 's/^/    | /' "$tmp/out"
    if [ "$rc" != 0 ] || grep -q '^ *[EW]: ' "$tmp/out"; then
        echo "FAIL: appstreamcli $1 (status $rc)"
        failed=1
    fi
}

set -- "$tmp"/prefix/share/metainfo/*
if [ $# != 1 ] || [ ! -f "$1" ]; then
    echo "FAIL: not exactly one file in share/metainfo: $*"
    exit 1
fi
check validate --no-net --pedantic "$1"
check validate-tree --no-net --pedantic "$tmp/prefix"

[ "$failed" = 0 ] && echo PASS || exit 1
