#!/bin/sh
# The manual page renders without a warning (as man(1) and lintian render it, and through groff
# with every warning on), and mandb can read its NAME line for whatis and apropos.
#
# Usage: man.sh PAGE.6.gz
set -eu
page=$1
for tool in man groff lexgrog; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

failed=0
out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$page" 2>&1 >/dev/null) ||
    failed=1
out=$out$(gzip -dc "$page" | groff -man -ww -z 2>&1) || failed=1
if [ -n "$out" ] || [ "$failed" != 0 ]; then
    echo "$out"
    echo "FAIL: warnings rendering $page"
    exit 1
fi
lexgrog "$page" | grep -q ': "quorvix - ' || {
    lexgrog "$page"
    echo "FAIL: no whatis entry for quorvix"
    exit 1
}
echo PASS
