# The one harness for the tests of the real program and of its package: every end-to-end test, the
# package checks, the memory check and the benchmark source this file:
#
#   . tests/harness/harness.sh [--game PATH] [--res DIR] [--shim PATH] [--tools DIR] [--out PATH]
#
# --game: the game binary; --res: the media copied into each working directory; --shim: the
# preloaded library that captures frames, logs sounds, injects failures, holds keys and times
# presents (shim.c); --tools: the tests' helper programs; --out: an artefact to write. A script
# with positional arguments of its own reads them first and sources this after `set --`.
#
# What it gives, roughly in order of use (each is described where it is defined):
#   require_tools TOOL...                  a missing tool fails the script, by name
#   H_TMP                                  the scratch directory
#   start_xvfb                             a private X server
#   make_workdir NAME                      a working directory holding a copy of the media
#   start_game DIR [VAR=value]... [-- COMMAND...]
#   wait_until [--game] SECONDS COMMAND... the one waiting loop
#   wait_for_window, focus_window, hold_key, capture_window, shim_env, report_field
#   expect_running, stop_game, expect_clean_close SECONDS, expect_failed_start SECONDS [LINE...],
#   expect_stdout [LINE...], expect_error_lines PREFIX LAST
#   case_begin TITLE, problem TEXT, problems, case_end, finish, game_output, quote
#
# Every process started through it (the private X server, each game) is stopped when the script
# exits, whatever the reason, and the scratch directory is removed (kept when QUORVIX_E2E_KEEP=1,
# for a look after a failure). Nothing is written outside it.

set -u

H_NAME=$(basename "$0" .sh)
H_FAILED_CASES=0
H_CASES=0
H_RUNS=0
H_XVFB_PID=
H_GAME_RUNS=()
H_BACKGROUND=() # other programs of the test's own (window managers), ended with it
H_CASE=
H_PROBLEMS=()

# abort MESSAGE: the script cannot go on (a broken set-up, not a finding about the game).
abort() {
    echo "FAIL: $H_NAME: $*" >&2
    exit 2
}

GAME=
RES=
SHIM=
TOOLS=
OUT=
while [ $# -gt 0 ]; do
    case $1 in
    --game) GAME=$2 ;;
    --res) RES=$2 ;;
    --shim) SHIM=$2 ;;
    --tools) TOOLS=$2 ;;
    --out) OUT=$2 ;;
    *) abort "unknown argument $1" ;;
    esac
    shift 2
done
# The game runs in a scratch directory, so every path given is made absolute.
for var in GAME RES SHIM TOOLS OUT; do
    if [ -n "${!var}" ]; then
        printf -v "$var" '%s' "$(realpath -m -- "${!var}")"
    fi
done

# require_tools TOOL...: each TOOL must be on PATH; a missing one fails the script at once, named.
# Where the README's install step has run nothing is missing, so no test passes or skips quietly
# for want of a tool (a test is left out only when asked for by name: ctest -E NAME).
require_tools() {
    local tool missing=0
    for tool in "$@"; do
        if ! command -v "$tool" >/dev/null; then
            echo "FAIL: $H_NAME: $tool is not installed (scripts/install-deps --tests installs it)"
            missing=1
        fi
    done
    [ "$missing" = 0 ] || exit 1
}

H_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvix-$H_NAME.XXXXXX") || exit 2
H_TMP=$(cd -P "$H_TMP" && pwd)
# Like a desktop session, the game gets a private runtime directory (SDL 3 looks for a Wayland
# display there before X11, and complains on stderr when the variable is not set). Caches that
# the libraries below it keep (Mesa's shader cache) stay in the scratch directory too.
mkdir -m 700 "$H_TMP/runtime" "$H_TMP/cache" || exit 2
export XDG_RUNTIME_DIR=$H_TMP/runtime XDG_CACHE_HOME=$H_TMP/cache

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# wait_until [--game] SECONDS COMMAND...: runs COMMAND every 20 ms until it succeeds, and returns 0
# then; returns 1 once SECONDS have passed with COMMAND still failing. With --game it also gives up
# as soon as the game has ended (after one last try of COMMAND, for what it did just before).
wait_until() {
    local game=0 deadline
    if [ "$1" = --game ]; then
        game=1
        shift
    fi
    deadline=$(($(now_ms) + $1 * 1000))
    shift
    until "$@"; do
        if [ "$(now_ms)" -gt "$deadline" ]; then
            return 1
        fi
        if [ "$game" = 1 ] && ! game_running; then
            "$@"
            return
        fi
        sleep 0.02
    done
}

# --------------------------------------------------------------------------------------------
# Clean-up
# --------------------------------------------------------------------------------------------

# Stops a game run that is still going (its rc file is written the moment it ends, so a process
# id that has since been reused is never signalled): SIGTERM, then SIGKILL after two seconds.
h_stop_run() {
    local run=$1
    [ -e "$run/rc" ] && return 0
    kill -TERM "$(cat "$run/pid")" 2>/dev/null
    wait_until 2 test -e "$run/rc" || kill -KILL "$(cat "$run/pid")" 2>/dev/null
}

h_cleanup() {
    local status=$? run pid
    for run in "${H_GAME_RUNS[@]}"; do
        h_stop_run "$run"
    done
    for pid in "${H_BACKGROUND[@]}"; do
        kill -TERM "$pid" 2>/dev/null
    done
    if [ -n "$H_XVFB_PID" ]; then
        kill -TERM "$H_XVFB_PID" 2>/dev/null
    fi
    wait 2>/dev/null
    if [ "${QUORVIX_E2E_KEEP:-0}" = 1 ]; then
        echo "$H_NAME: scratch files kept in $H_TMP"
    else
        rm -rf "$H_TMP"
    fi
    exit "$status"
}
trap h_cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# --------------------------------------------------------------------------------------------
# Reporting: each case collects its problems and ends with one PASS or FAIL line
# --------------------------------------------------------------------------------------------

case_begin() {
    H_CASE=$1
    H_PROBLEMS=()
}

problem() {
    H_PROBLEMS+=("$*")
}

# problems: each non-empty line on standard input is a problem of the current case. Feed it with
# `problems < <(command)` or `problems <<<"$text"`; through a pipe it would run in a subshell and
# the problems would be lost.
problems() {
    local line
    while IFS= read -r line; do
        [ -z "$line" ] || problem "$line"
    done
}

case_end() {
    H_CASES=$((H_CASES + 1))
    if [ ${#H_PROBLEMS[@]} -eq 0 ]; then
        echo "PASS: $H_NAME: $H_CASE"
        return 0
    fi
    H_FAILED_CASES=$((H_FAILED_CASES + 1))
    echo "FAIL: $H_NAME: $H_CASE"
    local p
    for p in "${H_PROBLEMS[@]}"; do
        printf '    %s\n' "$p"
    done
    return 1
}

# Ends the script: status 0 when every case passed.
finish() {
    if [ "$H_FAILED_CASES" -ne 0 ]; then
        echo "$H_NAME: $H_FAILED_CASES of $H_CASES case(s) FAILED"
        exit 1
    fi
    echo "$H_NAME: all $H_CASES case(s) passed"
    exit 0
}

# quote FILE...: shows the files' lines in the log, indented under the case they belong to.
quote() {
    sed 's/^/      | /' "$@"
}

# --------------------------------------------------------------------------------------------
# The private X server
# --------------------------------------------------------------------------------------------

# start_xvfb [SIZE]: starts Xvfb on the first free display (it writes the number to the file
# descriptor given with -displayfd), its screen SIZE (WIDTHxHEIGHT, 1024x768 by default), and
# exports DISPLAY once it answers.
# -noreset: by default the server resets whenever its last client leaves (a readiness probe, each
# xdotool search) and refuses a client that connects during the reset, so a game started right
# after the probe could find no display.
start_xvfb() {
    require_tools Xvfb xdotool xwininfo xdpyinfo
    local numfile=$H_TMP/xvfb.display
    Xvfb -displayfd 3 -noreset -screen 0 "${1:-1024x768}x24" -nolisten tcp 3>"$numfile" \
        >"$H_TMP/xvfb.log" 2>&1 &
    H_XVFB_PID=$!
    if ! wait_until 15 h_xvfb_numbered "$numfile" || ! kill -0 "$H_XVFB_PID" 2>/dev/null; then
        cat "$H_TMP/xvfb.log" >&2
        abort "Xvfb did not start"
    fi
    export DISPLAY=":$(cat "$numfile")"
    wait_until 15 xdpyinfo >/dev/null 2>&1 || abort "Xvfb on $DISPLAY does not answer"
}

# start_window_manager: runs openbox on the X server (full screen needs a window manager to mean
# anything) and waits until it has finished starting (it runs its --startup command then): a
# window mapped while it starts may never be shown, and SDL 3 waits for its window to be shown.
start_window_manager() {
    require_tools openbox
    openbox --sm-disable --startup "touch $H_TMP/openbox.ready" >"$H_TMP/openbox.log" 2>&1 &
    H_BACKGROUND+=($!)
    wait_until 10 test -e "$H_TMP/openbox.ready" ||
        abort "openbox did not start: $(head -c 300 "$H_TMP/openbox.log")"
}

# h_xvfb_numbered FILE: Xvfb has written its display number to FILE, or has ended.
h_xvfb_numbered() {
    grep -qx '[0-9][0-9]*' "$1" 2>/dev/null || ! kill -0 "$H_XVFB_PID" 2>/dev/null
}

# --------------------------------------------------------------------------------------------
# The game
# --------------------------------------------------------------------------------------------

# make_workdir NAME: a fresh working directory for the game holding a copy of the media in res/;
# sets WORKDIR.
make_workdir() {
    WORKDIR=$H_TMP/$1
    mkdir -p "$WORKDIR"
    cp -R "$RES" "$WORKDIR/res"
}

# For a sanitizer build of the game: leaks reported in system libraries (D-Bus, Mesa) at exit
# would replace its exit status and lose its buffered output, which these tests examine, and a
# preloaded shim would be refused for coming ahead of the sanitizer's runtime. Ignored otherwise.
H_ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:verify_asan_link_order=0"

# Start-game arguments that make an exit crash deterministic. Where the mixer loads FluidSynth at
# run time (Debian 13), FluidSynth's OpenMP worker threads outlive it; with these they spin in the
# OpenMP runtime until the process ends instead of soon going to sleep, so an exit that unloaded
# the runtime under them would crash every time, not now and then.
EXIT_CRASH_ENV=(OMP_WAIT_POLICY=active)

# start_game DIR [VAR=value | -u VAR]... [-- COMMAND...]: runs the game (or COMMAND, which must
# end up exec'ing a program: a launcher, valgrind, the benchmark's reference program) in DIR with
# the audio going nowhere unless the arguments say otherwise (they are handed to env(1)). Sets
# GAME_PID and GAME_RUN, a directory that holds stdout and stderr, and rc (the exit status as the
# shell reports it, 128 + n for signal n) once the game has ended.
start_game() {
    local dir=$1 unset=() settings=() command=("$GAME")
    shift
    while [ $# -gt 0 ]; do
        case $1 in
        --)
            shift
            command=("$@")
            break
            ;;
        -u) # env(1) takes its options before any assignment
            unset+=(-u "$2")
            shift
            ;;
        *) settings+=("$1") ;;
        esac
        shift
    done
    H_RUNS=$((H_RUNS + 1))
    GAME_RUN=$H_TMP/run$H_RUNS
    mkdir -p "$GAME_RUN"
    (
        cd "$dir" || exit 2
        env "${unset[@]}" SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$H_ASAN_OPTIONS" "${settings[@]}" \
            "${command[@]}" >"$GAME_RUN/stdout" 2>"$GAME_RUN/stderr" &
        echo $! >"$GAME_RUN/pid.part"
        mv "$GAME_RUN/pid.part" "$GAME_RUN/pid"
        wait $!
        echo $? >"$GAME_RUN/rc.part"
        mv "$GAME_RUN/rc.part" "$GAME_RUN/rc"
    ) &
    wait_until 5 test -s "$GAME_RUN/pid" || abort "the game did not start"
    GAME_PID=$(cat "$GAME_RUN/pid")
    H_GAME_RUNS+=("$GAME_RUN")
}

game_running() {
    [ ! -e "$GAME_RUN/rc" ]
}

# wait_game_exit SECONDS: waits for the game to end by itself; sets GAME_RC and returns 0 when
# it did, returns 1 when it was still running at the deadline.
wait_game_exit() {
    wait_until "$1" test -e "$GAME_RUN/rc" || return 1
    GAME_RC=$(cat "$GAME_RUN/rc")
}

# wait_for_window SECONDS: waits until the game shows a window titled exactly "Quorvix"; sets
# WID. Returns 1 at the deadline or as soon as the game ends without one.
wait_for_window() {
    H_SEEN_WID=
    wait_until --game "$1" h_window_settled && return 0
    WID=
    return 1
}

# SDL may replace the window it first maps when the renderer asks for another kind of window (an
# OpenGL one), so a window only counts once it is viewable and still the newest one after a
# short while: this sets WID and succeeds when it is the one the previous call saw 0.3 s earlier.
h_window_settled() {
    WID=$(xdotool search --onlyvisible --name '^Quorvix$' 2>/dev/null | tail -n 1)
    if [ -z "$WID" ] || ! xwininfo -id "$WID" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        H_SEEN_WID=
        return 1
    fi
    [ "$WID" = "$H_SEEN_WID" ] && return 0
    H_SEEN_WID=$WID
    sleep 0.3
    return 1
}

# window_size WID: prints "WIDTHxHEIGHT" of the window's client area.
window_size() {
    xwininfo -id "$1" | awk '/^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print w "x" h }'
}

# --------------------------------------------------------------------------------------------
# How the game ends, and what it printed (each adds its findings as problems of the current case)
# --------------------------------------------------------------------------------------------

# expect_running: the game has not ended by itself; returns 1 when it has.
expect_running() {
    game_running && return 0
    problem "the game ended by itself with status $(cat "$GAME_RUN/rc")"
    return 1
}

# stop_game SECONDS: sends SIGTERM (SDL turns it into its quit event) and waits for the game to
# end; sets GAME_RC and returns 0 when it ended within SECONDS. Otherwise that is a problem, the
# game is killed and 1 returned.
stop_game() {
    GAME_RC=
    kill -TERM "$GAME_PID" 2>/dev/null
    wait_game_exit "$1" && return 0
    problem "still running $1 s after SIGTERM"
    kill -KILL "$GAME_PID" 2>/dev/null
    wait_game_exit 5
    return 1
}

# expect_clean_close SECONDS: the game, still running, closes on SIGTERM within SECONDS with
# status 0. Returns 0 when it did.
expect_clean_close() {
    expect_running && stop_game "$1" || return 1
    [ "$GAME_RC" = 0 ] && return 0
    problem "exit status $GAME_RC after SIGTERM, expected 0 (>= 128 means a signal)"
    return 1
}

# expect_failed_start SECONDS [LINE...]: the game gives up by itself within SECONDS with status 1
# (it could not start, or load its media); with LINEs its whole stdout is exactly these lines. A
# game still running is stopped.
expect_failed_start() {
    local seconds=$1
    shift
    if wait_game_exit "$seconds"; then
        [ "$GAME_RC" = 1 ] || problem "exit status $GAME_RC, expected 1 (>= 128 means a signal)"
    else
        problem "still running $seconds s after start"
        stop_game 3
    fi
    [ $# -eq 0 ] || expect_stdout "$@"
}

# expect_stdout [LINE...]: the game's whole stdout is exactly these lines (nothing, with none).
expect_stdout() {
    local expected=$GAME_RUN/expected
    if [ $# -gt 0 ]; then
        printf '%s\n' "$@"
    fi >"$expected"
    if ! cmp -s "$expected" "$GAME_RUN/stdout"; then
        problem "stdout differs from the expected lines:"
        problems < <(diff -u --label expected --label actual "$expected" "$GAME_RUN/stdout" |
            sed 's/^/  /')
    fi
}

# expect_error_lines PREFIX LAST: the game's whole stdout is two lines: PREFIX followed by a
# library's error text (any, but not none), then LAST.
expect_error_lines() {
    local lines
    mapfile -t lines <"$GAME_RUN/stdout"
    [ ${#lines[@]} -eq 2 ] || problem "expected 2 lines of output, got ${#lines[@]}"
    case ${lines[0]:-} in
    "$1"?*) ;;
    *) problem "first line is not \"$1<error text>\"" ;;
    esac
    [ "${lines[1]:-}" = "$2" ] || problem "second line is \"${lines[1]:-}\", expected \"$2\""
}

# The game's output, for the report of a failed case.
game_output() {
    echo "    stdout:"
    quote "$GAME_RUN/stdout"
    echo "    stderr:"
    quote "$GAME_RUN/stderr" | tail -n 20
}

# --------------------------------------------------------------------------------------------
# Keys and pixels
# --------------------------------------------------------------------------------------------

# focus_window: gives the keyboard to the game's window (WID). With no window manager the X server
# sends key presses to the focused window, and SDL's held-key state follows them.
focus_window() {
    timeout 5 xdotool windowfocus --sync "$WID"
}

# hold_key KEY SECONDS: holds KEY (an X key name: Up, Down, Right, Left) down for SECONDS.
hold_key() {
    xdotool keydown "$1"
    sleep "$2"
    xdotool keyup "$1"
}

# capture_window FILE: the window's pixels as the X server shows them, as a binary PPM
# (ImageMagick's import: require_tools import).
capture_window() {
    import -window "$WID" -depth 8 "ppm:$1"
}

# shim_env DIR: sets SHIM_ENV, the start_game arguments that preload the shim, capturing frame 1
# (as it is about to be shown) to DIR/frame1.ppm, logging sound starts to DIR/sounds.log and
# writing the count and timing of presented frames to DIR/report at exit (see shim.c).
shim_env() {
    [ -f "$SHIM" ] || abort "needs --shim (the preloaded shim library)"
    SHIM_ENV=(LD_PRELOAD="$SHIM" QUORVIX_CAPTURE_FRAMES=1 QUORVIX_CAPTURE_FILE="$1/frame%d.ppm"
        QUORVIX_SOUND_LOG="$1/sounds.log" QUORVIX_REPORT_FILE="$1/report")
}

# report_field DIR NAME: a value from the shim's report.
report_field() {
    awk -v k="$2" '$1 == k { print $2 }' "$1/report" 2>/dev/null
}
