#!/usr/bin/env bash
# The Debian package on a system of its own: installed with apt-get (which brings in only what its
# Depends name), the installed game played from its menu entry's command
# under a private X server, then purged with none of its files left behind.
#
# It installs and removes a package, so it runs as root in a throwaway root, never on a machine
# someone works on: scripts/debian-root runs it in a bare root of the release the package was
# built for.
#
# Usage: installed.sh DEB
deb=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
set -- # the harness takes no arguments here
. "$here/../harness/harness.sh"
. "$here/play.sh"
export DEBIAN_FRONTEND=noninteractive

case_begin "apt-get install $(basename "$deb")"
if apt-get install -y -q --no-install-recommends "$deb" >"$H_TMP/install.log" 2>&1; then
    dpkg -L quorvix | LC_ALL=C sort | while read -r path; do
        [ -d "$path" ] || echo "$path"
    done >"$H_TMP/files"
    echo "    $(wc -l <"$H_TMP/files") files installed"
else
    problem "apt-get install failed: $(tail -n 20 "$H_TMP/install.log")"
fi
case_end || finish

case_begin "the menu entry's Exec command, from an unrelated directory"
start_xvfb
play_menu_entry
case_end || game_output

case_begin "apt-get purge quorvix leaves none of its files"
apt-get purge -y -q quorvix >"$H_TMP/purge.log" 2>&1 || problem "apt-get purge failed: $(tail -n 20 "$H_TMP/purge.log")"
while read -r path; do
    [ ! -e "$path" ] && [ ! -L "$path" ] || problem "left behind: $path"
done <"$H_TMP/files"
for dir in /usr/share/quorvix /usr/libexec/quorvix /usr/share/doc/quorvix; do
    [ ! -e "$dir" ] || problem "left behind: $dir"
done
case_end

finish
