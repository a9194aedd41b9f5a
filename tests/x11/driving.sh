# Shared by the tests that drive the real program on an X server: finding its windows,
# typing into them and reading the screen. Source it; it defines functions only.
export QT_QPA_PLATFORM=xcb
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# The visible top-level windows called Quellary, one id a line.
visible_windows() { xdotool search --onlyvisible --name '^Quellary$' 2>/dev/null; }
geometry() { xdotool getwindowgeometry --shell "$1"; }

# Waits up to 5 s for a visible Quellary window whose geometry ($X $Y $WIDTH $HEIGHT)
# passes the test in $1, and prints its id.
wait_for_window() {
  local test=$1 id
  for _ in $(seq 100); do
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

# Distinct colours in a rectangle of the screen: 1 means empty background.
colours_in() { import -window root -crop "$1" +repage -format %k info: 2>/dev/null; }

# Starts a program in the background: its pid in $pid, its stderr in the file $err.
err=$(mktemp)
start() {
  "$@" 2>"$err" &
  pid=$!
}

# Dismisses the welcome box with the given key and prints the main window's id.
past_welcome() {
  local box
  box=$(wait_for_window '[ "$WIDTH" -ne 545 ]') || return 1
  press "$box" "${1:-Return}"
  wait_for_window '[ "$WIDTH" -eq 545 ]'
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
