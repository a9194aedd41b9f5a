#!/usr/bin/env bash
# The built program where it cannot start, or loses its display: each run ends with status 1
# and no core, and at start-up with exactly one line of its own. Run on an X server
# (with_x_server.sh), which the working cases use: start_failures_test.sh PROGRAM
set -u
program=$1
. "$(dirname "$0")/driving.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/cores" "$work/runtime"
chmod 700 "$work/runtime"
export XDG_RUNTIME_DIR=$work/runtime
product=Quellary

# ends_with_one_line WHAT PATTERN COMMAND...: the command ends within 10 s, status 1, no
# core in its folder, and its stderr is one line matching PATTERN (grep -E).
ends_with_one_line() {
  local what=$1 pattern=$2; shift 2
  rm -f "$work"/cores/core*
  (cd "$work/cores" && ulimit -c unlimited && exec timeout -s KILL 10 "$@") </dev/null >/dev/null 2>"$work/err"
  local status=$?
  [ "$status" = 1 ] || fail "$what: status $status, expected 1"
  [ "$(wc -l <"$work/err")" = 1 ] && grep -qE "$pattern" "$work/err" || { fail "$what: stderr is not the one line"; cat "$work/err"; }
  compgen -G "$work/cores/core*" >/dev/null && fail "$what: a core was written"
  echo "$what: $(head -c 200 "$work/err")"
}

ends_with_one_line "no display" "^$product needs a graphical display: start it from an X11 or Wayland desktop" \
  env -u DISPLAY -u WAYLAND_DISPLAY "$program"
ends_with_one_line "a display nobody answers on" "^$product needs a graphical display" \
  env DISPLAY=:999 "$program"
for platform in nonsense linuxfb eglfs; do
  ends_with_one_line "QT_QPA_PLATFORM=$platform" "^$product cannot start: .*; run it on an X11 or Wayland desktop" \
    env QT_QPA_PLATFORM=$platform "$program"
done
# In any locale the line gives Qt's reason, never its warning about a locale that is not UTF-8.
for locale in -uLANG LANG=C LANG=C.UTF-8 LANG=en_US.UTF-8; do
  ends_with_one_line "$locale" "^$product cannot start: Could not find the Qt platform plugin \"nonsense\"" \
    env -u LC_ALL -u LC_CTYPE "$locale" QT_QPA_PLATFORM=nonsense "$program"
done
# Without Qt's Wayland support: a copy of the program whose Qt finds only the X11 plugin.
mkdir -p "$work/app/plugins/platforms"
cp "$program" "$work/app/"
ln -s "$(qtpaths6 --query QT_INSTALL_PLUGINS)/platforms/libqxcb.so" "$work/app/plugins/platforms/"
printf '[Paths]\nPlugins = plugins\n' >"$work/app/qt.conf"
ends_with_one_line "QT_QPA_PLATFORM=wayland without qt6-wayland" \
  "^$product cannot start: Could not find the Qt platform plugin \"wayland\".*qt6-wayland" \
  env QT_QPA_PLATFORM=wayland "$work/app/quellary"

# An X server that refuses the program: it takes only the cookie in its own file.
xauth -q -f "$work/server.auth" add :0 . "$(mcookie)"
exec 4> >(cat >"$work/number")
Xvfb -displayfd 4 -auth "$work/server.auth" -nolisten tcp -noreset >/dev/null 2>&1 &
server=$!
wait_until '[ -s "$work/number" ]' || fail "the refusing X server did not start"
refusing=:$(cat "$work/number")
xauth -q -f "$work/wrong.auth" add "$refusing" . "$(mcookie)"
ends_with_one_line "no cookie" "^$product may not use the X display $refusing: the X server refused the connection \(Authorization required" \
  env DISPLAY=$refusing XAUTHORITY="$work/none.auth" "$program"
ends_with_one_line "a wrong cookie" "refused the connection \(Invalid MIT-MAGIC-COOKIE-1 key\); start $product as the user" \
  env DISPLAY=$refusing XAUTHORITY="$work/wrong.auth" "$program"
kill "$server"; wait "$server" 2>/dev/null

# The X server gone while the box is up, and while the window is: status 1, Qt's line, no
# core. At the window, whoever read stderr has gone already: writing there does not end it.
# The server does not reset when its last client leaves: the display check's connection
# and xdotool's come and go, and a reset drops a connection being set up.
for stage in box window; do
  exec 4> >(cat >"$work/number.$stage")
  Xvfb -displayfd 4 -nolisten tcp -noreset >/dev/null 2>&1 &
  server=$!
  wait_until '[ -s "$work/number.$stage" ]' || fail "$stage: the X server did not start"
  export DISPLAY=:$(cat "$work/number.$stage")
  rm -f "$work"/cores/core*
  if [ "$stage" = box ]; then
    (cd "$work/cores" && ulimit -c unlimited && exec "$program") 2>"$err" &
  else
    (cd "$work/cores" && ulimit -c unlimited && exec "$program") 2> >(exit 0) &
  fi
  pid=$!
  if [ "$stage" = window ]; then past_welcome >/dev/null || fail "$stage: no main window"; else wait_for_window true >/dev/null || fail "$stage: no welcome box"; fi
  kill -KILL "$server"; wait "$server" 2>/dev/null
  ended_within_ms 5000
  [ "$status" = 1 ] || fail "display lost at the $stage: status $status"
  [ "$stage" = window ] || grep -q "connection broke" "$err" || { fail "display lost at the $stage: not Qt's line"; cat "$err"; }
  compgen -G "$work/cores/core*" >/dev/null && fail "display lost at the $stage: a core was written"
  echo "display lost at the $stage: status $status"
done

passed "start-up failures passed"
