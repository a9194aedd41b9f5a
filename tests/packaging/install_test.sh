#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR, as a package build does, and checks that every
# file is there, under the prefix, that every icon loads in GNOME's and Qt's image loaders,
# and that the desktop entry, the icons and the AppStream metadata name one another correctly.
set -u
build=$1
app_id=$2
version=$3
image_sizes=$4  # prints each image's size as Qt reads it
python3=$5      # the system's, with GdkPixbuf's bindings
. "$(dirname "$0")/../support/checks.sh"

make_scratch

# install_to FOLDER PREFIX: installs into $scratch/FOLDER as DESTDIR and sets destdir to it.
install_to() {
  destdir=$scratch/$1
  if ! DESTDIR=$destdir cmake --install "$build" --prefix "$2" >"$scratch/install.log" 2>&1; then
    cat "$scratch/install.log"
    fail "cmake --install --prefix $2 failed"
  fi
}

# The value of KEY in the [Desktop Entry] group of a desktop file.
desktop_key() {
  sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$2"'=//p}' "$1"
}
# The text of the first <TAG ...>text</TAG> in an XML file.
xml_text() {
  sed -n 's:.*<'"$2"'[^>]*>\([^<]*\)</'"$2"'>.*:\1:p' "$1" | head -n 1
}

install_to usr-root /usr
usr=$destdir/usr
desktop=$usr/share/applications/$app_id.desktop
metainfo=$usr/share/metainfo/$app_id.metainfo.xml
hicolor=$usr/share/icons/hicolor
doc=$usr/share/doc/quellary

for file in "$usr/bin/quellary" "$desktop" "$metainfo" \
            "$usr/share/man/man6/quellary.6.gz" "$doc/copyright"; do
  [ -f "$file" ] || fail "not installed: ${file#"$destdir"}"
done
[ -x "$usr/bin/quellary" ] || fail "bin/quellary is not executable"

outside=$(find "$destdir" -mindepth 1 -maxdepth 1 ! -name usr)
[ -z "$outside" ] || fail "installed outside the prefix /usr: $outside"

# The icons: one at each size desktops ask for and a scalable one, drawn for 32 x 32. Each
# must load at its size in GdkPixbuf, which GNOME Shell draws icons with and which tells an
# SVG by its first bytes, and in Qt's image reader.
expected=$(for size in 16 22 24 32 48 64 128 256; do
             echo "${size}x$size $hicolor/${size}x$size/apps/$app_id.png"
           done; echo "32x32 $hicolor/scalable/apps/$app_id.svg")
mapfile -t icons < <(find "$hicolor" -type f)
gdk_pixbuf=$("$python3" - "${icons[@]}" 2>&1 <<'EOF'
import sys, gi
gi.require_version("GdkPixbuf", "2.0")
from gi.repository import GdkPixbuf, GLib
for path in sys.argv[1:]:
    try:
        pixbuf = GdkPixbuf.Pixbuf.new_from_file(path)
        print(f"{pixbuf.get_width()}x{pixbuf.get_height()} {path}")
    except GLib.Error as error:
        print(f"unreadable {path}: {error.message}")
EOF
)
qt=$("$image_sizes" "${icons[@]}" 2>&1)
for loader in gdk_pixbuf qt; do
  diff <(sort <<<"$expected") <(sort <<<"${!loader}") >"$scratch/$loader.diff" \
    || fail "the installed icons as $loader loads them (< expected, > loaded): $(cat "$scratch/$loader.diff")"
done

# The desktop entry starts the installed program and names the installed icons.
exec_line=$(desktop_key "$desktop" Exec)
program=${exec_line%% *}
[ -n "$program" ] && [ -x "$usr/bin/$program" ] || fail "Exec=$exec_line is not a program in bin/"
icon=$(desktop_key "$desktop" Icon)
[ "$icon" = "$app_id" ] || fail "Icon=$icon, the icons are named $app_id"

# The AppStream metadata: its id and launchable are the installed file names.
id=$(xml_text "$metainfo" id)
[ "$id.metainfo.xml" = "$(basename "$metainfo")" ] || fail "metainfo id $id does not match its file name"
launchable=$(xml_text "$metainfo" launchable)
[ -n "$launchable" ] && [ -f "$usr/share/applications/$launchable" ] \
  || fail "launchable '$launchable' is not an installed desktop entry"
release=$(sed -n 's:.*<release[^>]* version="\([^"]*\)".*:\1:p' "$metainfo" | head -n 1)
[ "$release" = "$version" ] || fail "the newest release in the metainfo is '$release', the version is $version"
# validate-tree also checks that the launchable and the icons are found in the tree.
if ! sh "$(dirname "$0")/appstream_check.sh" validate-tree "$destdir" >"$scratch/tree.log"; then
  cat "$scratch/tree.log"
  fail "appstreamcli validate-tree rejects the installed tree"
fi

# The licences: DEP-5 copyright naming the program's and the card artwork's.
head -n 1 "$doc/copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
  || fail "copyright is not in the machine-readable format"
grep -q '^License: GPL-3.0-or-later$' "$doc/copyright" || fail "copyright does not name the program's GPL-3.0-or-later"
grep -q '^Files: .*svg-standard' "$doc/copyright" && grep -q '^License: GPL-2.0-or-later$' "$doc/copyright" \
  || fail "copyright does not cover the card artwork (GPL-2.0-or-later)"
gzip -t "$usr/share/man/man6/quellary.6.gz" 2>/dev/null || fail "the manual page is not gzip"

# Another prefix lands under that prefix.
install_to opt-root /opt/quellary
[ -x "$destdir/opt/quellary/bin/quellary" ] || fail "--prefix /opt/quellary did not install bin/quellary there"
outside=$(find "$destdir" -mindepth 1 -maxdepth 1 ! -name opt)
[ -z "$outside" ] || fail "installed outside the prefix /opt/quellary: $outside"

passed "install checks passed"
