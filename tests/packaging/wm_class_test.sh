#!/usr/bin/env bash
# The desktop entry's StartupWMClass must be the class the real windows carry in WM_CLASS,
# or docks and task bars cannot tie the windows to the entry. Run on an X server (with_x_server.sh).
set -u
program=$1
desktop=$2
export QT_QPA_PLATFORM=xcb
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

expected=$(sed -n '/^\[Desktop Entry\]/,/^\[/{s/^StartupWMClass=//p}' "$desktop")
[ -n "$expected" ] || { echo "FAIL: $desktop has no StartupWMClass"; exit 1; }

"$program" 2>/dev/null &
pid=$!
trap 'kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null' EXIT

# Waits for a visible Quellary window other than $1 and prints its id.
wait_for_window() {
  local id
  for _ in $(seq 200); do
    for id in $(xdotool search --onlyvisible --name '^Quellary$' 2>/dev/null); do
      [ "$id" != "$1" ] && { echo "$id"; return 0; }
    done
    sleep 0.05
  done
  return 1
}
# The class, the second of WM_CLASS's two strings.
window_class() {
  xprop -id "$1" WM_CLASS | sed -n 's/^WM_CLASS(STRING) = "[^"]*", "\([^"]*\)"$/\1/p'
}

check_window() {
  local class
  class=$(window_class "$2")
  [ "$class" = "$expected" ] || fail "the $1 has WM_CLASS class '$class', StartupWMClass is '$expected'"
}

box=$(wait_for_window none) || { echo "FAIL: no window appeared"; exit 1; }
check_window "welcome box" "$box"
xdotool windowfocus --sync "$box" 2>/dev/null
xdotool key Return
main=$(wait_for_window "$box") || { echo "FAIL: no main window after the welcome box"; exit 1; }
check_window "main window" "$main"

[ "$failures" -eq 0 ] && echo "WM_CLASS class '$expected' on both windows"
exit $((failures > 0))
