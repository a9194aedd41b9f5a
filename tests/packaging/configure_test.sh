#!/usr/bin/env bash
# Configures the tree as a machine with only the build packages would, GoogleTest hidden:
# there the default (QUELLARY_TESTS=AUTO, what "make run" uses) must configure the program
# and define no tests, and QUELLARY_TESTS=ON, as "make test" sets it, must stop rather than
# run part of the suite.
set -u
source_dir=$1
compiler=$2
. "$(dirname "$0")/../support/checks.sh"
make_scratch
configure() {  # configure FOLDER [CMAKE ARGUMENTS]
  local folder=$scratch/$1
  shift
  cmake -S "$source_dir" -B "$folder" -DCMAKE_CXX_COMPILER="$compiler" \
    -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON "$@" >"$folder.log" 2>&1
}

if configure auto; then
  tests=$(cd "$scratch/auto" && ctest -N 2>&1 | sed -n 's/^Total Tests: //p')
  [ "${tests:-0}" -eq 0 ] || fail "$tests tests defined although the suite was left out"
  grep -qE '(^|\.\.\. )quellary(:|$)' <(cmake --build "$scratch/auto" --target help 2>&1) \
    || fail "the program is not a build target without the test tools"
else
  cat "$scratch/auto.log"
  fail "the configure without GoogleTest failed"
fi
configure on -DQUELLARY_TESTS=ON && fail "QUELLARY_TESTS=ON configured without GoogleTest"
passed "without the test tools: the program configures and the suite is left out; ON stops"
