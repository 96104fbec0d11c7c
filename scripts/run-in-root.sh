#!/usr/bin/env bash
# run-in-root.sh [--apt-archives DIR] ROOT COMMAND...: runs COMMAND as root in
# the Debian root ROOT with what a booted machine gives its programs: /proc,
# /sys, and a /dev of its own with the usual devices, /dev/fuse (FUSE file
# systems), pseudo-terminals and /dev/shm. Name lookups use this machine's
# resolv.conf, so apt reaches the mirror. --apt-archives lends DIR to apt as
# its download cache, so repeated runs do not download the same packages
# again; apt still decides on its own what to install.
#
# Everything it mounts must go away with it, however it ends, so it runs only
# as the first process of mount and PID namespaces of its own
# (unshare --mount --pid --fork): when it ends, the kernel ends every process
# left in there and takes down every mount.
set -euo pipefail

fail() {
  echo "run-in-root: $*" >&2
  exit 1
}

apt_archives=
if [ "${1:-}" = --apt-archives ]; then
  apt_archives=${2:?--apt-archives needs a folder}
  shift 2
fi
root=${1:?usage: run-in-root.sh [--apt-archives DIR] ROOT COMMAND...}
shift
[ $# -gt 0 ] || fail "no command to run in $root"
[ $$ -eq 1 ] || fail "not the first process of a PID namespace of its own; run it under unshare --mount --pid --fork"
[ -x "$root/bin/sh" ] || fail "$root is no Debian root"

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

if [ -n "$apt_archives" ]; then
  mount --bind "$apt_archives" "$root/var/cache/apt/archives"
fi
cp -L /etc/resolv.conf "$root/etc/resolv.conf"

chroot "$root" "$@"
