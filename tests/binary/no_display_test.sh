#!/usr/bin/env bash
# Without a usable display the program says so in one line and ends with status 1:
# no abort, no core dump, no list of Qt's platform plugins.
set -u
program=$1
expected="Quellary needs a graphical display: start it from an X11 or Wayland desktop session (DISPLAY or WAYLAND_DISPLAY must name a running display)."
failures=0

check() {
  local what=$1; shift
  local err status
  err=$(mktemp)
  env -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY "$@" "$program" 2>"$err" >/dev/null </dev/null
  status=$?
  if [ "$status" -ne 1 ]; then
    echo "FAIL $what: exit status $status, expected 1"; failures=$((failures + 1))
  fi
  if [ "$(wc -l <"$err")" -ne 1 ] || [ "$(cat "$err")" != "$expected" ]; then
    echo "FAIL $what: stderr was:"; cat "$err"; failures=$((failures + 1))
  fi
  rm -f "$err"
}

check "no DISPLAY" env -u DISPLAY
# A display that is named but not there: a socket in a folder of the test's own, left
# empty, so no X server can be listening there however many are running.
nowhere=$(mktemp -d)
trap 'rmdir "$nowhere"' EXIT
check "unreachable display" env DISPLAY="$nowhere/X0:0"

[ "$failures" -eq 0 ] && echo "no-display checks passed"
exit $((failures > 0))
