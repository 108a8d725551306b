# Helpers shared by the package tests and scripts/test-package (POSIX sh; source it with `.`).
#
#   pkg_start_xvfb DIR     starts a private X server, exports DISPLAY
#   pkg_play DIR CWD GAME DATA COMMAND...
#                          runs an installed game and checks it (see below)
#   pkg_play_menu_entry DIR
#                          the same for the game installed in /usr, started with its menu entry's
#                          Exec command from an unrelated directory
#   pkg_stop               stops whatever these helpers started that is still running
#
# DIR is a scratch directory that the caller owns and removes. Set PKG_ROOT to the source tree's
# root before sourcing.

PKG_XVFB_PID=
PKG_GAME_PID=
# For a sanitizer build of the game: leaks that LeakSanitizer finds in system libraries (D-Bus) at
# exit would replace its exit status. Ignored by an ordinary build; tests/memory checks leaks.
PKG_ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

# Polls COMMAND... every 0.1 s for up to SECONDS; returns its last status.
pkg_wait_for() {
    pkg_tries=$(($1 * 10))
    shift
    until "$@"; do
        pkg_tries=$((pkg_tries - 1))
        [ "$pkg_tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

# True while process PID runs (a process that has ended but not yet been waited for counts as
# gone).
pkg_alive() {
    pkg_state=$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -c1)
    [ -n "$pkg_state" ] && [ "$pkg_state" != Z ]
}

# Starts Xvfb on a display of its own choosing and waits until it answers.
pkg_start_xvfb() {
    "$PKG_ROOT/scripts/xvfb" 3 3>"$1/xvfb.display" >"$1/xvfb.log" 2>&1 &
    PKG_XVFB_PID=$!
    if ! pkg_wait_for 15 grep -qsx '[0-9][0-9]*' "$1/xvfb.display"; then
        echo "Xvfb did not start:" >&2
        cat "$1/xvfb.log" >&2
        return 1
    fi
    DISPLAY=:$(cat "$1/xvfb.display")
    export DISPLAY
    pkg_wait_for 15 xdpyinfo >/dev/null 2>&1 || {
        echo "Xvfb on $DISPLAY does not answer" >&2
        return 1
    }
}

pkg_window_shown() {
    ! pkg_alive "$PKG_GAME_PID" || xdotool search --name '^Quorvix$' >/dev/null 2>&1
}

# What the game and the X server are doing, for the report of a game that shows no window.
pkg_diagnose() {
    echo "    DISPLAY=$DISPLAY; windows with a name:"
    xdotool search --name . 2>&1 | while read -r w; do
        echo "      $w $(xdotool getwindowname "$w" 2>&1)"
    done
    echo "    processes:"
    ps -eo pid,ppid,stat,wchan:24,etime,args 2>&1 | grep -v ' ps -eo' | tail -n 12 | sed 's/^/      /'
    echo "    the game's threads and where they wait:"
    for t in /proc/"$PKG_GAME_PID"/task/*; do
        echo "      $(basename "$t") $(cat "$t/comm" 2>/dev/null) $(cat "$t/wchan" 2>/dev/null)"
    done
}

pkg_gone() {
    ! pkg_alive "$PKG_GAME_PID"
}

# pkg_play DIR CWD GAME DATA COMMAND...: starts COMMAND in the directory CWD with the audio going
# nowhere and checks, printing a FAIL line for each problem, that
#   - a window titled exactly "Quorvix" appears within 15 s,
#   - the process started is then the game binary GAME itself (a launcher has exec'd it, so
#     signals and the exit status are the game's own), with DATA as its working directory,
#   - SIGTERM ends it within 5 s with exit status 0.
# Returns 0 when all of that holds.
pkg_play() {
    pkg_dir=$1 pkg_cwd=$2 pkg_game=$3 pkg_data=$4
    shift 4
    pkg_failed=0
    # A private runtime directory, as a desktop session has (SDL 3 looks for Wayland there).
    mkdir -p -m 700 "$pkg_dir/runtime"
    (cd "$pkg_cwd" && exec env SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$PKG_ASAN_OPTIONS" \
        XDG_RUNTIME_DIR="$pkg_dir/runtime" "$@") \
        >"$pkg_dir/game.out" 2>&1 &
    PKG_GAME_PID=$!
    pkg_wait_for 15 pkg_window_shown || true
    if pkg_gone; then
        wait "$PKG_GAME_PID" && pkg_rc=0 || pkg_rc=$?
        PKG_GAME_PID=
        echo "FAIL: the game ended with status $pkg_rc before showing a window; its output:"
        sed 's/^/    | /' "$pkg_dir/game.out"
        return 1
    fi
    if ! xdotool search --name '^Quorvix$' >/dev/null 2>&1; then
        echo "FAIL: no window titled \"Quorvix\" within 15 s"
        pkg_diagnose
        pkg_failed=1
    fi
    pkg_exe=$(readlink "/proc/$PKG_GAME_PID/exe")
    if [ "$pkg_exe" != "$pkg_game" ]; then
        echo "FAIL: the process started runs $pkg_exe, not $pkg_game"
        pkg_failed=1
    fi
    pkg_wd=$(readlink "/proc/$PKG_GAME_PID/cwd")
    if [ "$pkg_wd" != "$pkg_data" ]; then
        echo "FAIL: the game runs in $pkg_wd, not in $pkg_data"
        pkg_failed=1
    fi
    kill -TERM "$PKG_GAME_PID"
    if ! pkg_wait_for 5 pkg_gone; then
        echo "FAIL: still running 5 s after SIGTERM"
        kill -KILL "$PKG_GAME_PID"
        pkg_failed=1
    fi
    wait "$PKG_GAME_PID" && pkg_rc=0 || pkg_rc=$?
    PKG_GAME_PID=
    if [ "$pkg_rc" != 0 ]; then
        echo "FAIL: exit status $pkg_rc after SIGTERM (0 expected)"
        pkg_failed=1
    fi
    if [ "$pkg_failed" != 0 ]; then
        sed 's/^/    | /' "$pkg_dir/game.out"
    fi
    return "$pkg_failed"
}

# pkg_play_menu_entry DIR: pkg_play for the package installed in /usr, started the way a desktop
# starts it: the menu entry's Exec command (field codes removed), from a directory of its own
# under DIR, with a desktop session's PATH (Debian's /etc/profile gives it to every user but root).
pkg_play_menu_entry() {
    pkg_command=$(sed -n 's/^Exec=//p' /usr/share/applications/quorvix.desktop |
        sed 's/ *%[a-zA-Z]//g')
    if [ -z "$pkg_command" ]; then
        echo "FAIL: no Exec line in /usr/share/applications/quorvix.desktop"
        return 1
    fi
    echo "Exec=$pkg_command"
    mkdir -p "$1/elsewhere"
    # shellcheck disable=SC2086
    pkg_play "$1" "$1/elsewhere" /usr/libexec/quorvix/quorvix /usr/share/quorvix \
        env PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games $pkg_command
}

pkg_stop() {
    if [ -n "$PKG_GAME_PID" ]; then
        kill -KILL "$PKG_GAME_PID" 2>/dev/null || true
        wait "$PKG_GAME_PID" 2>/dev/null || true
        PKG_GAME_PID=
    fi
    if [ -n "$PKG_XVFB_PID" ]; then
        kill -TERM "$PKG_XVFB_PID" 2>/dev/null || true
        wait "$PKG_XVFB_PID" 2>/dev/null || true
        PKG_XVFB_PID=
    fi
}
