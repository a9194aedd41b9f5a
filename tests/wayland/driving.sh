# Shared by the tests that drive the real program as a native Wayland client of a private
# weston (with_weston.sh): finding its windows, clicking and typing into them, reading and
# photographing the screen. Source it; it defines functions only.
. "$(dirname "${BASH_SOURCE[0]}")/../support/screen.sh"

# Weston's title bar around Qt's windows is drawn by Qt: 30 pixels above, 3 at the sides.
frame_top=30
frame_side=3

# Starts the program as a desktop session would start it: natively on Wayland, with no X
# display to fall back to. Its pid goes to $pid, its stderr to the file $err.
err=$(mktemp)
start() {
  env -u DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland "$@" 2>"$err" &
  pid=$!
}

# The top-level windows of $pid, one "left top right bottom title" line each (screen
# pixels, title bar included), as weston's scene graph lists them.
toplevels() {
  weston-debug scene-graph 2>/dev/null | awk -v pid="$pid" '
    /View [0-9]+ \(role xdg_toplevel, PID / {
      mine = ($0 ~ ("PID " pid ","))
      title = $0; sub(/.*top-level window \047/, "", title); sub(/\047 of .*/, "", title)
      next
    }
    mine && /position:/ { gsub(/[(),]/, " "); print $2, $3, $5, $6, title; mine = 0 }'
}
window_count() { toplevels | wc -l; }

# Waits up to $WAIT_SECONDS (30) for a window of $pid whose geometry ($X $Y $WIDTH $HEIGHT)
# and title ($TITLE) pass the test in $1, and sets those five to that window's.
wait_for_window() {
  local test=$1 left top right bottom title
  for _ in $(seq $(( ${WAIT_SECONDS:-30} * 20 ))); do
    while read -r left top right bottom title; do
      X=$left Y=$top WIDTH=$((right - left)) HEIGHT=$((bottom - top)) TITLE=$title
      eval "$test" && return 0
    done < <(toplevels)
    sleep 0.05
  done
  return 1
}

# The main window at the stock font: the form's 545 x 355 pixels, a menu bar and Qt's frame.
is_main='[ "$WIDTH" -eq 551 ]'

# The form's controls in the window at $X $Y $WIDTH $HEIGHT whose menu bar is $menu pixels
# high; Qt's title bar and frame around it.
find_controls() {
  place_form $((X + frame_side)) $((Y + frame_top + menu)) $((WIDTH - 2 * frame_side)) \
    $((HEIGHT - frame_top - frame_side - menu))
}
centre() { echo "$1" | awk -F'[x+]' '{ print $3 + int($1 / 2), $4 + int($2 / 2) }'; }

# Clicks at a point of the screen. The pointer comes from one side first, so that the
# window under it sees it enter and move, as a hand would make it.
click_at() {
  xdotool mousemove $(($1 - 4)) $(($2 - 4)) sleep 0.05 mousemove "$1" "$2" sleep 0.05 click 1
}

# Keys to the window that has weston's focus.
keys() { xdotool key --delay 50 "$@"; }

# The maximise button of Qt's title bar on the window at $X $Y $WIDTH.
press_maximise() { click_at $((X + WIDTH - 40)) $((Y + 15)); }

# A screenshot of weston's screen, taken by weston itself, to $SHOTS/$1.png.
shoot() {
  local dir
  dir=$(mktemp -d)
  (cd "$dir" && weston-screenshooter >/dev/null 2>&1) && mv "$dir"/*.png "$SHOTS/$1.png"
  rm -rf "$dir"
}

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Waits up to $1 ms for $pid to end. Sets $status to its exit status, or to "running" (and
# kills it) if it has not ended by then, and $took to the ms it waited.
ended_within_ms() {
  local began deadline
  began=$(now_ms)
  deadline=$((began + $1))
  while kill -0 "$pid" 2>/dev/null && [ "$(now_ms)" -lt "$deadline" ]; do sleep 0.01; done
  took=$(( $(now_ms) - began ))
  if kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid"
    wait "$pid" 2>/dev/null
    status=running
    return
  fi
  wait "$pid"
  status=$?
}
