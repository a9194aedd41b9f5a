#!/usr/bin/env bash
# Configures the tree as a machine with only the build packages would: GoogleTest hidden.
# The default (QUELLARY_TESTS=AUTO) must configure, say in one line that the tests are left
# out and define none; QUELLARY_TESTS=ON, as "make test" sets it, must stop and name it.
set -u
source_dir=$1
compiler=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
configure() {  # configure FOLDER [CMAKE ARGUMENTS]
  local folder=$scratch/$1
  shift
  cmake -S "$source_dir" -B "$folder" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON "$@" >"$folder.log" 2>&1
}

if ! configure auto; then
  cat "$scratch/auto.log"
  fail "the configure without GoogleTest failed"
else
  lines=$(grep -ci 'tests' "$scratch/auto.log")
  [ "$lines" -eq 1 ] || fail "$lines lines about the tests, expected one: $(grep -i tests "$scratch/auto.log")"
  grep -q '^-- Tests left out, missing: .*GTest::gtest (libgtest-dev)' "$scratch/auto.log" \
    || fail "no line saying the tests are left out for want of GoogleTest: $(grep -i test "$scratch/auto.log")"
  tests=$(cd "$scratch/auto" && ctest -N 2>&1 | sed -n 's/^Total Tests: //p')
  [ "${tests:-0}" -eq 0 ] || fail "$tests tests defined although the suite was left out"
  grep -qE '(^|\.\.\. )quellary(:|$)' <(cmake --build "$scratch/auto" --target help 2>&1) \
    || fail "the program is not a build target without the test tools"
fi

if configure on -DQUELLARY_TESTS=ON; then
  fail "QUELLARY_TESTS=ON configured without GoogleTest"
else
  grep -q 'The tests need: .*GTest::gtest (libgtest-dev)' "$scratch/on.log" \
    || { cat "$scratch/on.log"; fail "QUELLARY_TESTS=ON failed without naming GoogleTest"; }
fi

[ "$failures" -eq 0 ] && echo "without the test tools: the program configures, the suite is left out in one line, ON stops"
exit $((failures > 0))
