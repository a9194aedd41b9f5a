# Shared by the tests of how the built program ends when its surroundings fail it: each
# run must end with status 1 and exactly one line of the program's own on stderr, and
# leave no core. Source it; it defines functions only.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A private folder for cores and scratch files. The kernel writes a core into the crashed
# program's working folder unless core_pattern pipes it to a collector (or names an
# absolute path): then only the exit status can tell, and a signal status is caught anyway.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/cores" "$work/runtime"
chmod 700 "$work/runtime"
case $(cat /proc/sys/kernel/core_pattern) in
  '|'* | /*) cores_seen=false ;;
  *) cores_seen=true ;;
esac
# A desktop session always has one; without it Qt adds a warning of its own to every run.
export XDG_RUNTIME_DIR=$work/runtime
# Fontconfig rewrites a font folder's cache when it thinks it stale; a run starved of memory
# or descriptors could leave an empty one behind, for every later program on the machine.
# Its caches go to a private folder first.
cat >"$work/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <cachedir>$work/fontconfig</cachedir>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
</fontconfig>
EOF
export FONTCONFIG_FILE=$work/fonts.conf

# set_limits -v 90000 -s 1000000 ...: sets each shell limit in turn.
set_limits() {
  while [ $# -ge 2 ]; do ulimit "$1" "$2" || return 1; shift 2; done
}

# expect_line WHAT LINE COMMAND...: runs COMMAND (the program, perhaps wrapped in env) with
# cores enabled, in the private folder, for at most $LIMIT seconds (10), and checks the
# status, the one line and that no core was written. Shell limits go in $ULIMITS ("-v 90000 -s 1000000").
expect_line() {
  local what=$1 line=$2; shift 2
  local err="$work/err" status
  rm -f "$work"/cores/core*
  ( cd "$work/cores" && ulimit -c unlimited && set_limits ${ULIMITS:-} \
      && exec timeout -k 2 "${LIMIT:-10}" "$@" ) </dev/null >/dev/null 2>"$err"
  status=$?
  [ "$status" = 124 ] || [ "$status" = 137 ] && { fail "$what: still running after ${LIMIT:-10} s"; return; }
  [ "$status" = 1 ] || fail "$what: status $status, expected 1"
  if [ "$(wc -l <"$err")" != 1 ] || [ "$(cat "$err")" != "$line" ]; then
    fail "$what: stderr was not the one line"; echo "  expected: $line"; sed 's/^/  got:      /' "$err"
  fi
  if $cores_seen && compgen -G "$work/cores/core*" >/dev/null; then fail "$what: a core was written"; fi
  echo "$what: status $status: $(head -n 1 "$err")"
}

# The lines the program says.
product=Quellary
no_display_line="$product needs a graphical display: start it from an X11 or Wayland desktop session (DISPLAY or WAYLAND_DISPLAY must name a running display)."
lost_display_line="$product lost its graphical display (the display server closed the connection); start $product again on a running display."
platform_line() { echo "$product cannot start on the platform \"$1\" named in QT_QPA_PLATFORM: it is not available here; unset QT_QPA_PLATFORM, or set it to xcb (X11) or wayland."; }
memory_line() { echo "$product does not have enough memory (ulimit -v $1); raise the memory limit or close other programs, then start $product again."; }
descriptors_line() { echo "$product may open too few files: it needs 16 free file descriptors and the limit (ulimit -n $1) leaves $2; raise the limit, then start $product again."; }
scale_line() { echo "$product cannot draw its window at QT_SCALE_FACTOR=$1: $2; unset QT_SCALE_FACTOR, or set it to a factor of 1 or more at which the window fits the screen."; }
refused_line() { echo "$product may not use the X display $1: the X server refused the connection ($2); start $product as the user of that desktop session, or set XAUTHORITY to its authority file."; }
plugin_line() { echo "$product cannot load Qt's $1 support: $2: $3; install the package that provides $2 and start $product again."; }
no_wayland_line() { echo "$product cannot use the Wayland display $1: Qt's Wayland support is not installed, and there is no X display; install the Debian package qt6-wayland, or start $product on an X display."; }

# Starts a private Xvfb and sets $server (its pid) and $number (its display number). Extra
# arguments go to Xvfb. -noreset: a server that resets when its last client leaves drops
# a client that is just connecting, and the tests' own probes come and go.
start_x_server() {
  local fifo
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 5 -nolisten tcp -noreset -screen 0 1024x768x24 "$@" 5>"$fifo" 2>/dev/null &
  server=$!
  read -r number <"$fifo"; rm -f "$fifo"
}
stop_x_server() { kill "$server" 2>/dev/null; wait "$server" 2>/dev/null; }

finish() {
  [ "$failures" -eq 0 ] && echo "all cases passed"
  exit $((failures > 0))
}
