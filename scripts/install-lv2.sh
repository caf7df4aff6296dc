#!/usr/bin/env bash
# Copies the LV2 bundle to ~/.lv2 (building it first when it is missing),
# where Ardour, Carla, Qtractor, jalv and other LV2 hosts find it.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/QX-Crest.lv2/manifest.ttl ] || scripts/build.sh
dest="${LV2_INSTALL_DIR:-$HOME/.lv2}"
mkdir -p "$dest"
rm -rf "$dest/QX-Crest.lv2"
cp -r build/QX-Crest.lv2 "$dest/"
echo "installed $dest/QX-Crest.lv2"
