#!/usr/bin/env bash
# Copies the VST3 bundle to ~/.vst3 (building it first when it is missing),
# where Ardour, Bitwig Studio, Reaper, Qtractor and other VST3 hosts find it.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/QX-Crest.vst3/Contents/x86_64-linux/QX-Crest.so ] || scripts/build.sh
dest="${VST3_INSTALL_DIR:-$HOME/.vst3}"
mkdir -p "$dest"
rm -rf "$dest/QX-Crest.vst3"
cp -r build/QX-Crest.vst3 "$dest/"
echo "installed $dest/QX-Crest.vst3"
