# Shared by the tests that drive the real program on an X server: finding its windows,
# typing into them and reading the screen. Source it; it defines functions only.
export QT_QPA_PLATFORM=xcb
. "$(dirname "${BASH_SOURCE[0]}")/../support/screen.sh"

# The visible top-level windows called Quellary of the program last started ($pid).
visible_windows() { xdotool search --all --onlyvisible --pid "$pid" --name '^Quellary$' 2>/dev/null; }
geometry() { xdotool getwindowgeometry --shell "$1"; }

# Prints the id of a visible Quellary window whose geometry ($X $Y $WIDTH $HEIGHT) passes the
# test in $1, if there is one.
window_where() {
  local id
  for id in $(visible_windows); do
    eval "$(geometry "$id")"
    if eval "$1"; then echo "$id"; return 0; fi
  done
  return 1
}
# Waits up to $WAIT_SECONDS (30) for such a window, and prints its id.
wait_for_window() { local test=$1; wait_until 'window_where "$test"'; }

# Types keys into a window, as a user at the keyboard would.
activate() { xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1" 2>/dev/null; }
press() {
  local id=$1; shift
  activate "$id"
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

# Starts openbox on the display and waits until it manages windows.
start_openbox() {
  openbox --sm-disable >/dev/null 2>&1 &
  wm=$!
  wait_until 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' || fail "openbox did not start"
}
