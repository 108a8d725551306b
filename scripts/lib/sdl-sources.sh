# shellcheck shell=sh
# The source packages of SDL2 and SDL2_mixer for scripts/web-sdl and scripts/windows-sdl, which
# source this file: the same versions as this release's libsdl2-dev and libsdl2-mixer-dev, built
# with Debian's patches. Expects a say function.

die() {
    say "ERROR: $*" >&2
    exit 1
}

# source_of PACKAGE: the source package and version (NAME=VERSION) behind an installed or
# installable binary package.
source_of() {
    if version=$(dpkg-query -W -f '${source:Package}=${source:Version}' "$1" 2>/dev/null) &&
        [ "${version#*=}" != "" ]; then
        echo "$version"
        return
    fi
    apt-cache show --no-all-versions "$1" | awk '
        /^Package:/ { pkg = $2 } /^Version:/ { ver = $2 }
        /^Source:/ { src = $2; if ($3 ~ /^\(/) { sver = $3; gsub(/[()]/, "", sver) } }
        END { if (!pkg) exit 1; print (src ? src : pkg) "=" (sver ? sver : ver) }'
}

# unpack_sources DIR OPTION: SDL_SOURCE and MIXER_SOURCE unpacked into DIR with Debian's patches
# applied; sets SDL_DIR and MIXER_DIR. OPTION is the scripts/install-deps option that makes the
# source packages reachable, for the message when they are not.
unpack_sources() {
    mkdir -p "$1"
    (cd "$1" && apt-get source -q "$SDL_SOURCE" "$MIXER_SOURCE" >"$1/apt-source.log" 2>&1) || {
        tail -n 20 "$1/apt-source.log" >&2
        die "apt-get source failed (is a deb-src entry there? scripts/install-deps $2 adds it)"
    }
    SDL_DIR=$(unpacked "$1" "$SDL_SOURCE")
    MIXER_DIR=$(unpacked "$1" "$MIXER_SOURCE")
    [ -d "$SDL_DIR" ] && [ -d "$MIXER_DIR" ] || die "the unpacked sources are not in $1"
}

# dpkg-source unpacks NAME=[EPOCH:]UPSTREAM-REVISION into DIR/NAME-UPSTREAM.
unpacked() {
    version=${2#*=}
    version=${version#*:}
    echo "$1/${2%%=*}-${version%-*}"
}
