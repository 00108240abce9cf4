#!/bin/sh
# Installs what is missing, builds, and runs the whole test suite.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOOK_WERROR=ON
cmake --build build -j"$(nproc)"
cd build && ctest --output-on-failure -j2
