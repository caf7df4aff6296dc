#!/usr/bin/env bash
# Copies the plug-ins to the user's folders (building them first when they
# are missing): the LV2 bundle to ~/.lv2, where Ardour, Carla, Qtractor,
# jalv and other LV2 hosts find it, and the CLAP module with its resources
# folder to ~/.clap, where Bitwig, Reaper, Qtractor and other CLAP hosts
# find it.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -f build/QX-Crest.lv2/manifest.ttl ] && [ -f build/QX-Crest.clap ] || scripts/build.sh
dest="${LV2_INSTALL_DIR:-$HOME/.lv2}"
mkdir -p "$dest"
rm -rf "$dest/QX-Crest.lv2"
cp -r build/QX-Crest.lv2 "$dest/"
echo "installed $dest/QX-Crest.lv2"

clap="${CLAP_INSTALL_DIR:-$HOME/.clap}"
mkdir -p "$clap"
rm -rf "$clap/QX-Crest.clap" "$clap/QX-Crest.resources"
cp build/QX-Crest.clap "$clap/"
cp -r build/QX-Crest.resources "$clap/"
echo "installed $clap/QX-Crest.clap"
