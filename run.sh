#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
cv_install_missing

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target carvento-utilities

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "No display to show the window on: neither DISPLAY nor WAYLAND_DISPLAY is set." >&2
    echo "Start ./run.sh from a desktop session (or set QT_QPA_PLATFORM, e.g. to offscreen)." >&2
    exit 1
fi
exec ./build/carvento-utilities "$@"
