# Sourced by scripts/check-debian13 and scripts/build-web: a Debian 13
# "trixie" chroot, made once with debootstrap and kept in a cache folder, and
# the mounts a run in it needs. The caller runs in a mount namespace of its
# own (unshare --mount), so that not even a killed run leaves mounts behind,
# and holds the chroot's lock while it uses it.

# The Debian mirror the host's apt uses, for the suite SUITE.
ponderine_host_mirror() {
    apt-get indextargets --format '$(REPO_URI)' "Release: $1" 'Identifier: Packages' | head -n 1
}

# Unmounts what is mounted below DIR, deepest first.
ponderine_unmount_below() {
    local target
    findmnt -rn -o TARGET | { grep -F "$1/" || true; } | sort -r | while read -r target; do
        umount -l "$target"
    done
}

# Makes a Debian 13 chroot in ROOT, from the host's mirror, unless it is
# there; debootstrap's output goes to LOG; BY names the script in the
# chroot's mark.
ponderine_debian13_make() {
    local root=$1 log=$2 by=$3 codename mirror security start=$SECONDS
    [ -e "$root/etc/ponderine-chroot" ] && return 0
    # shellcheck source=/dev/null
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    mirror=$(ponderine_host_mirror "$codename")
    security=$(ponderine_host_mirror "$codename-security")
    mirror=${mirror:-http://deb.debian.org/debian/}
    security=${security:-http://deb.debian.org/debian-security/}
    # Made aside and moved in place when whole, so that a broken debootstrap
    # is made again next time. --one-file-system: never below a mount point.
    ponderine_unmount_below "$root.new"
    rm -rf --one-file-system "$root.new"
    echo "Making a Debian 13 chroot in $root from $mirror"
    debootstrap --variant=minbase --include=ccache trixie "$root.new" "$mirror" \
        >"$log" 2>&1 || { tail -n 30 "$log"; exit 1; }
    rm -f "$root.new/etc/apt/sources.list"
    cat >"$root.new/etc/apt/sources.list.d/debian.sources" <<SOURCES
Types: deb
URIs: $mirror
Suites: trixie trixie-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb
URIs: $security
Suites: trixie-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SOURCES
    # dpkg need not sync every file it unpacks: the chroot is a cache, and
    # after a crash of the machine the remedy is to remove it.
    echo force-unsafe-io >"$root.new/etc/dpkg/dpkg.cfg.d/ponderine-unsafe-io"
    # Packages install without starting their services (dbus, speech).
    printf '#!/bin/sh\nexit 101\n' >"$root.new/usr/sbin/policy-rc.d"
    chmod 755 "$root.new/usr/sbin/policy-rc.d"
    echo "made by $by from $mirror" >"$root.new/etc/ponderine-chroot"
    mv "$root.new" "$root"
    echo "debootstrap took $((SECONDS - start)) s"
}

# Mounts what a run in the chroot ROOT needs (proc, sys, dev, shm, the
# host's name resolution) and sets a trap that, on every way out, ends what
# the run left running in the chroot and unmounts in reverse order.
# ponderine_mount_in adds a mount of the caller's own.
ponderine_debian13_enter() {
    ponderine_chroot=$1
    ponderine_mounts=()
    trap ponderine_debian13_cleanup EXIT
    trap 'exit 130' INT
    trap 'exit 143' TERM
    ponderine_mount_in -t proc proc "$ponderine_chroot/proc"
    ponderine_mount_in -t sysfs sysfs "$ponderine_chroot/sys"
    ponderine_mount_in --bind /dev "$ponderine_chroot/dev"
    ponderine_mount_in --bind /dev/pts "$ponderine_chroot/dev/pts"
    ponderine_mount_in -t tmpfs -o mode=1777 shm "$ponderine_chroot/dev/shm"
    cp -L /etc/resolv.conf /etc/hosts "$ponderine_chroot/etc/"
}
ponderine_mount_in() {
    mount "$@"
    ponderine_mounts+=("${*: -1}")
}
ponderine_debian13_cleanup() {
    local status=$? proc i
    trap - EXIT INT TERM
    for proc in /proc/[0-9]*; do
        [ "$(readlink "$proc/root" 2>/dev/null)" = "$ponderine_chroot" ] && kill -KILL "${proc#/proc/}" 2>/dev/null
    done
    for ((i = ${#ponderine_mounts[@]} - 1; i >= 0; i--)); do
        umount "${ponderine_mounts[i]}" || umount -l "${ponderine_mounts[i]}"
    done
    exit "$status"
}
