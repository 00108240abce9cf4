#!/bin/sh
# Installs what is missing, builds, prepares the working directory "run/"
# (default settings, Log/, the desktop's download folder) and starts Velnook there.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOOK_WERROR=ON
cmake --build build -j"$(nproc)"
mkdir -p run
build/velnook-prepare run
cd run && exec ../build/velnook "$@"
