#!/bin/sh
# Reports the size of velnook.exe (as built and stripped) and the resident
# memory of the running program under Wine after 10 seconds of monitoring.
#   bench/measure_windows_program.sh build-win [wine]
set -e
BUILD=$(cd "$1" && pwd)
WINE=${2:-/usr/lib/wine/wine64}
EXE="$BUILD/velnook.exe"
HERE=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
x86_64-w64-mingw32-strip -o "$tmp/stripped.exe" "$EXE"
echo "velnook.exe: $(stat -c %s "$EXE") bytes as built, $(stat -c %s "$tmp/stripped.exe") stripped"
export WINEPREFIX="$tmp/prefix" WINEDEBUG=-all
mkdir -p "$tmp/work"
python3 - "$tmp/work" "$HERE/../platform/win32" <<'PY'
import sys
sys.path.insert(0, sys.argv[2])
sys.path.insert(0, sys.argv[2] + "/../linux")
from velnook_wine_test import prepare
prepare(sys.argv[1])
PY
display=:$((200 + $$ % 500))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
export DISPLAY="$display"
"$WINE" wineboot -i >/dev/null 2>&1
(cd "$tmp/work" && exec "$WINE" "$EXE") >/dev/null 2>&1 &
program=$!
sleep 10
grep -E "^(VmRSS|VmHWM)" "/proc/$program/status" | sed 's/^/velnook.exe under Wine: /'
kill "$program"
wait "$program" 2>/dev/null || true
"$(dirname "$WINE")/wineserver" -k 2>/dev/null || true
kill "$xvfb"
rm -rf "$tmp"
