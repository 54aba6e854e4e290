#!/bin/sh
# Builds the Debian package into a temporary folder and checks what it installs.
# Usage: debian_package.sh BUILD_FOLDER VERSION APP_ID SOURCE_FOLDER
set -eu
build=$1 version=$2 id=$3 source=$4

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; fail "cpack did not build the package"; }
deb=$scratch/carvento-utilities_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || { ls "$scratch"; fail "no package named $(basename "$deb")"; }

dpkg-deb -c "$deb" >"$scratch/contents"
cat "$scratch/contents"
for path in \
    "-rwxr-xr-x ./usr/bin/carvento-utilities" \
    "-rw-r--r-- ./usr/share/applications/$id.desktop" \
    "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/$id.svg" \
    "-rw-r--r-- ./usr/share/metainfo/$id.metainfo.xml" \
    "-rw-r--r-- ./usr/share/doc/carvento-utilities/README.md" \
    "-rw-r--r-- ./usr/share/doc/carvento-utilities/copyright" \
    "-rw-r--r-- ./usr/share/doc/carvento-utilities/changelog.gz" \
    "-rw-r--r-- ./usr/share/man/man1/carvento-utilities.1.gz"; do
    mode=${path%% *} file=${path#* }
    awk -v mode="$mode" -v file="$file" '$1 == mode && $6 == file { found = 1 } END { exit !found }' \
        "$scratch/contents" || fail "$file with mode $mode is not in the package"
done

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = carvento-utilities ] || fail "package name $(field Package)"
[ "$(field Version)" = "$version" ] || fail "version $(field Version)"
[ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ] || fail "maintainer or description missing"
depends=$(field Depends)
echo "Depends: $depends"
# Found by dpkg-shlibdeps, and the plugins it cannot see.
for package in libqt6widgets6 libc6 qt6-qpa-plugins libqt6svg6 qt6-translations-l10n; do
    echo "$depends" | grep -q "\b$package\b" || fail "$package is not a dependency"
done

dpkg-deb -x "$deb" "$scratch/root"
grep -qx "Exec=/usr/bin/carvento-utilities %f" "$scratch/root/usr/share/applications/$id.desktop" \
    || fail "the desktop entry does not start /usr/bin/carvento-utilities with the file"
grep -q "<release version=\"$version\"" "$scratch/root/usr/share/metainfo/$id.metainfo.xml" \
    || fail "the metainfo names no release $version"
# One spelling of the program's web page: the program's own, in the package and the metainfo.
web=$(sed -n 's/.*WebPage\[\] = "\(.*\)";.*/\1/p' "$source/update/addresses.h")
[ -n "$web" ] || fail "no web page address in update/addresses.h"
[ "$(field Homepage)" = "$web" ] || fail "Homepage $(field Homepage) is not $web"
metainfo=$scratch/root/usr/share/metainfo/$id.metainfo.xml
grep -q "<url type=\"homepage\">$web</url>" "$metainfo" || fail "the metainfo's homepage is not $web"
grep -o "https\?://[^<]*" "$metainfo" | grep -v "^$web" | grep -v "^https://www.debian.org" \
    && fail "the metainfo spells the web page otherwise"
grep -q "<update_contact>" "$metainfo" || fail "the metainfo names no contact"
# The manual page and the changelog name the version packaged.
gzip -dc "$scratch/root/usr/share/man/man1/carvento-utilities.1.gz" | grep -q "Carvento Utilities $version" \
    || fail "the manual page names another version"
gzip -dc "$scratch/root/usr/share/doc/carvento-utilities/changelog.gz" | head -1 | grep -q "($version)" \
    || fail "the changelog names another version"
echo "package ok"
