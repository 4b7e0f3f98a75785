#!/usr/bin/env bash
# Makes the README's picture docs/demo_view.png: the demo of examples/ (a copy in build/screenshot/)
# cut in the program's window on a virtual X display, and the view saved by the program itself with its
# image-save command, sent by the macro line SAVE_IMAGE. Needs xvfb-run; not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
rm -rf build/screenshot
mkdir -p build/screenshot
cp examples/qumbra.ini examples/demo.ttl examples/fanuc_demo.ctl examples/vmc3.mtl examples/pocket.nc build/screenshot/
cd build/screenshot
cat > screenshot.mac <<'MACRO'
# Cut the demo program on the box work of the command line, show the result, save the view.
SELECT_NCDATA pocket.nc
CUT(RESULT)
SLEEP 1500
SAVE_IMAGE demo_view.png
EXIT
MACRO
status=0
timeout 300 xvfb-run -a -s "-screen 0 1024x768x24" \
    ../qumbra -Iqumbra.ini "-D(100,80,0,0,0,-25)" screenshot.mac || status=$?
echo "qumbra exited with $status"
if [ ! -f demo_view.png ]; then echo "the program saved no picture"; exit 1; fi
cp demo_view.png ../../docs/demo_view.png
echo "picture: docs/demo_view.png ($(stat -c %s ../../docs/demo_view.png) bytes)"
