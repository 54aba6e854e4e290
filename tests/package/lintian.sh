#!/bin/sh
# Builds the Debian package into a temporary folder and has lintian check it: no error and
# no warning may be left.
# Usage: lintian.sh BUILD_FOLDER
set -eu
build=$1

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$scratch" >"$scratch/cpack.log" 2>&1 \
    || { cat "$scratch/cpack.log"; echo "FAIL: cpack did not build the package" >&2; exit 1; }
# Root may run lintian only when it says so; the checks are the same.
lintian --allow-root --fail-on error,warning --display-info "$scratch"/*.deb
echo "lintian ok"
