#!/bin/sh
# Runs the real program under a private X server for a minute against a
# quiet download folder of 10,000 files (or FILES, 100 a folder) and reports
# its resident memory and the share of one core it used once the baseline
# is taken (target on 300,000 files: under 0.3% and 80 MB).
# Usage: measure_program.sh BUILD_DIR [SECONDS] [FILES]
set -e
build=$(cd "$1" && pwd)
seconds=${2:-60}
files=${3:-10000}
work=$(mktemp -d)
trap 'kill $pid $xvfb 2>/dev/null; rm -rf "$work"' EXIT
"$build/velnook-prepare" "$work" >/dev/null
mkdir -p "$work/tree"
python3 - "$work/tree" "$files" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(int(sys.argv[2]) // 100):
    os.makedirs(f"{root}/d{d // 100}/e{d}", exist_ok=True)
    for f in range(100):
        with open(f"{root}/d{d // 100}/e{d}/f{f}", "wb") as out:
            out.write(b"x" * (f * 37 % 4096))
PY
# Monitor the tree, shown in a normal window, never counting down meanwhile.
sed -i -e "s|^DPath=.*|DPath=$work/tree\\\\\r|" -e 's/^StartMin=2/StartMin=1/' \
    -e 's/^DownDelay=.*/DownDelay=600\r/' "$work/Data/Velnook.ini"
display=$((200 + $$ % 5000))
Xvfb :$display -nolisten tcp -screen 0 1024x768x24 2>/dev/null &
xvfb=$!
sleep 1
(cd "$work" && DISPLAY=:$display HOME=$work exec "$build/velnook" -AllowMulti) &
pid=$!
# The start delay, then the baseline walk of the whole tree.
sleep $((5 + files / 10000))
ticks=$(getconf CLK_TCK)
cpu0=$(awk '{print $14 + $15}' /proc/$pid/stat)
sleep "$seconds"
cpu1=$(awk '{print $14 + $15}' /proc/$pid/stat)
rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
echo "resident memory: $((rss / 1024)) MB ($rss kB)"
awk -v c=$((cpu1 - cpu0)) -v t="$ticks" -v s="$seconds" \
    'BEGIN {printf "cpu: %.2f s in %d s = %.2f%% of one core\n", c / t, s, 100 * c / t / s}'
