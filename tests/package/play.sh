# Playing an installed game the way a desktop starts it; sourced after tests/harness/harness.sh.

# play_installed CWD GAME DATA COMMAND...: starts COMMAND in the directory CWD and checks, as
# problems of the current case, that
#   - a window titled exactly "Quorvix" appears within 15 s,
#   - the process started is then the game binary GAME itself (a launcher has exec'd it, so
#     signals and the exit status are the game's own), with DATA as its working directory,
#   - SIGTERM ends it within 5 s with exit status 0.
play_installed() {
    local cwd=$1 game=$2 data=$3 exe wd
    shift 3
    start_game "$cwd" -- "$@"
    if ! wait_for_window 15; then
        if game_running; then
            problem "no window titled \"Quorvix\" within 15 s"
        else
            problem "the game ended with status $(cat "$GAME_RUN/rc") before showing a window"
            return
        fi
    fi
    exe=$(readlink "/proc/$GAME_PID/exe")
    [ "$exe" = "$game" ] || problem "the process started runs $exe, not $game"
    wd=$(readlink "/proc/$GAME_PID/cwd")
    [ "$wd" = "$data" ] || problem "the game runs in $wd, not in $data"
    expect_clean_close 5
}

# play_menu_entry: play_installed for the game installed in /usr, started the way a desktop starts
# it: the menu entry's Exec command (field codes removed), from a directory of its own, with a
# desktop session's PATH (Debian's /etc/profile gives it to every user but root). The entry's own
# command, not its actions'.
play_menu_entry() {
    local command
    command=$(sed -n '/^\[Desktop Entry\]/,/^\[/ s/^Exec=//p' /usr/share/applications/quorvix.desktop |
        sed 's/ *%[a-zA-Z]//g')
    if [ -z "$command" ]; then
        problem "no Exec line in /usr/share/applications/quorvix.desktop"
        return
    fi
    echo "    Exec=$command"
    mkdir -p "$H_TMP/elsewhere"
    # shellcheck disable=SC2086
    play_installed "$H_TMP/elsewhere" /usr/libexec/quorvix/quorvix /usr/share/quorvix \
        env PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games $command
}
