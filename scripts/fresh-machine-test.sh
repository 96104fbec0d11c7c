#!/usr/bin/env bash
# fresh-machine-test.sh: runs the README's `make test` as root on a fresh
# Debian 12, a minimal root (debootstrap's minbase with make and git, and no
# package lists) into which the committed checkout is cloned. A package that
# was installed by hand on this machine cannot hide a missing entry in
# scripts/install-deps.sh there.
#
# The root is built once and kept as a tarball in the cache folder, outside
# the source tree, named by a hash of its recipe: a changed recipe builds a
# new one. Each run unpacks it into memory (scripts/fresh-root.sh), which is
# given back on every way out. The .deb files apt downloads are kept in the
# cache folder too, and lent to the next run's apt. Only HEAD is tested, as
# CI would see it.
set -euo pipefail

say() { echo "fresh-machine-test: $*"; }
fail() {
  say "$*" >&2
  exit 1
}
[ "$(id -u)" -eq 0 ] || fail "needs root (debootstrap, mounts, chroot)"

here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel)
head=$(git -C "$repo" rev-parse HEAD)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/quenlark/fresh-machine
tail_lines=80

# The mirror this machine's apt uses, so the root sees the same packages.
sources=/etc/apt/sources.list.d/debian.sources
mirror=
if [ -f "$sources" ]; then
  mirror=$(sed -n '/^URIs:/{s/^URIs:[[:space:]]*//;s/[[:space:]].*//;p;q}' "$sources")
fi
mirror=${mirror:-http://deb.debian.org/debian}
debootstrap_args=(--variant=minbase "--include=make,git" bookworm)

mkdir -p "$cache/apt-archives"
exec {lock}>"$cache/lock"
if ! flock -n "$lock"; then
  say "waiting for another fresh-machine test to finish"
  flock "$lock"
fi
# Holding the lock, any scratch folder left here is from a run that was
# killed outright. Its mounts died with its namespaces, and
# --one-file-system keeps rm off any mount all the same.
rm -rf --one-file-system "$cache"/run.*

scratch=$(mktemp -d "$cache/run.XXXXXX")
namespace_pid=
cleanup() {
  # Every step runs, whatever the one before it did.
  set +e
  if [ -n "$namespace_pid" ]; then
    kill -KILL "$namespace_pid" 2>/dev/null
    wait "$namespace_pid" 2>/dev/null
  fi
  # Mounts are made only inside the namespaces; should one ever show here,
  # it comes down before anything under it is deleted.
  findmnt -rn -o TARGET | grep -F "$scratch/" | sort -r | xargs -r umount -l
  rm -rf --one-file-system "$scratch"
}
trap cleanup EXIT
interrupted() {
  say "stopped by SIG$1; cleaning up" >&2
  exit "$2"
}
trap 'interrupted INT 130' INT
trap 'interrupted TERM 143' TERM

# run_logged LOG WHAT COMMAND...: runs COMMAND with its output in LOG, in
# mount and PID namespaces of its own, so that every mount made in there
# (debootstrap's, and the fresh root with all of its own) and every process
# left behind ends with it, on every way out, even when this script is killed
# outright. It runs in the background because a signal reaches this script's
# trap only between commands, and `wait` is one. When it fails, shows the
# last lines of LOG and returns its status.
run_logged() {
  local log=$1 what=$2 status=0
  shift 2
  setpriv --pdeathsig KILL -- unshare --mount --propagation private --pid --fork --kill-child=KILL -- \
    "$@" >"$log" 2>&1 </dev/null &
  namespace_pid=$!
  wait "$namespace_pid" || status=$?
  namespace_pid=
  if [ "$status" -ne 0 ]; then
    say "$what failed (exit $status); the last $tail_lines lines of its log, $log:" >&2
    tail -n "$tail_lines" "$log" >&2
  fi
  return "$status"
}

elapsed() { printf '%dm %02ds' $((SECONDS / 60)) $((SECONDS % 60)); }

build_root() {
  local tarball=$1 dir=$scratch/bootstrap
  mkdir "$dir"
  run_logged "$cache/debootstrap.log" debootstrap debootstrap "${debootstrap_args[@]}" "$dir" "$mirror"
  # A fresh machine has no package lists until its first apt-get update.
  find "$dir/var/lib/apt/lists" "$dir/var/cache/apt" -type f -delete
  tar -C "$dir" --numeric-owner -czf "$scratch/root.tar.gz" .
  rm -f "$cache"/root-*.tar.gz
  mv "$scratch/root.tar.gz" "$tarball"
  rm -rf --one-file-system "$dir"
}

recipe=$({
  printf '%s\n' "${debootstrap_args[@]}" "$mirror"
  declare -f build_root
} | sha256sum | cut -c1-16)
tarball=$cache/root-$recipe.tar.gz
if [ ! -f "$tarball" ]; then
  say "building a minimal Debian 12 root into $tarball"
  build_root "$tarball"
fi

if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
  say "testing commit ${head:0:12}; the uncommitted changes in $repo are not part of it"
fi
root=$scratch/root
mkdir "$root"
log=$cache/make-test.log
say "running make test in a fresh Debian 12 root (log: $log)"
if ! run_logged "$log" "make test in the fresh root" \
  bash "$here/fresh-root.sh" "$root" "$tarball" "$cache/apt-archives" "$repo" "$head" make test; then
  failed=$(sed -n '/The following tests FAILED:/,/^Errors while running CTest/p' "$log")
  if [ -n "$failed" ]; then
    say "ctest's failed tests:" >&2
    echo "$failed" >&2
  fi
  fail "make test FAILED on a fresh Debian 12 (commit ${head:0:12}) after $(elapsed)"
fi
say "make test passed on a fresh Debian 12 (commit ${head:0:12}) in $(elapsed)"
