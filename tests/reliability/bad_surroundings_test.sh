#!/usr/bin/env bash
# The built program among bad surroundings: its X server killed under it, SIGTERM and
# SIGINT in every phase, and an environment with no HOME, no XDG_RUNTIME_DIR and the C
# locale. Run on an X server (with_x_server.sh); the server-killing case starts a server of its own.
set -u
set -m  # background jobs keep SIGINT, as a program started from a terminal does
program=$1
. "$(dirname "$0")/../x11/driving.sh"

core_check() {  # $1: what, $2: status
  [ "$2" = running ] && { fail "$1: still running"; return; }
  # 134 (SIGABRT) or 139 (SIGSEGV) mean an abort or a crash, with a core where enabled.
  case "$2" in 134|139) fail "$1: aborted or crashed (status $2)" ;; esac
}

# --- the X server goes away while the program runs ------------------------------------
for phase in waiting box; do
  fifo=$(mktemp -u); mkfifo "$fifo"
  # -noreset: without it the server resets each time its last client leaves, and drops
  # a client that is connecting meanwhile. Here xdotool's look-ups come and go while the
  # program connects, and a dropped program would end at once, unable to open the display.
  Xvfb -displayfd 5 -nolisten tcp -noreset -screen 0 1024x768x24 5>"$fifo" 2>/dev/null &
  server=$!
  read -r number <"$fifo"; rm -f "$fifo"
  DISPLAY=:$number start "$program"
  if [ "$phase" = waiting ]; then
    DISPLAY=:$number past_welcome >/dev/null || fail "own server: no main window"
  else
    DISPLAY=:$number wait_for_window true >/dev/null || fail "own server: no welcome box"
  fi
  kill "$server"; wait "$server" 2>/dev/null
  ended_within 3
  core_check "server killed ($phase)" "$status"
  [ "$status" != 0 ] || fail "server killed ($phase): ended with status 0"
  grep -qxF "Quellary lost its graphical display (the display server closed the connection); start Quellary again on a running display." "$err" \
    || { fail "server killed ($phase): no clear line"; cat "$err"; }
  echo "X server killed with the $phase: status $status"
done

# --- SIGTERM and SIGINT in every phase, a message box open included -------------------
reach() {
  local main
  case $1 in
    welcome) wait_for_window '[ "$WIDTH" -ne 545 ]' >/dev/null ;;
    waiting) past_welcome >/dev/null ;;
    calculating) main=$(past_welcome) && press "$main" space ;;
    revealed) main=$(past_welcome) && find_controls "$main" && wait_until 'drawn "$calculate"' \
                && press "$main" space && WAIT_SECONDS=30 wait_until revealed ;;
    about) main=$(past_welcome) && open_about "$main" >/dev/null ;;
  esac
}
for signal in TERM INT; do
  for phase in welcome waiting calculating revealed about; do
    start "$program"
    reach "$phase" || fail "could not reach $phase"
    kill -"$signal" "$pid"
    ended_within 1
    expected=$((128 + $(kill -l "$signal")))
    [ "$status" = "$expected" ] || fail "SIG$signal with the $phase: status $status, expected $expected"
  done
  echo "SIG$signal in every phase: status $expected within a second"
done

# --- no HOME, no XDG_RUNTIME_DIR, the C locale -----------------------------------------
# (The X server's authority file is kept: without it no program may use the display.)
start env -i PATH="$PATH" DISPLAY="$DISPLAY" ${XAUTHORITY:+XAUTHORITY="$XAUTHORITY"} QT_QPA_PLATFORM=xcb LC_ALL=C "$program"
main=$(past_welcome) || fail "bare environment: no main window"
press "$main" space Tab space   # Calculate, then Exit
ended_within 2
[ "$status" = 0 ] || fail "bare environment: Exit ended with status $status"
echo "bare environment: started, ran and ended with status $status"

rm -f "$err"
[ "$failures" -eq 0 ] && echo "bad-surroundings checks passed"
exit $((failures > 0))
