#!/usr/bin/env bash
# The real program in a real X window under openbox: the welcome box, the window, the whole
# trick by keyboard on the real clock, resized, maximised by the window manager, full screen
# by F11, restored, and Exit. Run on an X server (with_x_server.sh); real_window_test.sh
# PROGRAM DESKTOP_ENTRY. Screenshots go to $SHOTS for a person to look at.
set -u
program=$1
desktop=$2
SHOTS=${SHOTS:-$PWD/screenshots}
mkdir -p "$SHOTS"
. "$(dirname "$0")/driving.sh"
start_openbox
trap 'kill "$pid" "$wm" 2>/dev/null' EXIT

# --- the welcome box, then the window at its designed size -----------------------------
start "$program"
wait_for_window '[ "$WIDTH" -ne 545 ]' >/dev/null || fail "no welcome box"
import -window root "$SHOTS/x11-welcome.png"
[ "$(visible_windows | wc -l)" -eq 1 ] || fail "the window is up before the welcome box is dismissed"
main=$(past_welcome) || { fail "no 545 pixel wide main window after the welcome box"; exit 1; }
eval "$(geometry "$main")"
menu=$((HEIGHT - 355))
[ "$menu" -gt 10 ] && [ "$menu" -lt 40 ] || fail "the client area is not 355 pixels high below the menu bar ($WIDTH x $HEIGHT)"
own="$WIDTH $HEIGHT"
# Docks and task bars tie the windows to the desktop entry by this class.
class=$(xprop -id "$main" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
grep -qx "StartupWMClass=$class" "$desktop" || fail "WM_CLASS class '$class' is not the desktop entry's StartupWMClass"
find_controls "$main"
wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is not drawn"

# --- the trick on the real clock, the window resized while it counts --------------------
# The reveal is timed from the last look at the message line that found it blank: the press
# had not reached the program then. So an early reveal cannot hide in xdotool's latency.
activate "$main"
pressed=$(now_ms) blank=$pressed
xdotool key space
until looked=$(now_ms); drawn "$message"; do
  blank=$looked
  [ $((looked - pressed)) -lt 30000 ] || { fail "no message 30 s after the press"; break; }
done
xdotool windowsize --sync "$main" 901 613
find_controls "$main"
wait_until 'drawn "$calculate" && drawn "$message"' || fail "the form did not grow with the window to $scale"
import -window root "$SHOTS/x11-calculating-901x613.png"
# One look a time, as fast as they come: the reveal is when "One more time please" is drawn.
POLL_SECONDS=0 wait_until 'drawn "$again"' || fail "no reveal 30 s after the press"
seen=$(( $(now_ms) - blank ))
echo "reveal seen at most $seen ms after the press reached the program, at scale $scale"
[ "$seen" -ge 5000 ] || fail "the reveal came at most $seen ms after the press, before 5000 ms"
wait_until revealed || fail "the reveal left Calculate my thoughts drawn"
wait_until 'drawn "$cards"' || fail "no cards at scale $scale"
import -window root "$SHOTS/x11-revealed-901x613.png"

# --- maximised by the window manager, full screen by F11, restored ----------------------
wmctrl -i -r "$main" -b add,maximized_vert,maximized_horz
wait_until 'eval "$(geometry "$main")"; [ "$WIDTH" -gt 1200 ]' || fail "openbox did not maximise the window"
find_controls "$main"
wait_until 'revealed && drawn "$cards"' || fail "the maximised window does not show the form at scale $scale"
import -window root "$SHOTS/x11-maximised.png"
press "$main" F11
wait_until 'eval "$(geometry "$main")"; [ "$WIDTH" -eq 1280 ] && [ "$HEIGHT" -eq 1024 ]' || fail "F11 did not make the window full screen"
find_controls "$main"
wait_until 'revealed && drawn "$cards"' || fail "the full-screen window does not show the form at scale $scale"
import -window root "$SHOTS/x11-full-screen.png"
press "$main" F11
wmctrl -i -r "$main" -b remove,maximized_vert,maximized_horz
xdotool windowsize --sync "$main" $own
wait_until 'eval "$(geometry "$main")"; [ "$WIDTH $HEIGHT" = "$own" ]' || fail "the window did not get its own size back"
find_controls "$main"
wait_until revealed || fail "restored, the form is not at its designed size"

# --- Exit ends the program at once -------------------------------------------------------
press "$main" Tab Tab space   # One more time please, The Answer..., Exit
ended_within_ms 3000
[ "$status" = 0 ] || { fail "Exit ended with status $status"; cat "$err"; }
[ -s "$err" ] && { fail "stderr is not empty:"; cat "$err"; }
passed "real-window checks passed"
