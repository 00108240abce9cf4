#!/bin/sh
# Builds the whole test suite with AddressSanitizer and UndefinedBehaviorSanitizer
# into build-asan/ and runs it there. Any report fails the run.
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
root=$(pwd)
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELNOOK_BUILD_BENCH=OFF \
  -DVELNOOK_WERROR=ON -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
cmake --build build-asan -j"$(nproc)"
# Leaks are checked; the suppressions name only third-party libraries.
ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
LSAN_OPTIONS="suppressions=$root/scripts/lsan-suppressions.txt:print_suppressions=0"
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export ASAN_OPTIONS LSAN_OPTIONS UBSAN_OPTIONS
cd build-asan && ctest --output-on-failure -j2
