#!/bin/sh
# Builds the Debian package into a temporary folder and checks what it installs.
# Usage: debian_package.sh BUILD_FOLDER VERSION APP_ID
set -eu
build=$1 version=$2 id=$3

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
    "-rw-r--r-- ./usr/share/doc/carvento-utilities/README.md"; do
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
for package in libqt6widgets6 libc6 qt6-qpa-plugins libqt6svg6; do
    echo "$depends" | grep -q "\b$package\b" || fail "$package is not a dependency"
done

dpkg-deb -x "$deb" "$scratch/root"
grep -qx "Exec=/usr/bin/carvento-utilities %f" "$scratch/root/usr/share/applications/$id.desktop" \
    || fail "the desktop entry does not start /usr/bin/carvento-utilities with the file"
grep -q "<release version=\"$version\"" "$scratch/root/usr/share/metainfo/$id.metainfo.xml" \
    || fail "the metainfo names no release $version"
echo "package ok"
