#!/bin/sh
# Times one full walk of the same trees by Velnook, on two threads as the
# program walks and on one, and by `du -sb`, side by side (target: the two
# threads at most 0.8x du's time).
#   bench/compare_with_du.sh [build directory]
set -e
BUILD=${1:-build}
for sizes in "10000 100" "100000 1000"; do
  set -- $sizes
  TREE=$("$BUILD/bench/dir_scan_once" --make "$1" "$2")
  echo "== $1 files in $2 folders: $TREE"
  echo "velnook total: $("$BUILD/bench/dir_scan_once" "$TREE")  du -sb: $(du -sb --apparent-size "$TREE" | cut -f1)"
  hyperfine --warmup 3 --runs 20 -N \
    "$BUILD/bench/dir_scan_once $TREE 2" "$BUILD/bench/dir_scan_once $TREE 1" "du -sb $TREE"
done
