#!/bin/sh
# A second build of the page, in a folder of its own, gives the same bytes.
# usage: reproducible_test.sh PAGE FOLDER CONFIGURE...
set -eu
page=$1 again=$2
shift 2
rm -rf "$again"
"$@" -B "$again" -DQUELLARY_PAGE="$again/quellary.html" >"$again.log" 2>&1
cmake --build "$again" >>"$again.log" 2>&1 || { cat "$again.log"; exit 1; }
cmp "$page" "$again/quellary.html"
rm -rf "$again"
