#!/usr/bin/env bash
# Runs a command on a private weston, nested in the X server that $DISPLAY names (see
# ../x11/with_x_server.sh), and ends with the command's status once weston is gone.
# Weston's own X window turns the X server's input, as xdotool makes it, into Wayland
# input. The command gets WAYLAND_DISPLAY and XDG_RUNTIME_DIR of that weston, its pid in
# WESTON_PID, and DISPLAY stays set for xdotool and screenshots of the X server.
set -u
runtime_dir=$(mktemp -d)   # mode 0700, as Wayland clients require
log=$(mktemp)
socket=quellary-test
XDG_RUNTIME_DIR=$runtime_dir weston --backend=x11-backend.so --use-pixman --width=1024 --height=768 \
  --socket=$socket --idle-time=0 --debug >"$log" 2>&1 &
server=$!
export XDG_RUNTIME_DIR=$runtime_dir WAYLAND_DISPLAY=$socket WESTON_PID=$server

# Ready once its shell has put up the panel: windows then open where they always will.
ready=no
for _ in $(seq 400); do   # up to 20 s on a busy machine
  kill -0 "$server" 2>/dev/null || break
  if [ -S "$runtime_dir/$socket" ] && weston-debug scene-graph 2>/dev/null | grep -q 'panel for output'; then
    ready=yes; break
  fi
  sleep 0.05
done
if [ "$ready" != yes ]; then
  echo "weston did not start: $(tail -n 3 "$log")"
  kill "$server" 2>/dev/null; wait "$server" 2>/dev/null
  rm -rf "$runtime_dir" "$log"
  exit 1
fi
# Weston follows the X pointer only once it has seen it enter its window, and Xvfb starts
# with the pointer already inside: bring it in from outside, to a corner no window uses.
xdotool mousemove 1100 900 sleep 0.1 mousemove 1000 740 sleep 0.1
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
rm -rf "$runtime_dir" "$log"
exit "$status"
