#!/usr/bin/env bash
# Checks the include graph against the layers, builds the program and runs every test, then runs them
# again in a build with AddressSanitizer and UndefinedBehaviorSanitizer, and runs the fuzz targets for
# a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
logs=$(mktemp -d)
bash scripts/check_includes.sh
# The tests run with a temporary folder of their own, which must be empty again when they end.
scratch=$(mktemp -d)
check_scratch() {
  if [ -n "$(ls -A "$scratch")" ]; then
    echo "the tests left files in the temporary folder:"; ls -A "$scratch" | head -20; exit 1
  fi
}
bash scripts/build.sh build
(cd build && TMPDIR="$scratch" ctest --output-on-failure -j"$jobs") | tee "$logs/plain.log"
check_scratch
bash scripts/build.sh build-asan -DQUMBRA_SANITIZE=ON -DQUMBRA_BUILD_BENCH=OFF
(cd build-asan && TMPDIR="$scratch" ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs") | tee "$logs/asan.log"
check_scratch
rmdir "$scratch"
bash scripts/fuzz.sh
# One closing line for both test runs (each ctest run above stops the script when a test fails).
total=0
for log in "$logs/plain.log" "$logs/asan.log"; do
  count=$(sed -n 's/.*tests passed, 0 tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
  total=$((total + ${count:-0}))
done
rm -rf "$logs"
echo "tests: $total passed, 0 failed"
