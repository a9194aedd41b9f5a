#!/usr/bin/env bash
# Builds the .deb twice with scripts/build-deb, from two copies of the tree in two folders
# of different names, one after the other, with the second copy's files given new times:
# the two packages and their stripped binaries must be byte-identical. The first package is
# kept as OUT/quellary.deb for the package checks that follow.
set -u
source_dir=$1
out=$2
. "$(dirname "$0")/../support/checks.sh"

make_scratch
rm -f "$out/quellary.deb"
mkdir -p "$out"

# copy_tree FOLDER: the tree as "make package" would see it, without build folders.
copy_tree() {
  mkdir -p "$1"
  git -C "$source_dir" ls-files -z --cached --others --exclude-standard \
    | tar -C "$source_dir" --null --no-recursion -T - -cf - | tar -xf - -C "$1"
  # The date the builds take: the last commit's, not the check-out's.
  git -C "$source_dir" log -1 --format=%ct >"$1/.commit-time"
}
# build FOLDER: prints the path of the .deb it made.
build() {
  SOURCE_DATE_EPOCH=$(cat "$1/.commit-time") "$1/scripts/build-deb" "$1/build"
}

copy_tree "$scratch/first/quellary"
copy_tree "$scratch/second/elsewhere-named"
find "$scratch/second" -exec touch {} +
first=$(build "$scratch/first/quellary") || { echo "FAIL: the first build failed"; exit 1; }
second=$(build "$scratch/second/elsewhere-named") || { echo "FAIL: the second build failed"; exit 1; }

sum() { sha256sum "$1" | cut -d' ' -f1; }
echo "first:  $(sum "$first")  $first"
echo "second: $(sum "$second")  $second"
[ "$(sum "$first")" = "$(sum "$second")" ] || fail "the two packages differ"

for run in first second; do
  deb=${!run}
  mkdir -p "$scratch/$run-unpacked"
  dpkg-deb -x "$deb" "$scratch/$run-unpacked"
done
binary=usr/games/quellary
cmp "$scratch/first-unpacked/$binary" "$scratch/second-unpacked/$binary" \
  || fail "the stripped binaries differ"
if [ "$failures" -gt 0 ]; then
  # Where they differ, member by member.
  diff <(dpkg-deb -c "$first") <(dpkg-deb -c "$second")
  diff -r "$scratch/first-unpacked" "$scratch/second-unpacked"
fi

cp "$first" "$out/quellary.deb"
passed "two builds in two folders: the same package, byte for byte"
