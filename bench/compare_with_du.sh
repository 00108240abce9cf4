#!/bin/sh
# Times one scan of the same trees by Velnook and by `du -sb`, side by side.
#   bench/compare_with_du.sh [build directory]
set -e
BUILD=${1:-build}
for sizes in "10000 100" "100000 1000"; do
  set -- $sizes
  TREE=$("$BUILD/bench/dir_scan_once" --make "$1" "$2")
  echo "== $1 files in $2 folders: $TREE"
  echo "velnook total: $("$BUILD/bench/dir_scan_once" "$TREE")  du -sb: $(du -sb --apparent-size "$TREE" | cut -f1)"
  hyperfine --warmup 3 --runs 20 -N \
    "$BUILD/bench/dir_scan_once $TREE" "du -sb $TREE"
done
