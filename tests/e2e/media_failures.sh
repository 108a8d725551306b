#!/usr/bin/env bash
# Media loading. Every file is tried even after one fails; each failure prints its own line, in
# the order music 00, effects 00, 01, 02, then "Failed to load media!", and the game ends with
# status 1 before a single frame is shown or a sound played. A damaged MIDI file still loads (it
# plays silence), so the game starts with one.
. "$(dirname "$0")/../harness/harness.sh" "$@"

start_xvfb

MUSIC_MISSING="Failed to load music 00! SDL_mixer Error: Couldn't open 'res/mus00.mid'"
effect_missing() {
    echo "Failed to load snd0$1 sound effect! SDL_mixer Error: Mix_LoadWAV_RW with NULL src"
}

# run_broken NAME SETUP [LINE...]: starts the game in a fresh directory after running the shell
# command SETUP there, and expects it to give up within 5 s with status 1 (and print exactly
# LINEs, when given) with no frame shown, no sound played and no window left.
run_broken() {
    make_workdir "$1"
    (cd "$WORKDIR" && eval "$2")
    shift 2
    shim_env "$WORKDIR"
    start_game "$WORKDIR" "${SHIM_ENV[@]}" "${EXIT_CRASH_ENV[@]}"
    expect_failed_start 5 "$@"
    # The preloaded shim would have written frame 1 and logged any sound.
    [ -e "$WORKDIR/frame1.ppm" ] && problem "a frame was shown"
    [ -s "$WORKDIR/sounds.log" ] && problem "sounds were played: $(tr '\n' ';' <"$WORKDIR/sounds.log")"
    xdotool search --name '^Quorvix$' >/dev/null 2>&1 && problem "a Quorvix window is still open"
    return 0
}

# The media files, as the game's res/ holds them.
mapfile -t MEDIA < <(cd "$RES" && ls)

# Each file missing in turn, then all of them: the exact lines.
declare -A MISSING_LINE=(
    [mus00.mid]=$MUSIC_MISSING
    [snd00.wav]=$(effect_missing 0)
    [snd01.wav]=$(effect_missing 1)
    [snd02.wav]=$(effect_missing 2)
)
for file in "${MEDIA[@]}"; do
    case_begin "res/$file missing: its line, \"Failed to load media!\", status 1, no frame"
    run_broken "missing-$file" "rm res/$file" "${MISSING_LINE[$file]}" "Failed to load media!"
    case_end || game_output
done

case_begin "all four files missing: four lines in load order, then \"Failed to load media!\""
run_broken missing-all "rm res/*" "$MUSIC_MISSING" "$(effect_missing 0)" "$(effect_missing 1)" \
    "$(effect_missing 2)" "Failed to load media!"
case_end || game_output

case_begin "two effects missing (snd00, snd02): only their lines, in order"
run_broken missing-two "rm res/snd00.wav res/snd02.wav" \
    "$(effect_missing 0)" "$(effect_missing 2)" "Failed to load media!"
case_end || game_output

# A damaged effect: the message text is SDL's own, but the line is the game's.
for n in 0 1 2; do
    file=res/snd0$n.wav
    for damage in "garbage:head -c 3000 /dev/urandom >$file" "empty::>$file" \
        "truncated header:head -c 20 \"$RES/snd0$n.wav\" >$file"; do
        what=${damage%%:*}
        case_begin "$file $what: one snd0$n line, \"Failed to load media!\", status 1"
        run_broken "bad-snd0$n-${what// /-}" "${damage#*:}"
        expect_error_lines "Failed to load snd0$n sound effect! SDL_mixer Error: " \
            "Failed to load media!"
        case_end || game_output
    done
done

# Something other than a regular file where a media file should be: a directory (which would
# crash SDL_mixer's MIDI loader if it were handed one) or a FIFO (which would block start-up).
for file in "${MEDIA[@]}"; do
    for kind in directory fifo; do
        case_begin "res/$file is a $kind: its line, \"Failed to load media!\", status 1"
        make=$([ $kind = directory ] && echo "mkdir" || echo "mkfifo")
        if [ $file = mus00.mid ]; then
            what="music 00"
        else
            what="snd${file:3:2} sound effect"
        fi
        run_broken "$kind-$file" "rm res/$file && $make res/$file" \
            "Failed to load $what! SDL_mixer Error: 'res/$file' is not a regular file" \
            "Failed to load media!"
        case_end || game_output
    done
done

# An unreadable file. Root reads any file, so as root the game runs as the unprivileged user
# "nobody" for this case.
case_begin "res/snd02.wav unreadable (mode 000): its line, \"Failed to load media!\", status 1"
real_game=$GAME
setup="chmod 000 res/snd02.wav"
if [ "$(id -u)" = 0 ]; then
    require_tools setpriv
    id nobody >/dev/null 2>&1 || abort "no user \"nobody\" to run the game as, not as root"
    GAME=$H_TMP/as-nobody
    printf '#!/bin/sh\nexec setpriv --reuid=nobody --regid=nogroup --clear-groups "%s"\n' \
        "$real_game" >"$GAME"
    chmod 755 "$GAME" "$H_TMP"
    setup="chmod 755 . res && $setup"
fi
run_broken unreadable "$setup"
GAME=$real_game
expect_error_lines "Failed to load snd02 sound effect! SDL_mixer Error: " "Failed to load media!"
case_end || game_output

case_begin "res/mus00.mid full of garbage: the game still starts and closes with status 0"
make_workdir bad-music
head -c 4096 /dev/urandom >"$WORKDIR/res/mus00.mid"
shim_env "$WORKDIR"
start_game "$WORKDIR" "${SHIM_ENV[@]}"
if wait_for_window 10; then
    wait_until --game 5 test -e "$WORKDIR/frame1.ppm" || problem "no frame was shown"
    sleep 0.5
else
    problem "no window appeared"
fi
expect_clean_close 3
expect_stdout
case_end || game_output

finish
