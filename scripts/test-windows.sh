#!/bin/sh
# Installs what is missing, cross-builds the Windows program and tests with
# MinGW-w64 into build-win/, and runs the tests under Wine in a prefix of
# its own that is thrown away afterwards.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
# With the Linux program at hand (scripts/test.sh builds it), a Wine master
# also runs beside a native slave.
linux_build=""
[ -x build/velnook ] && linux_build="$(pwd)/build"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOOK_WERROR=ON -DVELNOOK_LINUX_BUILD="$linux_build"
cmake --build build-win -j2

WINEPREFIX=$(mktemp -d /tmp/velnook-wine-XXXXXX)
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG
WINE=$(grep '^VELNOOK_WINE:' build-win/CMakeCache.txt | cut -d= -f2)
WINESERVER="$(dirname "$WINE")/wineserver"
cleanup() {
  "$WINESERVER" -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
}
trap cleanup EXIT INT TERM
# One server for every test program, and the prefix made once up front,
# on a display: booted without one, its desktop can give later programs no
# windows.
"$WINESERVER" -p
xvfb-run -a -s "-nolisten tcp -noreset" "$WINE" wineboot -i >/dev/null 2>&1
status=0
# Now and then Wine fails to start a test program at all (no output, no
# test run); such a test gets one more try, a failing test fails twice.
(cd build-win && ctest --output-on-failure -j2 --repeat until-pass:2) || status=$?
exit $status
