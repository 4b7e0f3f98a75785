#!/usr/bin/env bash
# Builds the program and runs its demo job in batch mode.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
./build/qumbra
