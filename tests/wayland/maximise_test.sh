#!/usr/bin/env bash
# The maximise button of Qt's own title bar, on the welcome box and on the main window,
# natively on weston (with_weston.sh). A maximised window must take the size weston gives
# it, or weston disconnects the program as soon as it draws again; the form keeps its size
# in the middle. Back in the normal state each window has its own size again. Screenshots
# before and after go to $SHOTS.
set -u
program=$1
SHOTS=${SHOTS:-$PWD/screenshots}
mkdir -p "$SHOTS"
. "$(dirname "$0")/driving.sh"

# What weston gives a maximised window: its screen less the panel above.
panel=32
full='[ "$X" -eq 0 ] && [ "$Y" -eq "$panel" ] && [ "$WIDTH" -eq 1024 ] && [ "$HEIGHT" -eq $((768 - panel)) ]'
alive() { kill -0 "$pid" 2>/dev/null || { fail "$1: the program is gone"; cat "$err"; exit 1; }; }
press_maximise() { click_at $((X + WIDTH - 40)) $((Y + 15)); }

start "$program"
wait_for_window 'true' || { fail "no welcome box"; cat "$err"; exit 1; }
box="$X $Y $WIDTH $HEIGHT"
press_maximise
wait_for_window "$full" || fail "the welcome box did not take the maximised size"
keys Tab     # anything that draws the box again
shoot wayland-welcome-maximised
press_maximise
wait_for_window "[ \"\$X \$Y \$WIDTH \$HEIGHT\" = \"$box\" ]" || fail "the welcome box did not get its own size back"
alive "the welcome box maximised and back"
keys Return
wait_for_window "$is_main" || { fail "no main window after the welcome box"; cat "$err"; exit 1; }
wait_until '[ "$(window_count)" -eq 1 ]' || fail "the welcome box stays open"
normal="$X $Y $WIDTH $HEIGHT"
menu=$((HEIGHT - frame_top - frame_side - 355))
find_controls
wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is not drawn"
shoot wayland-before-maximise

press_maximise
wait_for_window "$full" || fail "the main window did not take the maximised size"
find_controls
wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is not drawn in the middle of the maximised window"
keys space   # the message, then the reveal: the window is drawn again and again
wait_until 'drawn "$message"' || fail "no message in the maximised window"
alive "drawing the maximised window"
WAIT_SECONDS=30 wait_until revealed || fail "no reveal in the maximised window"
shoot wayland-maximised
alive "the reveal in the maximised window"

press_maximise
wait_for_window "[ \"\$X \$Y \$WIDTH \$HEIGHT\" = \"$normal\" ]" || fail "the main window did not get its own size back"
find_controls
wait_until revealed || fail "the form is not where it belongs in the restored window"
shoot wayland-after-maximise
alive "the main window restored"

click_exit
ended_within_ms "${EXIT_LIMIT_MS:-1000}"
[ "$status" = 0 ] || fail "Exit: status $status, $took ms after the press"
[ -s "$err" ] && { fail "stderr is not empty:"; cat "$err"; }
rm -f "$err"
[ "$failures" -eq 0 ] && echo "maximise on Wayland passed"
exit $((failures > 0))
