#!/bin/sh
# The layers of the program: cvcore links Qt Core and the tag library only, and the sources
# include nothing from a layer above their own.
#   layers.sh <source folder> <cvcore's link libraries> <cvcore's sources> <programs linking cvcore only>…
set -u
source_dir=$1
links=$2
sources=$3
shift 3
status=0
fail() {
    echo "FAIL: $*"
    status=1
}

# cvcore's own link line.
grep -q 'Qt6::Core' "$links" || fail "cvcore does not link Qt6::Core: $(cat "$links")"
for forbidden in Qt6::Gui Qt6::Widgets Qt6::Network cvplatform cvwidgets cvapp; do
    tr ';' '\n' <"$links" | grep -qx "$forbidden" && fail "cvcore links $forbidden"
done

# What the programs that link cvcore alone load: Qt Core and Qt Test, no other part of Qt.
[ $# -gt 0 ] || fail "no program to inspect"
for program in "$@"; do
    needed=$(readelf -d "$program" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    echo "$needed" | grep -q '^libQt6Core\.so' || fail "$(basename "$program") does not load Qt Core"
    other=$(echo "$needed" | grep '^libQt6' | grep -v '^libQt6Core\.so' | grep -v '^libQt6Test\.so')
    [ -z "$other" ] || fail "$(basename "$program") loads $(echo $other)"
done

# Includes: a source of cvcore includes only other sources of cvcore and the tag library;
# nothing under update/ or rename/ includes the main window's folder.
cd "$source_dir" || exit 1
core=$(sed "s#^$source_dir/##" "$sources" | grep .)
[ -n "$core" ] || fail "no source of cvcore listed"
for file in $core; do
    sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file" | grep -v '^tags/' | grep -vxF "$core" |
        while read -r header; do echo "FAIL: $file includes $header, which is not part of cvcore"; done | grep . && status=1
    grep -n '^#include <Qt\(Gui\|Widgets\|Network\)\|^#include <Q\(Widget\|Dialog\|Application\|GuiApplication\|Icon\|Color\|Pixmap\)>' "$file" &&
        fail "$file includes a header of Qt beyond Core"
done
for file in update/* rename/*; do
    grep -n '^#include "main/' "$file" && fail "$file includes the main window's folder"
done
[ $status -eq 0 ] && echo "cvcore: Qt Core and the tag library only; no include reaches up"
exit $status
