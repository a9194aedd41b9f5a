#!/usr/bin/env bash
# Runs a command on a desktop that a screen reader can work on: a private X server, a D-Bus
# session, the accessibility bus and a window manager that gives windows the focus. Ends
# with the command's status once everything it started is gone.
set -u
here=$(cd "$(dirname "$0")" && pwd)

if [ -z "${QUELLARY_DESKTOP_INSIDE:-}" ]; then
  exec bash "$here/../x11/with_x_server.sh" \
    dbus-run-session -- env QUELLARY_DESKTOP_INSIDE=1 bash "$0" "$@"
fi

. "$here/../support/checks.sh"

started=()
finish() {
  local pid
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${started[@]}"; do wait "$pid" 2>/dev/null; done
}
trap finish EXIT

/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
started+=($!)
a11y_bus() {
  dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress \
    2>/dev/null | grep -q 'unix:'
}
wait_until a11y_bus 10 || { echo "the accessibility bus did not start"; exit 1; }

openbox --sm-disable >/dev/null 2>&1 &
started+=($!)
wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' 10 \
  || { echo "openbox did not start"; exit 1; }

"$@"
status=$?
exit "$status"
