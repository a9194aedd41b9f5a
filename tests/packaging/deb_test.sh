#!/usr/bin/env bash
# Makes the Debian package with CPack into a scratch folder, as "make package" does, and
# checks its name, control fields and contents, then runs lintian on it: no errors allowed.
set -u
build=$1
version=$2
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"
  echo "FAIL: cpack did not make the package"
  exit 1
fi

arch=$(dpkg --print-architecture)
deb=$scratch/quellary_${version}_${arch}.deb
made=$(cd "$scratch" && ls ./*.deb 2>/dev/null)
if [ ! -f "$deb" ]; then
  echo "FAIL: no $(basename "$deb"); cpack made: ${made:-nothing}"
  exit 1
fi

# field NAME: the value of one control field.
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
  local value
  value=$(field "$1")
  [ "$value" = "$2" ] || fail "$1: '$value', expected '$2'"
}
expect_field Package quellary
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Maintainer "Velado <velado@example.com>"
expect_field Section games
expect_field Priority optional

# Depends: the libraries dpkg-shlibdeps found in the binary, and the font.
depends=$(field Depends)
for package in fonts-liberation2 libc6 libqt6widgets6 libqt6gui6 libqt6core6; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

description=$(field Description)
[ -n "$(head -n 1 <<<"$description")" ] || fail "no short description"
[ "$(wc -l <<<"$description")" -gt 1 ] || fail "no long description"

# Contents: all under /usr, all owned by root.
listing=$(dpkg-deb -c "$deb")
not_root=$(awk '$2 != "root/root"' <<<"$listing")
[ -z "$not_root" ] || fail "files not owned by root: $not_root"
not_usr=$(awk '$6 != "./" && $6 !~ /^\.\/usr\//' <<<"$listing")
[ -z "$not_usr" ] || fail "files outside /usr: $not_usr"
for path in usr/bin/quellary usr/share/doc/quellary/copyright usr/share/doc/quellary/changelog.gz \
            usr/share/applications/ usr/share/metainfo/ usr/share/icons/hicolor/32x32/apps/; do
  grep -q " \./$path" <<<"$listing" || fail "the package lacks /$path"
done

mkdir "$scratch/unpacked"
dpkg-deb -x "$deb" "$scratch/unpacked"
binary_type=$(file -b "$scratch/unpacked/usr/bin/quellary")
[[ "$binary_type" == *", stripped"* ]] || fail "usr/bin/quellary is not stripped: $binary_type"

# lintian ends with status 2 when it finds an error; warnings are shown but let pass.
lintian --fail-on error --display-info "$deb" 2>&1 | grep -v '^running with root privileges'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || fail "lintian found errors (status $status)"

[ "$failures" -eq 0 ] && echo "package checks passed: $(basename "$deb")"
exit $((failures > 0))
