#!/usr/bin/env bash
# Installs the build into a scratch DESTDIR, as a package build does, and checks that it all
# lands under the prefix, that every icon loads in GNOME's and Qt's image loaders, and that
# the desktop entry and the AppStream metadata find the program and the icons.
set -u
build=$1
app_id=$2
image_sizes=$3  # prints each image's size as Qt reads it
python3=$4      # the system's, with GdkPixbuf's bindings
. "$(dirname "$0")/../support/checks.sh"

make_scratch

# It all lands under the prefix asked for, /usr last: the checks below look there.
for prefix in /opt/quellary /usr; do
  destdir=$scratch/${prefix//\//_}
  DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 \
    || { cat "$scratch/install.log"; fail "cmake --install --prefix $prefix failed"; }
  outside=$(find "$destdir" -mindepth 1 -maxdepth 1 ! -name "$(cut -d/ -f2 <<<"$prefix")")
  [ -z "$outside" ] && [ -x "$destdir$prefix/bin/quellary" ] \
    || fail "--prefix $prefix: no bin/quellary there, or files outside it: $outside"
done
usr=$destdir/usr
hicolor=$usr/share/icons/hicolor

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

# The desktop entry starts the installed program and names the installed icons; validate-tree
# checks that the metadata's launchable and icons are found in the tree.
desktop=$usr/share/applications/$app_id.desktop
key() { sed -n '/^\[Desktop Entry\]/,/^\[/{s/^'"$1"'=//p}' "$desktop"; }
exec_line=$(key Exec)
[ -x "$usr/bin/${exec_line%% *}" ] || fail "Exec=$exec_line is not a program in bin/"
[ "$(key Icon)" = "$app_id" ] || fail "Icon=$(key Icon), the icons are named $app_id"
if ! sh "$(dirname "$0")/appstream_check.sh" validate-tree "$destdir" >"$scratch/tree.log"; then
  cat "$scratch/tree.log"
  fail "appstreamcli validate-tree rejects the installed tree"
fi

passed "install checks passed"
