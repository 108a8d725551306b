#!/bin/sh
# The menu entry passes desktop-file-validate without a single message (errors, warnings or
# hints).
set -eu
command -v desktop-file-validate >/dev/null || {
    echo "SKIP: desktop-file-validate is not installed (package desktop-file-utils)"
    exit 77
}
out=$(desktop-file-validate "$1" 2>&1) && rc=0 || rc=$?
if [ "$rc" != 0 ] || [ -n "$out" ]; then
    echo "$out"
    echo "FAIL: desktop-file-validate $1 (status $rc)"
    exit 1
fi
echo PASS
