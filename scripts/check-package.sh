#!/usr/bin/env bash
# check-package.sh DEB: unpacks the Debian package into a scratch root with
# dpkg -x and checks it as a user would meet it: the programs answer --help
# and --version without a display, the version is the package's, the desktop
# files and icons are where the desktop looks, and the menu entry's command,
# started from the home folder, keeps BACKUP and ORIGINAL in the data folder.
# First lintian checks it as Debian checks packages: any error or warning
# fails the check.
set -euo pipefail

deb=${1:?usage: check-package.sh DEB}
scratch=$(mktemp -d)
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "check-package: $*" >&2; exit 1; }

# lintian's own note that it runs as root is not about the package.
lintian --fail-on error,warning --info "$deb" 2> >(grep -v 'running with root privileges' >&2) ||
  fail "lintian finds fault with $deb"
echo "check-package: lintian finds no error or warning"

root=$scratch/root
dpkg -x "$deb" "$root"
bin=$root/usr/bin
share=$root/usr/share

echo "check-package: $(dpkg-deb -f "$deb" Package Version Section)"
echo "check-package: Depends: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends names no Qt Widgets library"
dpkg-deb -f "$deb" Recommends | grep -q 'xdg-utils' || fail "Recommends names no xdg-utils, whose xdg-open shows the readme"
for font in fonts-wine fonts-liberation2; do
  dpkg-deb -f "$deb" Depends | grep -q "$font" || fail "Depends names no $font, whose fonts the layouts need"
done

# No display from here on: the options are read before the window system.
unset DISPLAY WAYLAND_DISPLAY
version=$(dpkg-deb -f "$deb" Version)
[ "$("$bin/quenlark" --version)" = "quenlark $version" ] || fail "quenlark --version is not $version"
[ "$("$bin/quenlark-convert" --version)" = "quenlark-convert $version" ] ||
  fail "quenlark-convert --version is not $version"
"$bin/quenlark" --help | grep -q -- '--windows-dir' || fail "quenlark --help lists no --windows-dir"
"$bin/quenlark-convert" --help | grep -q -- '--band' || fail "quenlark-convert --help lists no --band"
[ "$("$bin/quenlark-logo" --version)" = "quenlark-logo $version" ] || fail "quenlark-logo --version is not $version"
"$bin/quenlark-logo" --help | grep -q -- '--image' || fail "quenlark-logo --help lists no --image"

for file in applications/org.quenlark.Quenlark.desktop metainfo/org.quenlark.Quenlark.metainfo.xml \
  doc/quenlark/readme.txt doc/quenlark/copyright doc/quenlark/changelog.gz man/man1/quenlark.1.gz man/man1/quenlark-convert.1.gz \
  man/man1/quenlark-logo.1.gz; do
  [ -f "$share/$file" ] || fail "no /usr/share/$file"
done
for size in 16 32 48 64 128 256; do
  icon=$share/icons/hicolor/${size}x${size}/apps/quenlark.png
  identify -format '%w %h' "$icon" | grep -qx "$size $size" || fail "$icon is not $size x $size"
done
desktop-file-validate "$share/applications/org.quenlark.Quenlark.desktop"
appstreamcli validate --no-net "$share/metainfo/org.quenlark.Quenlark.metainfo.xml" >/dev/null
for page in quenlark quenlark-convert quenlark-logo; do
  [ -z "$(man --warnings -l "$share/man/man1/$page.1.gz" 2>&1 >/dev/null)" ] ||
    fail "$page.1 has warnings"
done

# The menu entry's command as the menu runs it: from the home folder, with the
# program found on the PATH. Offscreen, it opens the demo drive and runs its
# start-up sequence, which makes the drive's ORIGINAL in its own folder under
# the data folder; then it is stopped.
home=$scratch/home
mkdir -p "$home" "$scratch/runtime"
chmod 700 "$scratch/runtime"
exec_line=$(sed -n 's/^Exec=//p' "$share/applications/org.quenlark.Quenlark.desktop")
(
  cd "$home"
  # The Exec line has no quoting or field codes to expand.
  # shellcheck disable=SC2086
  exec env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" PATH="$bin:$PATH" XDG_RUNTIME_DIR="$scratch/runtime" \
    QT_QPA_PLATFORM=offscreen $exec_line
) >"$scratch/program.log" 2>&1 &
program_pid=$!
data=$home/.local/share/quenlark
startup_folder() { find "$data/installations" -mindepth 1 -maxdepth 1 -name 'drive_c-*' -print -quit 2>/dev/null || true; }
for _ in $(seq 100); do
  folder=$(startup_folder)
  [ -n "$folder" ] && [ -d "$folder/ORIGINAL" ] && break
  kill -0 "$program_pid" 2>/dev/null || { cat "$scratch/program.log" >&2; fail "the menu entry's command ended"; }
  sleep 0.1
done
kill "$program_pid"
wait "$program_pid" 2>/dev/null || true
program_pid=
folder=$(startup_folder)
if [ -z "$folder" ] || [ ! -d "$folder/ORIGINAL" ]; then
  fail "no ORIGINAL in the demo drive's folder under $data/installations"
fi
[ -d "$data/drive_c" ] || fail "no demo drive in $data"
if [ -e "$home/ORIGINAL" ] || [ -e "$home/BACKUP" ]; then
  fail "BACKUP or ORIGINAL landed in the home folder"
fi
cmp -s "$folder/readme.txt" "$share/doc/quenlark/readme.txt" ||
  fail "readme.txt in the demo drive's folder is not the installed readme"

echo "check-package: $deb is good"
