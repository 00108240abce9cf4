#!/bin/sh
# Builds the Release configuration, as packagers build it, into
# build-release/ with warnings as errors, runs the whole test suite on it,
# and runs every benchmark briefly: the figures that count come from Release.
#   BENCH_SECONDS=0.05 ./scripts/test-release.sh
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release -DVELNOOK_WERROR=ON
cmake --build build-release -j"$(nproc)"
(cd build-release && ctest --output-on-failure -j2)
for bench in dir_size_bench monitor_hour_bench log_write_bench config_screen_bench; do
  build-release/bench/$bench --benchmark_min_time="${BENCH_SECONDS:-0.05}"
done
# Archive's memory over a log of NUL bytes (ARCHIVE_MB, 600 for the full case).
build-release/bench/archive_memory_bench "${ARCHIVE_MB:-100}"
