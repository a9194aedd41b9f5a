#!/usr/bin/env bash
# Checks the .deb that "make package" makes: what it depends on, that its desktop entry
# starts the program, its AppStream metadata, and lintian with every tag shown: no error, no
# warning, no override.
set -u
deb=$1
app_id=$2
. "$(dirname "$0")/../support/checks.sh"
[ -f "$deb" ] || { echo "FAIL: no package at $deb"; exit 1; }

make_scratch

# What debian/rules adds that neither dpkg-shlibdeps nor lintian can see, named by the
# packages that hold the files here, whatever this release calls them: the deck the card
# pictures are drawn from (its source, at the version built with), and the font and Qt's SVG
# image plugin, which draws the cards at scales other than 1x and 2x.
owner() { dpkg-query -S "$1" | cut -d: -f1; }
built_using=$(dpkg-query -W -f='${source:Package} (= ${source:Version})' "$(owner /usr/share/carddecks/svg-standard/standard.svgz)")
[ "$(dpkg-deb -f "$deb" Built-Using)" = "$built_using" ] || fail "Built-Using is not $built_using"
depends=$(dpkg-deb -f "$deb" Depends)
for package in fonts-liberation2 "$(owner '*/qt6/plugins/imageformats/libqsvg.so')"; do
  [[ ", $depends," == *", $package"[\ ,]* ]] || fail "Depends lacks $package: $depends"
done

# The desktop entry starts the program by name, in /usr/games as the games section wants,
# which is on the PATH Debian gives every user.
root=$scratch/root
dpkg-deb -x "$deb" "$root"
exec_line=$(sed -n '/^\[Desktop Entry\]/,/^\[/{s/^Exec=//p}' "$root/usr/share/applications/$app_id.desktop")
user_path=$(sed -n 's/^ENV_PATH[[:space:]]*PATH=//p' /etc/login.defs)
[ -x "$root/usr/games/${exec_line%% *}" ] && [[ ":$user_path:" == *:/usr/games:* ]] \
  || fail "Exec=$exec_line is not a program in /usr/games, on the users' PATH ($user_path)"
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
