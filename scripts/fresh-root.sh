#!/usr/bin/env bash
# fresh-root.sh ROOT TARBALL APT_ARCHIVES REPO COMMIT COMMAND...: lays a fresh
# Debian root at ROOT, in memory, from TARBALL; clones REPO at COMMIT into
# /root/quenlark in it; and runs COMMAND there as root, with a root login's
# environment and what a booted machine gives its programs: /proc, /sys, and
# a /dev of its own with the usual devices, /dev/fuse (FUSE file systems),
# pseudo-terminals and /dev/shm. Name lookups use this machine's resolv.conf,
# so apt reaches the mirror. APT_ARCHIVES is lent to apt as its download
# cache, so repeated runs do not download the same packages again; apt still
# decides on its own what to install.
#
# It runs only as the first process of mount and PID namespaces of its own
# (unshare --mount --pid --fork): when it ends, however it ends, the kernel
# ends every process left in there and takes down every mount, the root's
# memory with them.
set -euo pipefail

fail() {
  echo "fresh-root: $*" >&2
  exit 1
}

[ $# -ge 6 ] || fail "usage: fresh-root.sh ROOT TARBALL APT_ARCHIVES REPO COMMIT COMMAND..."
root=$1 tarball=$2 apt_archives=$3 repo=$4 commit=$5
shift 5
[ $$ -eq 1 ] || fail "not the first process of a PID namespace of its own; run it under unshare --mount --pid --fork"

mount -t tmpfs -o mode=755 fresh-root "$root"
tar -C "$root" --numeric-owner -xzf "$tarball"
[ -x "$root/bin/sh" ] || fail "$tarball holds no Debian root"

# This machine's apt sources where it has them (with bookworm-updates and
# security, as a fresh install has), or debootstrap's plain one.
sources=/etc/apt/sources.list.d/debian.sources
if [ -f "$sources" ]; then
  rm -f "$root/etc/apt/sources.list"
  cp "$sources" "$root/etc/apt/sources.list.d/"
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
mount --bind "$apt_archives" "$root/var/cache/apt/archives"

checkout=/root/quenlark
git clone --quiet --no-hardlinks --no-checkout "$repo" "$root$checkout"
git -C "$root$checkout" checkout --quiet --detach "$commit"

mount -t proc proc "$root/proc"
mount -t sysfs sysfs "$root/sys"
# A /dev of its own rather than this machine's: only the devices programs
# expect, and none of this machine's disks.
mount -t tmpfs -o mode=755,nosuid dev "$root/dev"
for node in null zero full random urandom tty fuse; do
  touch "$root/dev/$node"
  mount --bind "/dev/$node" "$root/dev/$node"
done
mkdir "$root/dev/pts" "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$root/dev/pts"
ln -s pts/ptmx "$root/dev/ptmx"
mount -t tmpfs -o mode=1777,nosuid,nodev shm "$root/dev/shm"
ln -s /proc/self/fd "$root/dev/fd"
ln -s /proc/self/fd/0 "$root/dev/stdin"
ln -s /proc/self/fd/1 "$root/dev/stdout"
ln -s /proc/self/fd/2 "$root/dev/stderr"

# A root login's environment on a fresh machine, in the UTF-8 locale that
# Debian's C library has built in (the one this machine and CI use), with
# the default signal handling that starting in the background took away.
chroot "$root" /usr/bin/env -i --default-signal --chdir="$checkout" \
  HOME=/root LANG=C.UTF-8 TERM=dumb PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  "$@"
