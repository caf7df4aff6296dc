#!/usr/bin/env bash
# Configures and builds everything: scripts/build.sh [FOLDER] [CMAKE OPTION...]
# (the folder defaults to build/; the options go to the configure step).
set -euo pipefail
cd "$(dirname "$0")/.."
dir=build
if (($#)) && [[ $1 != -* ]]; then
  dir=$1
  shift
fi
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" -j"$(nproc)"
