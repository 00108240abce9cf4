#!/bin/sh
# Fails when files that builds and test runs make (Python byte code) are
# tracked by git, or would not be ignored when they appear.
cd "$(dirname "$0")/.." || exit 1
tracked=$(git ls-files -- '*.pyc' '*/__pycache__/*')
if [ -n "$tracked" ]; then
  echo "generated files are tracked:"
  echo "$tracked"
  exit 1
fi
for f in platform/linux/__pycache__/program_test_support.cpython-311.pyc bench/x.pyc; do
  git check-ignore -q --no-index "$f" || { echo "not ignored: $f"; exit 1; }
done
