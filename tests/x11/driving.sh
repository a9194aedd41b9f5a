# Shared by the tests that drive the real program on an X server: finding its windows,
# typing into them and reading the screen. Source it; it defines functions only.
export QT_QPA_PLATFORM=xcb
. "$(dirname "${BASH_SOURCE[0]}")/../support/screen.sh"

# The visible top-level windows called Quellary of the program last started ($pid).
visible_windows() { xdotool search --all --onlyvisible --pid "$pid" --name '^Quellary$' 2>/dev/null; }
geometry() { xdotool getwindowgeometry --shell "$1"; }

# Waits up to $WAIT_SECONDS (30) for a visible Quellary window whose geometry ($X $Y $WIDTH
# $HEIGHT) passes the test in $1, and prints its id.
wait_for_window() {
  local test=$1 id
  for _ in $(seq $(( ${WAIT_SECONDS:-30} * 20 ))); do
    for id in $(visible_windows); do
      eval "$(geometry "$id")"
      if eval "$test"; then echo "$id"; return 0; fi
    done
    sleep 0.05
  done
  return 1
}

# Types keys into a window, as a user at the keyboard would.
press() {
  local id=$1; shift
  xdotool windowactivate --sync "$id" 2>/dev/null || xdotool windowfocus --sync "$id" 2>/dev/null
  xdotool key --delay 50 "$@"
}

# The form's controls in the main window $1, whose menu bar is $menu pixels high.
find_controls() {
  local X Y WIDTH HEIGHT SCREEN WINDOW
  eval "$(geometry "$1")"
  place_form "$X" $((Y + menu)) "$WIDTH" $((HEIGHT - menu))
}

# Starts a program in the background: its pid in $pid, its stderr in the file $err.
err=$(mktemp)
start() {
  "$@" 2>"$err" &
  pid=$!
}

# Dismisses the welcome box with Return and prints the main window's id (545 pixels wide).
# A slow program may map the box before it takes keys, so the key is pressed again if need be.
past_welcome() {
  local box
  box=$(wait_for_window '[ "$WIDTH" -ne 545 ]') || return 1
  for _ in 1 2 3; do
    press "$box" Return
    WAIT_SECONDS=3 wait_for_window '[ "$WIDTH" -eq 545 ]' && return 0
  done
  return 1
}

# Waits up to $1 seconds for $pid to end and sets $status to its exit status, or to
# "running" (and kills it).
ended_within() {
  for _ in $(seq $(( $1 * 10 ))); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"; wait "$pid" 2>/dev/null; status=running; return
  fi
  wait "$pid"
  status=$?
}

# Starts openbox on the display and waits until it manages windows.
start_openbox() {
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || fail "openbox did not start"
}
