#!/usr/bin/env bash
# Builds the program and runs its demo job in batch mode (no display needed): "qumbra -X6" cuts the
# NC program of examples/ on a box work with the demo's tool table, controller and machine, records
# the run in the macro log build/demo/qumbra.log (the run's alarms appended as "(NC line) - text";
# "alarm.txt" holds the NC alarms when the program raised any) and saves the cut work as
# build/demo/pocket.dme.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
rm -rf build/demo
mkdir -p build/demo
cp examples/qumbra.ini examples/demo.ttl examples/fanuc_demo.ctl examples/vmc3.mtl examples/pocket.nc build/demo/
cd build/demo
status=0
../qumbra -Iqumbra.ini -X6 "-D(100,80,0,0,0,-25)" -Opocket.dme pocket.nc || status=$?
echo "qumbra -X6 exited with $status"
echo "macro log (build/demo/qumbra.log):"
cat qumbra.log
if [ -f alarm.txt ]; then echo "NC alarms (build/demo/alarm.txt):"; cat alarm.txt; fi
if [ -f pocket.dme ]; then echo "cut work: build/demo/pocket.dme"; else echo "no cut work was saved"; status=1; fi
exit "$status"
