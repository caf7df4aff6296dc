#!/usr/bin/env bash
# Installs the plug-in for this user, in every format or in those named:
#   scripts/install.sh [lv2] [clap] [vst3]
# ~/.lv2 (Ardour, Carla, Qtractor, jalv), ~/.clap (Bitwig Studio, Reaper,
# Qtractor, Zrythm), ~/.vst3 (Ardour, Bitwig Studio, Reaper, Qtractor).
# Builds first when a bundle is missing. LV2_INSTALL_DIR, CLAP_INSTALL_DIR
# and VST3_INSTALL_DIR choose other folders.
set -euo pipefail
cd "$(dirname "$0")/.."

formats=("$@")
((${#formats[@]})) || formats=(lv2 clap vst3)

# Copies build/NAME beside the installed one under a temporary name, then
# puts it in its place: a copy that fails leaves the earlier install whole.
place() {
  local name=$1
  local tmp="$dest/.$name.installing"
  if [ ! -e "build/$name" ]; then
    echo "install.sh: build/$name was not built" >&2
    exit 1
  fi
  rm -rf "$tmp"
  if ! cp -r "build/$name" "$tmp"; then
    rm -rf "$tmp"
    echo "install.sh: cannot copy build/$name to $dest; $dest/$name is as it was" >&2
    exit 1
  fi
  rm -rf "${dest:?}/$name"
  mv "$tmp" "$dest/$name"
}

for format in "${formats[@]}"; do
  extra=""
  case $format in
    lv2) bundle=QX-Crest.lv2 built=build/QX-Crest.lv2/manifest.ttl dest=${LV2_INSTALL_DIR:-$HOME/.lv2} ;;
    # The CLAP module finds its pictures, font and manual in the folder beside it.
    clap) bundle=QX-Crest.clap built=build/QX-Crest.clap dest=${CLAP_INSTALL_DIR:-$HOME/.clap}
      extra=QX-Crest.resources ;;
    vst3) bundle=QX-Crest.vst3 built=build/QX-Crest.vst3/Contents/x86_64-linux/QX-Crest.so
      dest=${VST3_INSTALL_DIR:-$HOME/.vst3} ;;
    *) echo "install.sh: no format $format (lv2, clap, vst3)" >&2; exit 2 ;;
  esac
  if [ ! -e "$built" ] || { [ -n "$extra" ] && [ ! -e "build/$extra" ]; }; then
    scripts/build.sh
  fi
  mkdir -p "$dest"
  place "$bundle"
  [ -z "$extra" ] || place "$extra"
  echo "installed $dest/$bundle"
done
