#!/usr/bin/env bash
# Drives the real program in a real X window: the welcome box, the window, a whole trick
# by keyboard, Exit during a countdown, the run-time error path, a larger desktop font and
# a 2x screen. Run on an X server (with_x_server.sh). Screenshots go to $SHOTS for a person to look at.
set -u
program=$1
probe=$2
SHOTS=${SHOTS:-$PWD/screenshots}
mkdir -p "$SHOTS"
. "$(dirname "$0")/driving.sh"

# --- welcome box, then the window at its designed size --------------------------------
start "$program"
box=$(wait_for_window '[ "$WIDTH" -lt 545 ] || [ "$WIDTH" -gt 545 ]') || fail "no welcome box"
import -window root "$SHOTS/welcome.png"
[ "$(visible_windows | wc -l)" -eq 1 ] || fail "the window is up before the welcome box is dismissed"
main=$(past_welcome) || fail "no 545 pixel wide main window after the welcome box"
eval "$(geometry "$main")"
menu=$((HEIGHT - 355))
[ "$menu" -gt 10 ] && [ "$menu" -lt 40 ] || fail "client area is not 355 pixels high below the menu bar (window $WIDTH x $HEIGHT)"
find_controls "$main"
wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is not drawn"
import -window root "$SHOTS/waiting.png"

# --- the trick: Space presses the focused "Calculate my thoughts" ----------------------
pressed=$(date +%s%N)
press "$main" space
wait_until 'drawn "$message"' || fail "no message after the press"
import -window root "$SHOTS/calculating.png"
drawn "$calculate" || fail "the button went away with the press"
WAIT_SECONDS=30 wait_until revealed || fail "no reveal 30 s after the press"
seen=$(( ($(date +%s%N) - pressed) / 1000000 ))
import -window root "$SHOTS/revealed.png"
echo "reveal seen $seen ms after the press"
[ "$seen" -ge 5000 ] || fail "the reveal came $seen ms after the press, before 5000 ms"
kill "$pid"; wait "$pid" 2>/dev/null

# --- Exit during the countdown ends at once with status 0 ------------------------------
start "$program"
main=$(past_welcome Escape) || fail "no main window after Escape on the welcome box"
press "$main" space Tab space   # Calculate, then Exit
ended_within 2
[ "$status" = 0 ] || { fail "Exit ended with status $status"; cat "$err"; }

# --- a failed assignment: box, one stderr line, status 1 -------------------------------
start "$probe" lblmessage
main=$(past_welcome) || fail "probe: no main window"
press "$main" space
error_box=$(wait_for_window '[ "$WIDTH" -ne 545 ]') || fail "no run-time error box"
import -window root "$SHOTS/run-time-error.png"
press "$error_box" Return
wait "$pid"; status=$?
[ "$status" -eq 1 ] || fail "run-time error ended with status $status, expected 1"
line="Quellary: run-time error: cannot set Caption of lblmessage (the form has no such control); please start Quellary again."
grep -qxF "$line" "$err" || { fail "stderr lacks the run-time error line:"; cat "$err"; }
[ "$(grep -c 'run-time error' "$err")" -eq 1 ] || fail "run-time error reported more than once"

# --- an 11-point desktop font: the form grows, nothing else changes --------------------
home=$(mktemp -d)
mkdir -p "$home/.config/gtk-3.0"
printf '[Settings]\ngtk-font-name = DejaVu Sans 11\n' >"$home/.config/gtk-3.0/settings.ini"
HOME=$home QT_QPA_PLATFORMTHEME=gtk3 start "$program"
main=$(past_welcome Return '[ "$WIDTH" -gt 545 ]') || fail "gtk3: the window did not grow for an 11-point font"
eval "$(geometry "$main")"
echo "at an 11-point font the window is $WIDTH x $HEIGHT"
wait_until '[ "$(colours_in "${WIDTH}x${HEIGHT}+$X+$Y")" -gt 20 ]' || fail "gtk3: the window is not drawn"
import -window root "$SHOTS/font-11pt.png"
kill "$pid"; wait "$pid" 2>/dev/null
rm -rf "$home"

# --- a 2x screen: twice the size in device pixels --------------------------------------
QT_SCALE_FACTOR=2 start "$program"
main=$(past_welcome Return '[ "$WIDTH" -eq 1090 ]') || { fail "2x: no 1090 pixel wide window after the welcome box"; cat "$err"; }
eval "$(geometry "$main")"
wait_until '[ "$(colours_in "${WIDTH}x${HEIGHT}+$X+$Y")" -gt 20 ]' || fail "2x: the window is not drawn"
import -window root "$SHOTS/scale-2x.png"
kill "$pid"; wait "$pid" 2>/dev/null

rm -f "$err"
[ "$failures" -eq 0 ] && echo "real-window checks passed"
exit $((failures > 0))
