#!/usr/bin/env bash
# Builds scripts/make-pictures.cpp and draws the editor's pictures into
# resources/img (needs g++, libfreetype-dev, libpng-dev, fonts-dejavu-core).
set -euo pipefail
cd "$(dirname "$0")/.."
tool="$(mktemp -d)/make-pictures"
trap 'rm -rf "$(dirname "$tool")"' EXIT
g++ -std=c++17 -O2 -Wall -Wextra -o "$tool" scripts/make-pictures.cpp \
  $(pkg-config --cflags --libs freetype2 libpng)
mkdir -p resources/img
"$tool" resources/img
