#!/usr/bin/env bash
# Builds the program and runs every test, then runs them again in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, and runs the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
bash scripts/build.sh build
(cd build && ctest --output-on-failure -j"$jobs")
bash scripts/build.sh build-asan -DQUMBRA_SANITIZE=ON -DQUMBRA_BUILD_BENCH=OFF
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j"$jobs")
bash scripts/fuzz.sh
