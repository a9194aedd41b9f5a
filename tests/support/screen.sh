# What the real-window tests share on any display server: counting failures, reading the
# screen and waiting for a condition. Sourced by the X11 and Wayland driving helpers.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Distinct colours in a rectangle of the screen: 1 means empty background.
colours_in() { import -window root -crop "$1" +repage -format %k info: 2>/dev/null; }
drawn() { [ "$(colours_in "$1")" -gt 1 ]; }
# The reveal: "Calculate my thoughts" is gone and "One more time please" is drawn.
revealed() { ! drawn "$calculate" && drawn "$again"; }

# Waits up to $WAIT_SECONDS (5) for the shell test in $1 to hold.
wait_until() {
  for _ in $(seq $(( ${WAIT_SECONDS:-5} * 20 ))); do
    eval "$1" && return 0
    sleep 0.05
  done
  return 1
}
