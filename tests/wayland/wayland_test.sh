#!/usr/bin/env bash
# The program as a native Wayland client of weston (with_weston.sh), started as a desktop
# session starts it: the welcome box maximised by Qt's own title bar and back, the trick in a
# window made full screen by F11, then maximised by the title bar, restored, Exit within
# $EXIT_LIMIT_MS, and the compositor gone under a running program. Qt's title bar and frame
# are found from what weston reports, whatever their size. Screenshots go to $SHOTS.
set -u
program=$1
SHOTS=${SHOTS:-$PWD/screenshots}
mkdir -p "$SHOTS"
. "$(dirname "$0")/driving.sh"
# Weston's panel along the top: a maximised window gets the screen below it.
panel=$(weston-debug scene-graph | awk '/panel for output/ { getline; gsub(/[(),]/, " "); print $6; exit }')
maximised='[ "$X" -eq 0 ] && [ "$Y" -eq "$panel" ] && [ "$WIDTH" -eq 1024 ] && [ "$HEIGHT" -eq $((768 - panel)) ]'
alive() { kill -0 "$pid" 2>/dev/null || { fail "$1: the program is gone"; cat "$err"; exit 1; }; }

start "$program"
wait_for_window true || { fail "no welcome box"; cat "$err"; exit 1; }
box="$X $Y $WIDTH $HEIGHT"
press_maximise
wait_for_window "$maximised" || fail "the welcome box did not take the maximised size"
keys Tab   # anything that draws the box again
shoot wayland-welcome-maximised
press_maximise
wait_for_window "[ \"\$X \$Y \$WIDTH \$HEIGHT\" = \"$box\" ]" || fail "the welcome box did not get its own size back"
alive "the welcome box maximised and back"
keys Return
wait_for_window "$is_main" || { fail "no main window of the form's width after the welcome box"; cat "$err"; exit 1; }
wait_until '[ "$(window_count)" -eq 1 ]' || fail "the welcome box stays open"
normal="$X $Y $WIDTH $HEIGHT"
menu=$((CHEIGHT - 355))
find_controls
wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is not drawn"

keys F11
wait_for_window '[ "$CWIDTH" -eq 1024 ] && [ "$CHEIGHT" -eq 768 ]' || fail "F11 did not make the window full screen"
find_controls
wait_until 'drawn "$calculate"' || fail "the form did not grow to scale $scale in full screen"
keys space
wait_until 'drawn "$message"' || fail "no message in the full-screen window"
wait_until revealed || fail "no reveal in the full-screen window at scale $scale"
shoot wayland-full-screen
keys F11
wait_for_window "[ \"\$X \$Y \$WIDTH \$HEIGHT\" = \"$normal\" ]" || fail "F11 again did not give the window its own size back: $(toplevels)"

press_maximise
wait_for_window "$maximised" || fail "the main window did not take the maximised size"
find_controls
wait_until 'revealed && drawn "$cards"' || fail "the form did not grow to scale $scale with the maximised window"
shoot wayland-maximised
press_maximise
wait_for_window "[ \"\$X \$Y \$WIDTH \$HEIGHT\" = \"$normal\" ]" || fail "the main window did not get its own size back: $(toplevels)"
find_controls
wait_until revealed || fail "restored, the form is not at its designed size"
alive "the window full screen, maximised and restored"

# Exit ends the process at once: Qt's own teardown could wait for good on the connection.
read -r x y < <(centre "$exit")
click_at "$x" "$y"
ended_within_ms "${EXIT_LIMIT_MS:-1000}"
[ "$status" = 0 ] || fail "Exit: status $status, $took ms after the press"
[ -s "$err" ] && { fail "stderr is not empty:"; cat "$err"; }

# The compositor gone under a running program: it ends at once with a failure and Qt's line
# saying so (status 1 from Qt 6.4, 255 from Qt 6.8, whose Wayland plugin calls _exit(-1)).
start "$program"
wait_for_window true || fail "no welcome box the second time"
kill -KILL "$WESTON_PID"
ended_within_ms 5000
[ "$status" != 0 ] && [ "$status" != running ] && grep -q "Wayland connection broke" "$err" \
  || { fail "the compositor gone: status $status"; cat "$err"; }
passed "native Wayland passed"
