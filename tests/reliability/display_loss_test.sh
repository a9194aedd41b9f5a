#!/usr/bin/env bash
# The built program when its display goes away under it: the X server killed at random
# points of start-up (one line, status 1, no core, every time), a window destroyed by
# another client (the program ends), and a stderr whose reader has gone (it keeps running).
# A crash that is not the display's doing keeps its core, and so does SIGQUIT.
# Run on an X server (with_x_server.sh); the server-killing runs start servers of their own.
set -u
program=$1
runs=${RUNS:-40}
. "$(dirname "$0")/one_line.sh"
. "$(dirname "$0")/../x11/driving.sh"   # QT_QPA_PLATFORM=xcb, windows by pid, keys

# --- the X server killed at random points of start-up ------------------------------------
# Before the program connects it finds no display; once connected, it has lost it. Either
# way one line, and never Xlib's or Qt's words, a crash or a hang.
declare -A said
for run in $(seq "$runs"); do
  start_x_server
  ( cd "$work/cores" && ulimit -c unlimited && DISPLAY=:$number exec "$program" ) </dev/null >/dev/null 2>"$work/err" &
  pid=$!
  # From at once to well after the welcome box is up: 0 to 0.6 s.
  sleep "0.$(printf %03d $((RANDOM % 600)))"
  stop_x_server
  ended_within 5
  [ "$status" = 1 ] || fail "server killed, run $run: status $status"
  line=$(cat "$work/err")
  if [ "$(wc -l <"$work/err")" != 1 ] || { [ "$line" != "$no_display_line" ] && [ "$line" != "$lost_display_line" ]; }; then
    fail "server killed, run $run: not one line of the program's own:"; cat "$work/err"
  fi
  if $cores_seen && compgen -G "$work/cores/core*" >/dev/null; then fail "server killed, run $run: a core was written"; rm -f "$work"/cores/core*; fi
  said[$line]=$(( ${said[$line]:-0} + 1 ))
done
for line in "${!said[@]}"; do echo "server killed: ${said[$line]} of $runs runs: $line"; done

# --- a window destroyed by another client ------------------------------------------------
for window in box main; do
  start "$program"
  if [ "$window" = box ]; then
    id=$(wait_for_window '[ "$WIDTH" -ne 545 ]') || fail "destroyed $window: no welcome box"
  else
    id=$(past_welcome) || fail "destroyed $window: no main window"
  fi
  xdotool windowclose "$id"
  ended_within 3
  [ "$status" = 0 ] || fail "destroyed $window: status $status, expected 0 (as the close box)"
  [ -s "$err" ] && { fail "destroyed $window: it said something:"; cat "$err"; }
  echo "$window destroyed from outside: ended with status $status"
done

# --- a crash, and SIGQUIT, keep their core ----------------------------------------------
# Only a display that is gone excuses a crash; any other is a bug, for crash reporters.
for signal in $([ -z "${SANITIZED:-}" ] && echo SEGV QUIT); do
  rm -f "$work"/cores/core*
  ( cd "$work/cores" && ulimit -c unlimited && exec "$program" ) </dev/null >/dev/null 2>"$err" &
  pid=$!
  wait_for_window true >/dev/null || fail "SIG$signal: no welcome box"
  kill -"$signal" "$pid"
  ended_within 10
  expected=$((128 + $(kill -l "$signal")))
  [ "$status" = "$expected" ] || fail "SIG$signal: status $status, expected $expected"
  if $cores_seen && ! compgen -G "$work/cores/core*" >/dev/null; then fail "SIG$signal: no core written"; fi
  echo "SIG$signal: status $status, core kept"
done

# --- stderr's reader gone ----------------------------------------------------------------
# Qt warns without XDG_RUNTIME_DIR, into a pipe nobody reads any more.
pipe=$(mktemp -u); mkfifo "$pipe"
env -u XDG_RUNTIME_DIR "$program" 2>"$pipe" >/dev/null &
pid=$!
exec 7<"$pipe"; exec 7<&-   # the reader opens the pipe and goes away
rm -f "$pipe"
wait_for_window true >/dev/null || fail "stderr's reader gone: no welcome box"
kill -0 "$pid" 2>/dev/null || { wait "$pid"; fail "stderr's reader gone: ended with status $?"; }
kill "$pid"; wait "$pid" 2>/dev/null
echo "stderr's reader gone: still running with its welcome box up"

rm -f "$err"
finish
