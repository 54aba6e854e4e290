#!/usr/bin/env bash
# Installs what is missing, builds (warnings are errors) and runs every test; then builds
# everything once more with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test there too.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
cv_install_missing

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCV_WERROR=ON
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# The package tests say nothing new under the sanitizers; the benchmarks are not tests.
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCV_SANITIZE=ON -DCV_WERROR=ON \
    -DCV_BUILD_BENCH=OFF -DCV_INSTALL=OFF
cmake --build build/sanitize -j "$jobs"
ctest --test-dir build/sanitize --output-on-failure -j "$jobs"
