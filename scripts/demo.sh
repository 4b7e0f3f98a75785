#!/usr/bin/env bash
# Builds the program and runs its demo job in batch mode (no display needed): the NC program of
# examples/ is cut on a box work and the cut work is saved as build/demo/pocket.dme.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
mkdir -p build/demo
./build/qumbra --demo examples build/demo
