#!/usr/bin/env bash
# Runs a command on a private X server (Xvfb, 1280 x 1024) and ends with its status once
# the server is gone. The server picks a free display itself, and waiting for it to end
# keeps the next test's server from meeting the sockets of one still shutting down.
set -u
fifo=$(mktemp -u)
log=$(mktemp)
mkfifo "$fifo"
Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x1024x24 3>"$fifo" 2>"$log" &
server=$!
read -r number <"$fifo"   # Xvfb writes the display number once it takes clients
rm -f "$fifo"
if [ -z "${number:-}" ]; then
  echo "Xvfb did not start: $(tail -n 1 "$log")"
  rm -f "$log"
  exit 1
fi
DISPLAY=:$number "$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -f "$log"
exit "$status"
