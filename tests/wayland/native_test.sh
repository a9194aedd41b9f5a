#!/usr/bin/env bash
# The program as a native Wayland client of weston (with_weston.sh), driven through
# weston's own input: the welcome box first, the window, a whole trick, the Answer and
# About boxes, then Exit with status 0 and nothing on stderr. Screenshots go to $SHOTS.
set -u
program=$1
SHOTS=${SHOTS:-$PWD/screenshots}
mkdir -p "$SHOTS"
. "$(dirname "$0")/driving.sh"

start "$program"
wait_for_window 'true' || { fail "no welcome box"; cat "$err"; exit 1; }
[ "$TITLE" = Quellary ] || fail "the welcome box is called '$TITLE'"
shoot wayland-welcome
[ "$(window_count)" -eq 1 ] || fail "the main window is up before the welcome box is dismissed"
keys Return
wait_for_window "$is_main" || { fail "no main window after the welcome box"; toplevels; cat "$err"; exit 1; }
[ "$TITLE" = Quellary ] || fail "the main window is called '$TITLE'"
wait_until '[ "$(window_count)" -eq 1 ]' || fail "the welcome box stays open"
menu=$((HEIGHT - frame_top - frame_side - 355))
[ "$menu" -gt 10 ] && [ "$menu" -lt 40 ] || fail "no 355 pixel high form below a menu bar (window $WIDTH x $HEIGHT)"
find_controls
wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is not drawn"
drawn "$message" && fail "the message line is not blank at start"
shoot wayland-waiting

# The focus starts on "Calculate my thoughts": Space presses it.
pressed=$(now_ms)
keys space
wait_until 'drawn "$message"' || fail "no message after the press"
WAIT_SECONDS=30 wait_until revealed || fail "no reveal 30 s after the press"
seen=$(( $(now_ms) - pressed ))
echo "reveal seen $seen ms after the press"
[ "$seen" -ge 5000 ] || fail "the reveal came $seen ms after the press, before 5000 ms"
shoot wayland-revealed

click_answer
wait_for_window "! { $is_main; }" || fail "no answer box"
[ "$TITLE" = Quellary ] || fail "the answer box is called '$TITLE'"
shoot wayland-answer
keys Return
wait_until '[ "$(window_count)" -eq 1 ]' || fail "the answer box stays open"

# Help, About: the menu opens under its title, About is its first item.
wait_for_window "$is_main"
click_at $((X + frame_side + 20)) $((Y + frame_top + menu / 2))
keys Down Return
wait_for_window "! { $is_main; }" || fail "no About box from the Help menu"
keys Return
wait_until '[ "$(window_count)" -eq 1 ]' || fail "the About box stays open"

click_exit
ended_within_ms "${EXIT_LIMIT_MS:-1000}"
[ "$status" = 0 ] || fail "Exit: status $status, $took ms after the press"
[ -s "$err" ] && { fail "stderr is not empty:"; cat "$err"; }
rm -f "$err"
[ "$failures" -eq 0 ] && echo "native Wayland session passed"
exit $((failures > 0))
