# Shared by the tests that drive the real program on an X server: finding its windows,
# typing into them and reading the screen. Source it; it defines functions only.
export QT_QPA_PLATFORM=xcb
. "$(dirname "${BASH_SOURCE[0]}")/../support/screen.sh"

# The visible top-level windows called Quellary of the program last started ($pid), one
# id a line. Windows of one that has just ended, which the server may not have destroyed
# yet, are never taken for its.
visible_windows() { xdotool search --all --onlyvisible --pid "$pid" --name '^Quellary$' 2>/dev/null; }
geometry() { xdotool getwindowgeometry --shell "$1"; }

# Waits up to $WAIT_SECONDS (5) for a visible Quellary window whose geometry ($X $Y
# $WIDTH $HEIGHT) passes the test in $1, and prints its id.
wait_for_window() {
  local test=$1 id
  for _ in $(seq $(( ${WAIT_SECONDS:-5} * 20 ))); do
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
  xdotool windowfocus --sync "$id" 2>/dev/null
  xdotool key --delay 50 "$@"
}

# Sets $calculate, $again and $message to the screen rectangles of "Calculate my thoughts",
# "One more time please" and the message line of the main window $1 at the stock font.
find_controls() {
  local X Y WIDTH HEIGHT SCREEN WINDOW menu
  eval "$(geometry "$1")"
  menu=$((HEIGHT - 355))
  calculate="141x41+$((X + 20))+$((Y + menu + 230))"
  again="161x31+$((X + 10))+$((Y + menu + 290))"
  message="261x31+$((X + 170))+$((Y + menu + 240))"
}

# Starts a program in the background: its pid in $pid, its stderr in the file $err.
err=$(mktemp)
start() {
  "$@" 2>"$err" &
  pid=$!
}

# Dismisses the welcome box with key $1 (Return) and prints the main window's id; $2 tells
# the main window by its geometry (545 pixels wide) and any other window is the box. A
# slow program may map the box before it takes keys, so the key is pressed again if need be.
past_welcome() {
  local key=${1:-Return} main=${2:-'[ "$WIDTH" -eq 545 ]'} box again
  box=$(wait_for_window "! { $main; }") || return 1
  for _ in 1 2 3; do
    press "$box" "$key"
    WAIT_SECONDS=$(( ${WAIT_SECONDS:-5} / 2 + 1 )) wait_for_window "$main" && return 0
    again=$(WAIT_SECONDS=1 wait_for_window "! { $main; }") && box=$again
  done
  wait_for_window "$main"
}

# All visible windows of the program, its menus' included.
all_windows() { xdotool search --all --onlyvisible --pid "$pid" '' 2>/dev/null | wc -l; }

# Opens Help, About over the main window $1 and prints the box's id. The menu may take a
# moment to open on a busy machine: it tries again if no box came.
open_about() {
  local X Y WIDTH HEIGHT SCREEN WINDOW before
  eval "$(geometry "$1")"
  for _ in 1 2 3; do
    before=$(all_windows)
    xdotool mousemove $((X + 20)) $((Y + 8)) click 1   # Help
    wait_until '[ "$(all_windows)" -gt "$before" ]' || continue   # the menu is open
    xdotool key --delay 100 Down Return               # About
    WAIT_SECONDS=$(( ${WAIT_SECONDS:-5} / 2 + 1 )) wait_for_window '[ "$WIDTH" -ne 545 ]' && return 0
  done
  return 1
}

# Waits up to $1 seconds for $pid to end and sets $status to its exit status, or to
# "running" (and kills it) if it has not ended by then.
ended_within() {
  local tenths=$(( $1 * 10 ))
  for _ in $(seq "$tenths"); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    status=running
    return
  fi
  wait "$pid"
  status=$?
}
