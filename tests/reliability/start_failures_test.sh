#!/usr/bin/env bash
# The built program started where it cannot run: short of memory or descriptors, on a
# platform that is not there, with an X plugin library missing, on an X server that
# refuses it, at a scale no screen can show. Each ends at once with status 1 and one line
# that names the cause. Run on an X server (with_x_server.sh), which the working cases use.
set -u
program=$1
. "$(dirname "$0")/one_line.sh"
export QT_QPA_PLATFORM=xcb

# Runs the program with the shell limits $2 until its welcome box is shown (status 0) or it
# ends, when it must have ended with the one line $3 (status 1).
comes_up_or_says() {
  local what=$1 limits=$2 line=$3 pid status
  rm -f "$work"/cores/core*
  ( cd "$work/cores" && ulimit -c unlimited && ulimit $limits && exec "$program" ) </dev/null >/dev/null 2>"$work/err" &
  pid=$!
  for _ in $(seq 100); do
    if xdotool search --all --onlyvisible --pid "$pid" --name '^Quellary$' >/dev/null 2>&1; then
      kill "$pid"; wait "$pid" 2>/dev/null
      [ -s "$work/err" ] && { fail "$what: it came up, but said:"; cat "$work/err"; }
      echo "$what: comes up"
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"; wait "$pid" 2>/dev/null
    fail "$what: neither came up nor ended within 10 s"
    return 1
  fi
  wait "$pid"; status=$?
  [ "$status" = 1 ] || fail "$what: status $status, expected 1"
  if [ "$(wc -l <"$work/err")" != 1 ] || [ "$(cat "$work/err")" != "$line" ]; then
    fail "$what: stderr was not the one line"; echo "  expected: $line"; sed 's/^/  got:      /' "$work/err"
  fi
  if $cores_seen && compgen -G "$work/cores/core*" >/dev/null; then fail "$what: a core was written"; fi
  echo "$what: status $status: $(head -n 1 "$work/err")"
  return 1
}

if [ -z "${SANITIZED:-}" ]; then
# --- memory ------------------------------------------------------------------------------
# Every 10 MB from 80000 (the levels where Qt once failed to map a library, 90000, waited for
# a thread for good, 100000, and aborted, 110000, among them) to where it comes up. Below
# about 75000 the dynamic loader cannot map Qt before the program begins: that is the
# loader's line, not the program's.
came_up=false
for level in $(seq 80000 10000 400000); do
  comes_up_or_says "ulimit -v $level" "-v $level" "$(memory_line "$level")" && { came_up=true; break; }
done
$came_up || fail "it never came up, even with 400 MB"

# --- threads -----------------------------------------------------------------------------
# Each thread's stack is as large as the stack limit: 1 GB of them does not fit in 400 MB.
ULIMITS="-v 400000 -s 1000000" expect_line "no thread to be had" \
  "$product cannot start a thread (Resource temporarily unavailable): raise the memory limit (ulimit -v) or the process limit (ulimit -u), then start $product again." \
  "$program"

fi

# --- descriptors -------------------------------------------------------------------------
for limit in 8 9; do
  # Descriptors already open below the limit (ls's own look at the folder is not the
  # program's); those at or above it take no room under it.
  open=$( (ulimit -n "$limit"; exec ls /proc/self/fd) </dev/null 2>/dev/null | awk -v limit="$limit" '$1 < limit' | wc -l)
  left=$((limit - (open - 1)))
  ULIMITS="-n $limit" expect_line "ulimit -n $limit" "$(descriptors_line "$limit" "$left")" "$program"
done

# --- platforms that are not there --------------------------------------------------------
for platform in nonsense eglfs wayland-egl linuxfb; do
  expect_line "QT_QPA_PLATFORM=$platform" "$(platform_line "$platform")" env QT_QPA_PLATFORM="$platform" "$program"
done

# --- an X plugin library that is missing -------------------------------------------------
# A copy of Qt's X11 library that needs a library no system has, found first on the path.
xcb_library=$(ldd "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqxcb.so" | awk '/libQt6XcbQpa.so.6 / { print $3; exit }')
mkdir -p "$work/lib"
python3 - "$xcb_library" "$work/lib/libQt6XcbQpa.so.6" <<'EOF'
import sys
data = open(sys.argv[1], 'rb').read()
needed = b'\0libxcb-render-util.so.0\0'
assert needed in data, 'libQt6XcbQpa no longer needs libxcb-render-util'
open(sys.argv[2], 'wb').write(data.replace(needed, b'\0libxcb-render-utiX.so.0\0'))
EOF
expect_line "X plugin library missing" \
  "$(plugin_line X11 libxcb-render-utiX.so.0 "cannot open shared object file: No such file or directory")" \
  env LD_LIBRARY_PATH="$work/lib" "$program"

# --- an X server that refuses the program ------------------------------------------------
# The server takes any cookie in its file, whatever display it is written for.
cookie=$(mcookie)
xauth -q -f "$work/server.auth" add :0 . "$cookie"
start_x_server -auth "$work/server.auth"
xauth -q -f "$work/wrong.auth" add ":$number" . "$(mcookie)"
xauth -q -f "$work/right.auth" add ":$number" . "$cookie"
expect_line "XAUTHORITY without the server's cookie" \
  "$(refused_line ":$number" "Authorization required, but no authorization protocol specified")" \
  env DISPLAY=":$number" XAUTHORITY="$work/none.auth" "$program"
expect_line "XAUTHORITY with a wrong cookie" \
  "$(refused_line ":$number" "Invalid MIT-MAGIC-COOKIE-1 key")" \
  env DISPLAY=":$number" XAUTHORITY="$work/wrong.auth" "$program"
DISPLAY=:$number XAUTHORITY=$work/right.auth comes_up_or_says "XAUTHORITY with the cookie" "-S -c 0" "" \
  || fail "XAUTHORITY with the cookie: did not come up"
stop_x_server

# --- absurd scale factors ----------------------------------------------------------------
small="below 1 the window would be drawn smaller than designed"
large="the window would be larger than the screen"
expect_line "QT_SCALE_FACTOR=0" "$(scale_line 0 "$small")" env QT_SCALE_FACTOR=0 "$program"
expect_line "QT_SCALE_FACTOR=-1" "$(scale_line -1 "$small")" env QT_SCALE_FACTOR=-1 "$program"
expect_line "QT_SCALE_FACTOR=0.5" "$(scale_line 0.5 "$small")" env QT_SCALE_FACTOR=0.5 "$program"
expect_line "QT_SCALE_FACTOR=100" "$(scale_line 100 "$large")" env QT_SCALE_FACTOR=100 "$program"
QT_SCALE_FACTOR=2 comes_up_or_says "QT_SCALE_FACTOR=2" "-S -c 0" "" || fail "QT_SCALE_FACTOR=2: did not come up"

finish
