# What the test scripts share: counting failures, waiting for a condition or for the program
# to end, and the last line. Source it; it defines functions only.
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The script's end: $1 said where nothing failed, status 1 where something did.
passed() { [ "$failures" -eq 0 ] && echo "$1"; exit $((failures > 0)); }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }
# A folder of the script's own in $scratch, gone when the script ends.
make_scratch() { scratch=$(mktemp -d); trap 'rm -rf "$scratch"' EXIT; }

# Waits up to $2 seconds ($WAIT_SECONDS, else 30) for the shell test in $1 to hold, looking
# again every $POLL_SECONDS (0.05).
wait_until() {
  local deadline=$(( $(now_ms) + ${2:-${WAIT_SECONDS:-30}} * 1000 ))
  until eval "$1"; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep "${POLL_SECONDS:-0.05}"
  done
}

# Waits up to $1 ms for $pid to end. Sets $status to its exit status, or to "running" (and
# kills it) if it has not ended by then, and $took to the ms it waited.
ended_within_ms() {
  local began
  began=$(now_ms)
  while kill -0 "$pid" 2>/dev/null && [ $(( $(now_ms) - began )) -lt "$1" ]; do sleep 0.01; done
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
