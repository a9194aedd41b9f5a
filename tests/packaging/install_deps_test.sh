#!/usr/bin/env bash
# scripts/install-deps on the machines it meets, with stand-ins on the PATH for the system's
# tools: no apt (one line, the build goes on), not root without sudo (one line saying how,
# and a stop), not root with sudo (apt-get through sudo, DEBIAN_FRONTEND passed inside it).
set -u
script=$1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# machine NAME TOOL...: a bin folder with bash, grep and the named stand-ins from below.
machine() {
  local bin=$scratch/$1/bin tool
  mkdir -p "$bin"
  ln -s "$(command -v bash)" "$bin/bash"
  ln -s "$(command -v grep)" "$bin/grep"
  shift
  for tool in "$@"; do
    case $tool in
      id) printf '#!/bin/bash\necho 1000\n' >"$bin/id" ;;
      dpkg-query) printf '#!/bin/bash\nexit 1\n' >"$bin/dpkg-query" ;;   # nothing installed
      apt-get|sudo) printf '#!/bin/bash\necho "%s $*" >>"%s"\n' "$tool" "$scratch/$tool.calls" >"$bin/$tool" ;;
    esac
    chmod +x "$bin/$tool"
  done
}
run() {  # run NAME: the script on that machine; its output in NAME.out, status in status
  PATH=$scratch/$1/bin bash "$script" build >"$scratch/$1.out" 2>&1
  status=$?
}

machine no-apt id
run no-apt
[ "$status" -eq 0 ] || fail "without apt: status $status, the build must go on"
[ "$(wc -l <"$scratch/no-apt.out")" -eq 1 ] || fail "without apt: not one line: $(cat "$scratch/no-apt.out")"
grep -q 'only on Debian and Ubuntu.*qt6-base-dev' "$scratch/no-apt.out" \
  || fail "without apt: the line does not say so and name the packages: $(cat "$scratch/no-apt.out")"

machine no-sudo id dpkg-query apt-get
run no-sudo
[ "$status" -ne 0 ] || fail "not root and no sudo: status 0"
[ "$(wc -l <"$scratch/no-sudo.out")" -eq 1 ] || fail "no sudo: not one line: $(cat "$scratch/no-sudo.out")"
grep -q 'as root, run: apt-get install --no-install-recommends .*qt6-base-dev' "$scratch/no-sudo.out" \
  || fail "no sudo: the line does not say how: $(cat "$scratch/no-sudo.out")"
[ ! -e "$scratch/apt-get.calls" ] || fail "no sudo: apt-get was run: $(cat "$scratch/apt-get.calls")"

machine with-sudo id dpkg-query apt-get sudo
run with-sudo
[ "$status" -eq 0 ] || fail "with sudo: status $status: $(cat "$scratch/with-sudo.out")"
grep -q '^sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends .*qt6-base-dev' \
  "$scratch/sudo.calls" 2>/dev/null || fail "with sudo: apt-get install not run as 'sudo env DEBIAN_FRONTEND=noninteractive apt-get': $(cat "$scratch/sudo.calls" 2>/dev/null)"

[ "$failures" -eq 0 ] && echo "install-deps: no apt, no sudo and sudo each handled"
exit $((failures > 0))
