#!/usr/bin/env bash
# The manual page renders without a warning (as man(1) and lintian render it, and through groff
# with every warning on), and mandb can read its NAME line for whatis and apropos.
#
# Usage: man.sh PAGE.6.gz
page=$1
set -- # the harness takes no arguments here
. "$(dirname "$0")/../harness/harness.sh"
require_tools man groff lexgrog gzip

case_begin "renders without a warning through man --warnings and groff -ww"
out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ||
    problem "man exited with status $?"
problems <<<"$out"
out=$(gzip -dc "$page" | groff -man -ww -z 2>&1) || problem "groff exited with status $?"
problems <<<"$out"
case_end

case_begin "a whatis entry \"quorvix - ...\""
out=$(lexgrog "$page" 2>&1)
grep -q ': "quorvix - ' <<<"$out" || problem "lexgrog reads: $out"
case_end

finish
