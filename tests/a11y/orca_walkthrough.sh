#!/usr/bin/env bash
# The whole trick by keyboard alone with Orca running, as a blind user would do it: the
# welcome box, flat review of the window, Space, the reveal, flat review again, the answer,
# "One more time please", a last flat review and the Help menu by F10. Checks what Orca says at each step from its
# debug log. Run on a desktop session (desktop_session.sh): orca_walkthrough.sh PROGRAM
# With SPEECH set, the spoken lines are copied there; with SHOTS, a screenshot of the
# focus after the reveal is saved there.
set -u
program=$1
. "$(dirname "$0")/../support/checks.sh"

home=$(mktemp -d)
log=$home/orca-debug.log
export HOME=$home XDG_CONFIG_HOME=$home/.config XDG_DATA_HOME=$home/.local/share \
  XDG_RUNTIME_DIR=$home/run
mkdir -p "$XDG_CONFIG_HOME/speech-dispatcher" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No sound card here: the dummy voice plays into ALSA's null device, so speech-dispatcher
# starts and Orca speaks (and logs) as it would on a desktop.
cat >"$XDG_CONFIG_HOME/speech-dispatcher/speechd.conf" <<'EOF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "dummy" "sd_dummy" ""
DefaultModule dummy
Timeout 2
EOF

pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$home"
}
trap cleanup EXIT

# What Orca has said so far, one utterance a line (a flat review's lines joined with " | ").
spoken() {
  [ -f "$log" ] || return 0
  /usr/bin/python3 - "$log" <<'PY'
import re, sys
text = open(sys.argv[1], encoding="utf-8", errors="replace").read().replace("\r", "")
for said in re.findall(r"SPEECH OUTPUT: '(.*?)' ?(?=\{|\[\{|None| voice=|\n\d\d:|\n*$)", text, re.S):
    print(" | ".join(line for line in said.splitlines() if line.strip()))
PY
}
# Orca writes its log in blocks, so a line can come a while after it was said.
# Waits up to $2 seconds (default 30; 0 looks once) for Orca to have said something matching
# $1 (grep -E) after line $mark of what it said.
said() {
  local pattern=$1
  POLL_SECONDS=0.2 wait_until 'spoken | tail -n +$((mark + 1)) | grep -qE -- "$pattern"' "${2:-30}"
}
step() { mark=$(spoken | wc -l); echo "--- $*"; }
button='(push )?button'  # Orca 48 says "button" where Orca 43 says "push button"
key() { xdotool key --delay 120 "$@"; }
# Orca's flat review (desktop layout): on, then the whole window read out (KP_Add twice);
# KP_Subtract again leaves it.
flat_review() {
  key KP_Subtract
  said "Entering flat review" || fail "KP_Subtract did not start flat review"
  key KP_Add KP_Add
}

# Orca writes its debug file without flushing, in blocks that can sit for a minute; written
# to a terminal it is flushed line by line, so it runs in one (script) that copies to $log.
script -qfec 'exec orca --debug-file /dev/tty 2>/dev/null' "$log" >/dev/null 2>&1 </dev/null &
pids+=($!)
mark=0
said "Screen reader on" 30 || { fail "Orca did not start"; exit 1; }

step "welcome"
"$program" &
pids+=($!)
said "Welcome to Velado's 'Quellary' program!" 30 || fail "the welcome box was not spoken"
said "OK $button" || fail "the welcome box's OK button was not spoken"
step "main window"
key Return
said "Calculate my thoughts $button" || fail "the focused button was not spoken"

step "flat review before"
flat_review
said "Cards: King of hearts, Jack of clubs" || fail "flat review before: the six cards were not read"
said "1. Select a card from the list above in your brain" || fail "flat review before: the instructions were not read"
said "Cards: Queen of hearts" 0 && fail "flat review before: the hidden five cards were read too"
key KP_Subtract

step "Space"
key space
said "Calculating..... Please wait!" || fail "Space: Calculating was not spoken"

step "the reveal"
said "DONE! Your card is gone!" 30 || fail "the reveal was not spoken"
said "One more time please $button" || fail "the focus after the reveal was not spoken"
said "Exit $button" 0 && fail "the reveal put the focus on Exit"
if [ -n "${SHOTS:-}" ]; then mkdir -p "$SHOTS" && import -window root "$SHOTS/focus-after-reveal.png"; fi

step "flat review after"
flat_review
said "Cards: Queen of hearts, King of clubs" || fail "flat review after: the five cards were not read"
said "The Answer to the problem" || fail "flat review after: the answer button was not read"
said "Cards: King of hearts" 0 && fail "flat review after: the hidden six cards were read too"
key KP_Subtract

step "the answer"
key Tab space
said "There was no mind reading at all." || fail "the answer was not spoken"
said "OK $button" || fail "the answer box's OK button was not spoken"
step "back from the answer"
key Return
said "The Answer to the problem $button" || fail "the focus was not spoken after the answer box"

step "One more time please"
key shift+Tab space
said "Cards: King of hearts" || fail "One more time please: the six cards were not spoken"

step "flat review again"
flat_review
said "Cards: King of hearts, Jack of clubs" || fail "flat review again: the six cards were not read"
said "Cards: Queen of hearts" 0 && fail "flat review again: the hidden five cards were read too"
key KP_Subtract

step "the Help menu"
key F10
said "About" || fail "F10: the Help menu's About was not spoken"
key Down
said "Instructions" || fail "F10: Down to Instructions was not spoken"
key Escape
said "One more time please $button" || fail "Escape: the focus back on the window was not spoken"

spoken >"${SPEECH:-/dev/null}"
[ -n "${ORCA_LOG:-}" ] && cp "$log" "$ORCA_LOG"
passed "Orca walkthrough passed"
