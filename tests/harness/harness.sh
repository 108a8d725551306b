# The one harness for running the real program: every end-to-end test, the package checks, the
# memory check and the benchmark source this file with their own arguments:
#
#   . tests/harness/harness.sh [--game PATH] [--res DIR] [--shim PATH] [--tools DIR] [--out PATH]
#
# --game: the game binary; --res: the media copied into each working directory; --shim: the
# preloaded library that captures frames, logs sounds, injects failures, holds keys and times
# presents (shim.c); --tools: the tests' helper programs; --out: an artefact to write.
#
# It gives a scratch directory (H_TMP) and, in order of use: start_xvfb, make_workdir,
# start_game, wait_for_window, focus_window / hold_key, capture_window, stop_game_expect; and for
# reporting, case_begin / problem / case_end / finish.
#
# Every process started through it (the private X server, each game) is stopped when the script
# exits, whatever the reason, and the scratch directory is removed (kept when QUORVIX_E2E_KEEP=1,
# for a look after a failure). Nothing is written outside it.

set -u

E2E_NAME=$(basename "$0" .sh)
E2E_FAILED_CASES=0
E2E_CASES=0
E2E_RUNS=0
E2E_XVFB_PID=
E2E_GAME_RUNS=()
E2E_CASE=
E2E_PROBLEMS=()
HARNESS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

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
    *)
        echo "$E2E_NAME: unknown argument $1" >&2
        exit 2
        ;;
    esac
    shift 2
done
# The game runs in a scratch directory, so every path given is made absolute.
for var in GAME RES SHIM TOOLS OUT; do
    if [ -n "${!var}" ]; then
        printf -v "$var" '%s' "$(realpath -m -- "${!var}")"
    fi
done

# Exit status that CTest reports as "skipped" (the tests set SKIP_RETURN_CODE to it).
E2E_SKIP=77
for tool in Xvfb xdotool xwininfo xdpyinfo; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $E2E_NAME: $tool is not installed"
        exit $E2E_SKIP
    fi
done

H_TMP=$(mktemp -d "${TMPDIR:-/tmp}/quorvix-$E2E_NAME.XXXXXX") || exit 2
H_TMP=$(cd -P "$H_TMP" && pwd)
# Like a desktop session, the game gets a private runtime directory (SDL 3 looks for a Wayland
# display there before X11, and complains on stderr when the variable is not set). Caches that
# the libraries below it keep (Mesa's shader cache) stay in the scratch directory too.
mkdir -m 700 "$H_TMP/runtime" "$H_TMP/cache" || exit 2
export XDG_RUNTIME_DIR=$H_TMP/runtime XDG_CACHE_HOME=$H_TMP/cache

# --------------------------------------------------------------------------------------------
# Clean-up
# --------------------------------------------------------------------------------------------

# Stops a game run that is still going (its rc file is written the moment it ends, so a process
# id that has since been reused is never signalled): SIGTERM, then SIGKILL after two seconds.
e2e_stop_run() {
    local run=$1 pid
    [ -e "$run/rc" ] && return 0
    pid=$(cat "$run/pid")
    kill -TERM "$pid" 2>/dev/null
    for _ in $(seq 40); do
        [ -e "$run/rc" ] && return 0
        sleep 0.05
    done
    kill -KILL "$pid" 2>/dev/null
}

e2e_cleanup() {
    local status=$? run
    for run in "${E2E_GAME_RUNS[@]}"; do
        e2e_stop_run "$run"
    done
    if [ -n "$E2E_XVFB_PID" ]; then
        kill -TERM "$E2E_XVFB_PID" 2>/dev/null
    fi
    wait 2>/dev/null
    if [ "${QUORVIX_E2E_KEEP:-0}" = 1 ]; then
        echo "$E2E_NAME: scratch files kept in $H_TMP"
    else
        rm -rf "$H_TMP"
    fi
    exit "$status"
}
trap e2e_cleanup EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

# --------------------------------------------------------------------------------------------
# Reporting: each case collects its problems and ends with one PASS or FAIL line
# --------------------------------------------------------------------------------------------

case_begin() {
    E2E_CASE=$1
    E2E_PROBLEMS=()
}

problem() {
    E2E_PROBLEMS+=("$*")
}

case_end() {
    E2E_CASES=$((E2E_CASES + 1))
    if [ ${#E2E_PROBLEMS[@]} -eq 0 ]; then
        echo "PASS: $E2E_NAME: $E2E_CASE"
        return 0
    fi
    E2E_FAILED_CASES=$((E2E_FAILED_CASES + 1))
    echo "FAIL: $E2E_NAME: $E2E_CASE"
    local p
    for p in "${E2E_PROBLEMS[@]}"; do
        printf '    %s\n' "$p"
    done
    return 1
}

# Ends the script: status 0 when every case passed.
finish() {
    if [ "$E2E_FAILED_CASES" -ne 0 ]; then
        echo "$E2E_NAME: $E2E_FAILED_CASES of $E2E_CASES case(s) FAILED"
        exit 1
    fi
    echo "$E2E_NAME: all $E2E_CASES case(s) passed"
    exit 0
}

now_ms() {
    echo $(($(date +%s%N) / 1000000))
}

# --------------------------------------------------------------------------------------------
# The private X server
# --------------------------------------------------------------------------------------------

# Starts Xvfb on the first free display (it writes the number to the file descriptor given with
# -displayfd) and exports DISPLAY once it answers.
# -noreset: by default the server resets whenever its last client leaves (a readiness probe, each
# xdotool search) and refuses a client that connects during the reset, so a game started right
# after the probe could find no display.
start_xvfb() {
    local numfile=$H_TMP/xvfb.display deadline
    Xvfb -displayfd 3 -noreset -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" \
        >"$H_TMP/xvfb.log" 2>&1 &
    E2E_XVFB_PID=$!
    deadline=$(($(now_ms) + 15000))
    until grep -qx '[0-9][0-9]*' "$numfile" 2>/dev/null; do
        if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null || [ "$(now_ms)" -gt "$deadline" ]; then
            echo "$E2E_NAME: Xvfb did not start:" >&2
            cat "$H_TMP/xvfb.log" >&2
            exit 2
        fi
        sleep 0.05
    done
    export DISPLAY=":$(cat "$numfile")"
    until xdpyinfo >/dev/null 2>&1; do
        if [ "$(now_ms)" -gt "$deadline" ]; then
            echo "$E2E_NAME: Xvfb on $DISPLAY does not answer" >&2
            exit 2
        fi
        sleep 0.05
    done
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
E2E_ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0:verify_asan_link_order=0"

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
    local dir=$1 deadline unset=() settings=() command=("$GAME")
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
    E2E_RUNS=$((E2E_RUNS + 1))
    GAME_RUN=$H_TMP/run$E2E_RUNS
    mkdir -p "$GAME_RUN"
    (
        cd "$dir" || exit 2
        env "${unset[@]}" SDL_AUDIODRIVER=dummy ASAN_OPTIONS="$E2E_ASAN_OPTIONS" "${settings[@]}" \
            "${command[@]}" >"$GAME_RUN/stdout" 2>"$GAME_RUN/stderr" &
        echo $! >"$GAME_RUN/pid.part"
        mv "$GAME_RUN/pid.part" "$GAME_RUN/pid"
        wait $!
        echo $? >"$GAME_RUN/rc.part"
        mv "$GAME_RUN/rc.part" "$GAME_RUN/rc"
    ) &
    deadline=$(($(now_ms) + 5000))
    until [ -s "$GAME_RUN/pid" ]; do
        if [ "$(now_ms)" -gt "$deadline" ]; then
            echo "$E2E_NAME: the game did not start" >&2
            exit 2
        fi
        sleep 0.01
    done
    GAME_PID=$(cat "$GAME_RUN/pid")
    E2E_GAME_RUNS+=("$GAME_RUN")
}

game_running() {
    [ ! -e "$GAME_RUN/rc" ]
}

# wait_game_exit SECONDS: waits for the game to end by itself; sets GAME_RC and returns 0 when
# it did, returns 1 when it was still running at the deadline.
wait_game_exit() {
    local deadline=$(($(now_ms) + $1 * 1000))
    while game_running; do
        if [ "$(now_ms)" -gt "$deadline" ]; then
            return 1
        fi
        sleep 0.02
    done
    GAME_RC=$(cat "$GAME_RUN/rc")
    return 0
}

# stop_game_expect SECONDS: sends SIGTERM (SDL turns it into its quit event) and waits for the
# game to end; sets GAME_RC and returns 0 when it ended in time, otherwise kills it and returns 1.
stop_game_expect() {
    GAME_RC=
    kill -TERM "$GAME_PID" 2>/dev/null
    if wait_game_exit "$1"; then
        return 0
    fi
    kill -KILL "$GAME_PID" 2>/dev/null
    wait_game_exit 5
    return 1
}

# wait_for_window SECONDS: waits until the game shows a window titled exactly "Quorvix"; sets
# WID. Returns 1 at the deadline or as soon as the game ends without one.
# SDL may replace the window it first maps when the renderer asks for another kind of window (an
# OpenGL one), so a window only counts once it is viewable and still the newest one after a
# short while.
wait_for_window() {
    local deadline=$(($(now_ms) + $1 * 1000)) seen=
    WID=
    while :; do
        WID=$(xdotool search --onlyvisible --name '^Quorvix$' 2>/dev/null | tail -n 1)
        if [ -n "$WID" ] && xwininfo -id "$WID" 2>/dev/null | grep -q 'Map State: IsViewable'; then
            if [ "$WID" = "$seen" ]; then
                return 0
            fi
            seen=$WID
            sleep 0.3
            continue
        fi
        seen=
        if ! game_running || [ "$(now_ms)" -gt "$deadline" ]; then
            WID=
            return 1
        fi
        sleep 0.05
    done
}

# window_size WID: prints "WIDTHxHEIGHT" of the window's client area.
window_size() {
    xwininfo -id "$1" | awk '/^ *Width:/ { w = $2 } /^ *Height:/ { h = $2 } END { print w "x" h }'
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

# capture_window FILE: the window's pixels as the X server shows them, as a binary PPM.
capture_window() {
    import -window "$WID" -depth 8 "ppm:$1"
}

# shim_env DIR: sets SHIM_ENV, the start_game arguments that preload the shim, capturing frame 1
# (as it is about to be shown) to DIR/frame1.ppm, logging sound starts to DIR/sounds.log and
# writing the count and timing of presented frames to DIR/report at exit (see shim.c).
shim_env() {
    if [ ! -f "$SHIM" ]; then
        echo "$E2E_NAME: needs --shim (the preloaded shim library)" >&2
        exit 2
    fi
    SHIM_ENV=(LD_PRELOAD="$SHIM" QUORVIX_CAPTURE_FRAMES=1 QUORVIX_CAPTURE_FILE="$1/frame%d.ppm"
        QUORVIX_SOUND_LOG="$1/sounds.log" QUORVIX_REPORT_FILE="$1/report")
}

# report_field DIR NAME: a value from the shim's report.
report_field() {
    awk -v k="$2" '$1 == k { print $2 }' "$1/report" 2>/dev/null
}

# The game's output, for the report of a failed case.
game_output() {
    echo "stdout:"
    sed 's/^/      | /' "$GAME_RUN/stdout"
    echo "stderr:"
    sed 's/^/      | /' "$GAME_RUN/stderr" | tail -n 20
}

# expect_stdout LINE...: the game's whole stdout must be exactly these lines.
expect_stdout() {
    local expected=$GAME_RUN/expected
    printf '%s\n' "$@" >"$expected"
    if ! cmp -s "$expected" "$GAME_RUN/stdout"; then
        problem "stdout differs from the expected lines:"
        while IFS= read -r line; do
            problem "  $line"
        done < <(diff -u --label expected --label actual "$expected" "$GAME_RUN/stdout")
    fi
}
