#!/bin/sh
# Installs what is missing, builds, and makes the Debian package
# build/velnook_<version>_<arch>.deb; install it with
#   sudo apt-get install ./build/velnook_*.deb
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOOK_WERROR=ON
cmake --build build -j"$(nproc)"
rm -f build/velnook_*.deb
cd build && cpack -G DEB
ls -l velnook_*.deb
