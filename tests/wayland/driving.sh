# Shared by the tests that drive the real program as a native Wayland client of a private
# weston (with_weston.sh): finding its windows, clicking and typing into them, reading and
# photographing the screen. Source it; it defines functions only.
. "$(dirname "${BASH_SOURCE[0]}")/../support/screen.sh"

# Starts the program as a desktop session would start it: natively on Wayland, with no X
# display to fall back to. Its pid goes to $pid, its stderr to the file $err.
err=$(mktemp)
start() {
  env -u DISPLAY -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland "$@" 2>"$err" &
  pid=$!
}

# The top-level windows of $pid, one "left top right bottom  left top right bottom  title"
# line each (screen pixels), as weston's scene graph lists them: first the whole surface,
# then the part the program says is opaque, its content without the title bar and frame
# that Qt draws around it.
toplevels() {
  weston-debug scene-graph 2>/dev/null | awk -v pid="$pid" '
    /View [0-9]+ \(role xdg_toplevel, PID / {
      mine = ($0 ~ ("PID " pid ","))
      title = $0; sub(/.*top-level window \047/, "", title); sub(/\047 of .*/, "", title)
      next
    }
    mine && /position:/ { gsub(/[(),]/, " "); surface = $2 " " $3 " " $5 " " $6; next }
    mine && /opaque/ {
      content = surface
      if (/\[opaque:/) { gsub(/[][(),:]/, " "); content = $2 " " $3 " " $5 " " $6 }
      print surface, content, title; mine = 0
    }'
}
window_count() { toplevels | wc -l; }

# Waits up to $WAIT_SECONDS (30) for a window of $pid whose surface ($X $Y $WIDTH $HEIGHT),
# content ($CX $CY $CWIDTH $CHEIGHT) and title ($TITLE) pass the test in $1, and sets those
# nine to that window's.
window_where() {
  local left top right bottom cleft ctop cright cbottom title
  while read -r left top right bottom cleft ctop cright cbottom title; do
    X=$left Y=$top WIDTH=$((right - left)) HEIGHT=$((bottom - top)) TITLE=$title
    CX=$cleft CY=$ctop CWIDTH=$((cright - cleft)) CHEIGHT=$((cbottom - ctop))
    eval "$1" && return 0
  done < <(toplevels)
  return 1
}
wait_for_window() { local test=$1; wait_until 'window_where "$test"'; }

# The main window at the stock font: the form's 545 x 355 pixels below a menu bar.
is_main='[ "$CWIDTH" -eq 545 ]'

# The form's controls in the content of the window found last, whose menu bar is $menu
# pixels high.
find_controls() { place_form "$CX" $((CY + menu)) "$CWIDTH" $((CHEIGHT - menu)); }
centre() { echo "$1" | awk -F'[x+]' '{ print $3 + int($1 / 2), $4 + int($2 / 2) }'; }

# Clicks at a point of the screen. The pointer comes from one side first, so that the
# window under it sees it enter and move, as a hand would make it, and the click waits until
# the program shows its own pointer there: a window just mapped may not have the pointer yet,
# and a click before then is lost.
click_at() {
  xdotool mousemove $(($1 - 4)) $(($2 - 4)) sleep 0.05 mousemove "$1" "$2"
  wait_until 'weston-debug scene-graph 2>/dev/null | grep -q "role wl_pointer-cursor, PID $pid,"' \
    || fail "the program never took the pointer at $1,$2"
  xdotool sleep 0.05 click 1
}

# Keys to the window that has weston's focus.
keys() { xdotool key --delay 50 "$@"; }

# The maximise button of the title bar of the window found last: of the marks the bar shows
# above the content, the second from the right (close, maximise, minimise).
press_maximise() {
  local x
  x=$(import -window root -crop "${CWIDTH}x$((CY - Y))+$CX+$Y" +repage -depth 8 txt:- |
    awk -F'[,:]' -v w="$CWIDTH" '
      / #[0-7].[0-7].[0-7]. / { dark[$1] = 1 }
      END {
        for (x = w - 1; x >= 0; x--)
          if (x in dark) { if (!on) marks++; on = 1; gap = 0; if (marks == 2) { left = x; if (!right) right = x } }
          else if (on && ++gap > 2) on = 0
        if (marks >= 2) print int((left + right) / 2)
      }')
  [ -n "$x" ] || { fail "no maximise button in the title bar of $TITLE at $X,$Y"; return 1; }
  click_at $((CX + x)) $(((Y + CY) / 2))
}

# A screenshot of weston's screen, taken by weston itself, to $SHOTS/$1.png.
shoot() {
  local dir
  dir=$(mktemp -d)
  (cd "$dir" && weston-screenshooter >/dev/null 2>&1) && mv "$dir"/*.png "$SHOTS/$1.png"
  rm -rf "$dir"
}

