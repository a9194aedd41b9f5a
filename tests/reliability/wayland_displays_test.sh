#!/usr/bin/env bash
# The built program and the Wayland displays the environment may name, on weston (headless):
# one that is not there (one line, status 1), a stale one beside a working X display (runs
# quietly on X11), a running one while Qt's Wayland plugin is missing (the line names it),
# and the ways other than WAYLAND_DISPLAY of reaching a running one: a connection handed
# over in WAYLAND_SOCKET and the default socket wayland-0 (both run); and the compositor
# gone while the program runs (one line, status 1).
# Run on an X server (with_x_server.sh), for the stale-display case.
set -u
program=$1
. "$(dirname "$0")/one_line.sh"
x_display=$DISPLAY
unset DISPLAY WAYLAND_DISPLAY WAYLAND_SOCKET QT_QPA_PLATFORM

# A weston of our own on socket $1, in our runtime folder; its pid in $weston.
start_weston() {
  weston --backend=headless-backend.so --socket="$1" --idle-time=0 --debug \
    >"$work/weston.log" 2>&1 &
  weston=$!
  for _ in $(seq 100); do
    [ -S "$XDG_RUNTIME_DIR/$1" ] && return 0
    sleep 0.1
  done
  fail "weston did not start:"; cat "$work/weston.log"
  return 1
}
stop_weston() { kill "$weston" 2>/dev/null; wait "$weston" 2>/dev/null; }

# Waits up to 10 s for weston on socket $1 to show a top-level window of the process $2.
shows_window() {
  for _ in $(seq 100); do
    WAYLAND_DISPLAY=$1 weston-debug scene-graph 2>/dev/null \
      | grep -q "PID $2, .*top-level window 'Quellary'" && return 0
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

# Runs COMMAND in the background and checks that it shows its window on weston's socket $2
# and says nothing.
runs_quietly() {
  local what=$1 socket=$2 pid; shift 2
  "$@" </dev/null >/dev/null 2>"$work/err" &
  pid=$!
  if shows_window "$socket" "$pid"; then
    echo "$what: shows its window"
  else
    fail "$what: showed no window"
  fi
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  [ -s "$work/err" ] && { fail "$what: it said:"; cat "$work/err"; }
}

# --- a display that is not there ---------------------------------------------------------
expect_line "WAYLAND_DISPLAY not running, no X display" "$no_display_line" \
  env WAYLAND_DISPLAY=quellary-gone "$program"
expect_line "WAYLAND_DISPLAY not running, QT_QPA_PLATFORM=wayland" "$no_display_line" \
  env WAYLAND_DISPLAY=quellary-gone QT_QPA_PLATFORM=wayland "$program"

# --- a stale WAYLAND_DISPLAY beside a working X display ----------------------------------
pid=
( DISPLAY=$x_display WAYLAND_DISPLAY=quellary-gone exec "$program" ) </dev/null >/dev/null 2>"$work/err" &
pid=$!
for _ in $(seq 100); do
  DISPLAY=$x_display xdotool search --all --onlyvisible --pid "$pid" --name '^Quellary$' >/dev/null 2>&1 && break
  sleep 0.1
done
DISPLAY=$x_display xdotool search --all --onlyvisible --pid "$pid" --name '^Quellary$' >/dev/null 2>&1 \
  || fail "stale WAYLAND_DISPLAY: no window on the X display"
kill "$pid"; wait "$pid" 2>/dev/null
[ -s "$work/err" ] && { fail "stale WAYLAND_DISPLAY: it said:"; cat "$work/err"; }
echo "stale WAYLAND_DISPLAY beside an X display: runs on X11, says nothing"

# --- a running compositor ----------------------------------------------------------------
start_weston quellary-test || finish

# Qt's Wayland plugin missing: a copy of the program whose Qt finds only the X11 plugin.
mkdir -p "$work/app/plugins/platforms"
cp "$program" "$work/app/"
ln -s "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqxcb.so" "$work/app/plugins/platforms/"
printf '[Paths]\nPlugins = plugins\n' >"$work/app/qt.conf"
expect_line "Wayland plugin missing" "$(no_wayland_line quellary-test)" \
  env WAYLAND_DISPLAY=quellary-test "$work/app/quellary"

expect_line "Wayland plugin missing, QT_QPA_PLATFORM=wayland beside an X display" \
  "$product cannot use the Wayland display quellary-test: Qt's Wayland support is not installed, and QT_QPA_PLATFORM asks for nothing else; install the Debian package qt6-wayland, or start $product on an X display." \
  env WAYLAND_DISPLAY=quellary-test QT_QPA_PLATFORM=wayland DISPLAY="$x_display" "$work/app/quellary"

runs_quietly "WAYLAND_DISPLAY" quellary-test env WAYLAND_DISPLAY=quellary-test QT_QPA_PLATFORM=wayland "$program"

# A connection made by whoever starts the program, handed over in WAYLAND_SOCKET. Qt looks
# for Wayland by itself only where WAYLAND_DISPLAY is set; here it is asked for.
runs_quietly "WAYLAND_SOCKET" quellary-test env QT_QPA_PLATFORM=wayland python3 -c '
import os, socket, sys
connection = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
connection.connect(os.path.join(os.environ["XDG_RUNTIME_DIR"], "quellary-test"))
os.set_inheritable(connection.fileno(), True)
os.environ["WAYLAND_SOCKET"] = str(connection.fileno())
os.execv(sys.argv[1], sys.argv[1:])' "$program"
stop_weston

# Nothing named: libwayland's default socket.
start_weston wayland-0 || finish
runs_quietly "the default socket wayland-0" wayland-0 env QT_QPA_PLATFORM=wayland "$program"
stop_weston

# The compositor gone while the program runs: one line, status 1.
start_weston quellary-test || finish
( cd "$work/cores" && ulimit -c unlimited && WAYLAND_DISPLAY=quellary-test exec "$program" ) \
  </dev/null >/dev/null 2>"$work/err" &
pid=$!
shows_window quellary-test "$pid" || fail "compositor gone: no window first"
stop_weston
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  kill -KILL "$pid"; wait "$pid" 2>/dev/null; fail "compositor gone: still running after 5 s"
else
  wait "$pid"; status=$?
  [ "$status" = 1 ] || fail "compositor gone: status $status, expected 1"
  [ "$(cat "$work/err")" = "$lost_display_line" ] || { fail "compositor gone: not the one line:"; cat "$work/err"; }
  if $cores_seen && compgen -G "$work/cores/core*" >/dev/null; then fail "compositor gone: a core was written"; fi
  echo "compositor gone while it runs: status $status: $(cat "$work/err")"
fi

finish
