#!/usr/bin/env bash
# A whole session under valgrind's leak check: welcome, a trick to the reveal, About,
# Again, Exit. Fails on any definite leak whose stack passes through Quellary's own code.
set -u
program=$1
. "$(dirname "$0")/../x11/driving.sh"
WAIT_SECONDS=60   # everything is many times slower under valgrind
log=$(mktemp)

start valgrind --leak-check=full --show-leak-kinds=definite --num-callers=40 \
  --log-file="$log" "$program"
main=$(past_welcome) || {
  fail "no main window under valgrind"
  for id in $(visible_windows); do xdotool getwindowgeometry "$id"; done
  tail -n 5 "$err" "$log"
  kill "$pid"; exit 1
}
find_controls "$main"
eval "$(geometry "$main")"
menu=$((HEIGHT - 355))
# Under valgrind the first paint may come well after the window maps, and a window not
# painted yet looks as empty as one whose button has gone.
WAIT_SECONDS=60 wait_until 'drawn "$calculate"' || fail "Calculate my thoughts is never drawn"
press "$main" space
WAIT_SECONDS=60 wait_until revealed || fail "no reveal under valgrind"

box=$(open_about "$main") || fail "no About box"
press "$box" Return
WAIT_SECONDS=60 wait_until '[ "$(visible_windows | wc -l)" -eq 1 ]' || fail "the About box stays open"
xdotool mousemove $((X + 80)) $((Y + menu + 310)) click 1    # One more time please
WAIT_SECONDS=60 wait_until 'drawn "$calculate"' || fail "One more time please did not bring the cards back"
xdotool mousemove $((X + 455)) $((Y + menu + 310)) click 1   # Exit
ended_within 60
[ "$status" = 0 ] || fail "the session ended with status $status"

# Each leak record runs from its "definitely lost" line to the next blank line. The leak
# is Quellary's when the first frame past the allocator is in Quellary's own code; leaks
# that Qt's or its libraries' code makes on Quellary's behalf are theirs.
ours=$(awk '/definitely lost in loss record/ {record = $0 "\n"; inside = 1; first = ""; next}
            inside && /^==[0-9]+== *$/ {if (first ~ /(runtime|ui|trick)::|main \(main\.cpp/) printf "%s\n", record; inside = 0; next}
            inside {record = record $0 "\n"}
            inside && first == "" && /(at|by) 0x/ && !/: (malloc|calloc|realloc|memalign|posix_memalign|operator new)/ {first = $0}' "$log")
if [ -n "$ours" ]; then
  fail "definite leaks in Quellary's code:"; echo "$ours"
fi
grep -E "definitely lost:" "$log" | sed 's/^==[0-9]*== */valgrind: /'
[ -n "${KEEP_LOG:-}" ] && cp "$log" "$KEEP_LOG"
rm -f "$log" "$err"
[ "$failures" -eq 0 ] && echo "valgrind session passed"
exit $((failures > 0))
