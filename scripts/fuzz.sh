#!/bin/sh
# Builds the libFuzzer targets into build-fuzz/ with clang and runs each for a
# bounded time on a scratch copy of its seed corpus, so the repository's corpus
# never grows. Prints each target's speed and executions; any finding fails.
#   FUZZ_SECONDS=60 ./scripts/fuzz.sh [target...]
set -e
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
seconds=${FUZZ_SECONDS:-60}
targets=${*:-"settings_reader_fuzz link_message_fuzz log_line_fuzz"}

cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
  -DVELNOOK_FUZZ=ON -DVELNOOK_WERROR=ON -DVELNOOK_BUILD_TESTS=OFF -DVELNOOK_BUILD_BENCH=OFF \
  -DVELNOOK_BUILD_GUI=OFF
# shellcheck disable=SC2086
cmake --build build-fuzz -j"$(nproc)" --target $targets

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
rm -rf build-fuzz/findings
mkdir -p build-fuzz/findings
status=0
summary=""
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
for t in $targets; do
  mkdir -p "$scratch/$t"
  cp -r "fuzz/corpus/$t/." "$scratch/$t/"
  echo "== $t: ${seconds}s"
  if ./build-fuzz/fuzz/"$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$scratch/$t-" "$scratch/$t" \
      >"$scratch/$t.log" 2>&1; then
    result=ok
  else
    result=FAILED
    status=1
    tail -n 60 "$scratch/$t.log"
    for f in "$scratch/$t"-*; do
      [ -e "$f" ] || continue
      cp "$f" build-fuzz/findings/
      echo "finding kept in build-fuzz/findings/$(basename "$f")"
    done
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$scratch/$t.log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$scratch/$t.log")
  line="$t: $result, ${runs:-?} executions, ${speed:-?} execs/s"
  echo "$line"
  summary="$summary$line
"
done
echo "== fuzzing summary (${seconds}s each)"
printf '%s' "$summary"
exit $status
