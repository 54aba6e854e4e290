#!/usr/bin/env bash
# Installs what is missing, builds and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source tools/deps.sh
cv_install_missing

jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen

cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure -j "$jobs"

# The tag library once more under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build/sanitize -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCV_SANITIZE=ON -DCV_BUILD_BENCH=OFF
cmake --build build/sanitize -j "$jobs" --target cv_tag_tests
ctest --test-dir build/sanitize --output-on-failure -j "$jobs" -L tags
