#!/usr/bin/env bash
# Installs every package the build, the tests and the demo need (Debian 12).
set -euo pipefail
SUDO=""
if [ "$(id -u)" != "0" ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends \
  build-essential cmake git pkg-config \
  libgtest-dev libgmock-dev googletest libbenchmark-dev \
  libpng-dev zlib1g-dev libwim-dev \
  libfltk1.3-dev libgl1-mesa-dev libglu1-mesa-dev libgl1-mesa-dri \
  clang libclang-rt-14-dev \
  xvfb xauth x11-utils imagemagick ffmpeg fonts-noto-cjk \
  admesh >/dev/null
