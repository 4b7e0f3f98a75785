#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer and runs each
# for a bounded time from its seed corpus (fuzz/corpus/<name>/). FUZZ_SECONDS sets the time per target.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${FUZZ_SECONDS:-20}"
jobs=$(nproc 2>/dev/null || echo 2)
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUMBRA_BUILD_FUZZ=ON \
  -DQUMBRA_SANITIZE=ON -DQUMBRA_BUILD_BENCH=OFF -DQUMBRA_BUILD_GUI=OFF >/dev/null
cmake --build build-fuzz -j"$jobs"
shopt -s nullglob
for exe in build-fuzz/fuzz/*_fuzz; do
  name=$(basename "$exe" _fuzz)
  work=$(mktemp -d)
  seeds=()
  if [ -d "fuzz/corpus/$name" ]; then seeds=("fuzz/corpus/$name"); fi
  echo "fuzzing $name for ${seconds}s"
  mkdir -p build-fuzz/artifacts
  "$exe" -max_total_time="$seconds" -rss_limit_mb=2048 -max_len=65536 -artifact_prefix=build-fuzz/artifacts/ \
    "$work" "${seeds[@]}" 2>"$work/log" || {
    tail -60 "$work/log"; echo "fuzz target $name failed"; exit 1; }
  grep -E '^Done|#[0-9]+.*DONE' "$work/log" | tail -1 || true
  rm -rf "$work"
done
