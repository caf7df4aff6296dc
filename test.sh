#!/usr/bin/env bash
# Installs the dependencies, builds, and runs the whole suite (under a
# virtual X display, so that the GL tests run too).
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
scripts/build.sh
cd build
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j"$(nproc)"
