# shellcheck shell=bash
# Throwaway Debian roots for scripts/debian-root, which sources this file: the cached minimal
# root of a release, and roots unpacked from it with their mounts. Expects SUITE, CACHE and a
# say function; sets BASE and ARCHIVES.
BASE=$CACHE/$SUITE.tar.zst
ARCHIVES=$CACHE/apt-$SUITE
PATH_IN_ROOT=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin

die() {
    say "ERROR: $*" >&2
    exit 1
}

# The cached base: debootstrap --variant=minbase of SUITE from the host's own mirror, as a
# tarball, made once (under a lock, as runs of the same release may share it).
ensure_base() {
    mkdir -p "$CACHE"
    exec 9>"$CACHE/$SUITE.lock"
    flock 9
    [ -s "$BASE" ] || make_base
    flock -u 9
}

make_base() {
    local missing=() tool
    for tool in debootstrap zstd; do
        command -v "$tool" >/dev/null || missing+=("$tool")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
            "${missing[@]}" >/dev/null 2>&1 || {
            apt-get update -q >/dev/null
            DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
                "${missing[@]}" >/dev/null
        }
    fi
    # The host's main archive (not its security or updates suites) serves every release.
    local mirror
    # shellcheck disable=SC2016 # apt-get's own format fields
    mirror=$(apt-get indextargets --format '$(SITE) $(RELEASE)' 'Identifier: Packages' |
        awk '$2 !~ /-/ { print $1; exit }')
    [ -n "$mirror" ] || die "the host's apt sources name no Debian archive"
    say "debootstrap $SUITE from $mirror"
    local dir=$CACHE/$SUITE.partial
    rm -rf --one-file-system "$dir"
    mkdir -p "$CACHE/debootstrap"
    DEBIAN_FRONTEND=noninteractive debootstrap --variant=minbase --include=ca-certificates \
        --cache-dir="$CACHE/debootstrap" "$SUITE" "$dir" "$mirror" >"$CACHE/$SUITE.log" 2>&1 ||
        { tail -n 20 "$CACHE/$SUITE.log" >&2; die "debootstrap failed"; }
    rm -f "$dir/etc/apt/sources.list"
    printf 'Types: deb\nURIs: %s\nSuites: %s\nComponents: main\nSigned-By: %s\n' "$mirror" \
        "$SUITE" /usr/share/keyrings/debian-archive-keyring.gpg \
        >"$dir/etc/apt/sources.list.d/debian.sources"
    # The host's settings for reaching that mirror (a proxy, a snapshot's validity dates).
    apt-config dump | grep -E '^Acquire::((https?|ftp)::Proxy|Check-Valid-Until|Check-Date|Retries) ' \
        >"$dir/etc/apt/apt.conf.d/90host-network" || true
    # No service may start inside the root.
    printf '#!/bin/sh\nexit 101\n' >"$dir/usr/sbin/policy-rc.d"
    chmod 755 "$dir/usr/sbin/policy-rc.d"
    rm -f "$dir"/var/cache/apt/archives/*.deb
    tar --numeric-owner -C "$dir" -cf - . | zstd -q -T0 -3 -o "$BASE.tmp" -f
    mv "$BASE.tmp" "$BASE"
    rm -rf --one-file-system "$dir"
}

# new_root DIR: a root unpacked from the base at DIR, with /proc, /sys, /dev, its own /tmp and
# /dev/shm, and the shared cache of downloaded packages; ROOT names it. The caller's mount
# namespace must be its own: nothing here is ever unmounted.
new_root() {
    ROOT=$1
    mkdir "$ROOT"
    zstd -dc "$BASE" | tar --numeric-owner -x -C "$ROOT"
    mount_in_root /proc -t proc proc
    mount_in_root /sys -t sysfs sysfs
    mount_in_root /dev --bind /dev
    mount_in_root /dev/pts --bind /dev/pts
    mount_in_root /dev/shm -t tmpfs -o mode=1777,nosuid,nodev tmpfs
    mount_in_root /tmp -t tmpfs -o mode=1777,nosuid,nodev tmpfs
    mkdir -p "$ARCHIVES/partial"
    mount_in_root /var/cache/apt/archives --bind "$ARCHIVES"
    cp -L /etc/resolv.conf "$ROOT/etc/resolv.conf"
}

# mount_in_root PATH MOUNT-ARGUMENTS...
mount_in_root() {
    local target=$ROOT$1
    shift
    mkdir -p "$target"
    mount "$@" "$target"
}

in_root() {
    chroot "$ROOT" /usr/bin/env -i HOME=/root PATH="$PATH_IN_ROOT" "$@"
}
