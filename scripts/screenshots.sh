#!/usr/bin/env bash
# screenshots.sh PROGRAM OUTDIR: starts Quenlark under Xvfb on a fresh demo
# drive (HOME is a scratch folder), drives it with xdotool like a user and
# writes PNGs of what it shows into OUTDIR: the three tab pages, a message
# box, the viewer and the about box. Each picture is cut to the program's
# windows. `make screenshots` runs it.
set -euo pipefail

program=$(realpath "${1:?usage: screenshots.sh PROGRAM OUTDIR}")
out=$(realpath -m "${2:?usage: screenshots.sh PROGRAM OUTDIR}")

if [ -z "${QUENLARK_SCREENSHOT_DISPLAY:-}" ]; then
  # A screen of our own, so that nothing else is on it and no desktop of the
  # user's changes the look.
  exec xvfb-run -a -s "-screen 0 1024x768x24" \
    env QUENLARK_SCREENSHOT_DISPLAY=1 bash "$0" "$program" "$out"
fi

# A fixed place, so that the paths the program shows, and so the pictures, are
# the same on every run.
scratch=${TMPDIR:-/tmp}/quenlark-screenshots
rm -rf "$scratch"
program_pid=
cleanup() {
  if [ -n "$program_pid" ]; then kill "$program_pid" 2>/dev/null || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "screenshots: $*" >&2; exit 1; }

mkdir -p "$out" "$scratch/home" "$scratch/start" "$scratch/runtime"
chmod 700 "$scratch/runtime"
(
  cd "$scratch/start"
  exec env -u XDG_DATA_HOME HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime" \
    "$program"
) >"$scratch/program.log" 2>&1 &
program_pid=$!

# The program's windows that are on the screen now, one id a line.
windows() { xdotool search --onlyvisible --pid "$program_pid" 2>/dev/null | sort || true; }

# Waits for a window of the program that is not in $1 (a list from windows)
# and prints its id.
wait_for_new_window() {
  local before=$1 now
  for _ in $(seq 100); do
    kill -0 "$program_pid" 2>/dev/null || { cat "$scratch/program.log" >&2; fail "the program ended"; }
    now=$(comm -13 <(printf '%s\n' "$before") <(windows) | grep -v '^$' || true)
    if [ -n "$now" ]; then
      # Let it draw its contents after mapping.
      sleep 0.7
      head -n1 <<<"$now"
      return
    fi
    sleep 0.1
  done
  fail "no new window appeared"
}

wait_for_window_gone() {
  for _ in $(seq 50); do
    windows | grep -qx "$1" || return 0
    sleep 0.1
  done
  fail "window $1 did not close"
}

# The rectangle X Y WIDTH HEIGHT of a window on the screen.
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
    /^ *Width/ {w=$2} /^ *Height/ {h=$2} END {print x, y, w, h}'
}

# shot NAME WINDOW...: the whole screen, cut to the smallest rectangle that
# holds the given windows.
shot() {
  local name=$1 x0=100000 y0=100000 x1=0 y1=0 x y w h
  shift
  for id in "$@"; do
    read -r x y w h < <(geometry "$id")
    ((x < x0)) && x0=$x
    ((y < y0)) && y0=$y
    ((x + w > x1)) && x1=$((x + w))
    ((y + h > y1)) && y1=$((y + h))
  done
  # Without time stamps, so that an unchanged window gives the same file.
  import -window root -crop "$((x1 - x0))x$((y1 - y0))+$x0+$y0" +repage \
    -define png:exclude-chunks=date,time "$out/$name.png"
  echo "screenshots: $out/$name.png"
}

# click WINDOW X Y: a left click at X Y in the window.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.5
}

main=$(wait_for_new_window "")
xdotool windowfocus --sync "$main"
# The tab headers and the controls of a page, where the main window puts them.
tab_start_up=(90 37) tab_wait=(270 37) tab_shut_down=(449 37)
restore_button=(56 171) thumbnail=(392 180)

shot 1-start-up "$main"
click "$main" "${tab_wait[@]}"
shot 2-wait "$main"
click "$main" "${tab_shut_down[@]}"
shot 3-shut-down "$main"

# Restore on a fresh drive: there is no backup yet, which a box says.
click "$main" "${tab_start_up[@]}"
before=$(windows)
click "$main" "${restore_button[@]}"
box=$(wait_for_new_window "$before")
shot 4-message-box "$main" "$box"
xdotool windowfocus --sync "$box" key Return
wait_for_window_gone "$box"

# The viewer: the logo at its real size, opened from the thumbnail.
before=$(windows)
click "$main" "${thumbnail[@]}"
viewer=$(wait_for_new_window "$before")
shot 5-viewer "$viewer"
click "$viewer" 100 100
wait_for_window_gone "$viewer"

# The about box, from its shortcut.
before=$(windows)
xdotool windowfocus --sync "$main" key ctrl+a
about=$(wait_for_new_window "$before")
shot 6-about "$about"
