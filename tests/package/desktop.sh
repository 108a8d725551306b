#!/usr/bin/env bash
# The menu entry passes desktop-file-validate without a single message (errors, warnings or
# hints).
#
# Usage: desktop.sh DESKTOP_FILE
entry=$1
set -- # the harness takes no arguments here
. "$(dirname "$0")/../harness/harness.sh"
require_tools desktop-file-validate

case_begin "desktop-file-validate $(basename "$entry"): not a single message"
out=$(desktop-file-validate "$entry" 2>&1) && rc=0 || rc=$?
[ "$rc" = 0 ] || problem "desktop-file-validate exited with status $rc"
problems <<<"$out"
case_end

finish
