#!/usr/bin/env bash
# The packaged program has the hardening Debian builds its own packages with: every line of
# hardening-check must say "yes".
set -u
deb=$1
[ -f "$deb" ] || { echo "FAIL: no package at $deb"; exit 1; }
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
dpkg-deb -x "$deb" "$scratch"
report=$(hardening-check "$scratch/usr/games/quellary" 2>&1)
echo "$report"
not_yes=$(sed -n '2,$p' <<<"$report" | grep -v ': yes')
[ -z "$not_yes" ] || { echo "FAIL: not hardened: $not_yes"; exit 1; }
[ "$(sed -n '2,$p' <<<"$report" | wc -l)" -ge 5 ] || { echo "FAIL: hardening-check checked too little"; exit 1; }
echo "hardened: every check says yes"
