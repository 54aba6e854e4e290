#!/usr/bin/env bash
# Installs what is missing, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
cv_install_missing

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target carvento-utilities

# Without a graphical session the program says so itself and exits with status 1.
exec ./build/carvento-utilities "$@"
