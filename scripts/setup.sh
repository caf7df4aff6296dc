#!/usr/bin/env bash
# Installs what building, running and testing QX Crest needs (Debian).
set -euo pipefail

packages=(
  build-essential cmake pkg-config clang-tidy clang-format
  dpf-source libglew-dev libglu1-mesa-dev libgl-dev libx11-dev libxext-dev libgl1-mesa-dri
  libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libsndfile1-dev nlohmann-json3-dev libcli11-dev
  libgtest-dev libbenchmark-dev libfftw3-dev
  xvfb xauth x11-utils
  lv2-dev sordi lilv-utils liblilv-dev
  jalv jackd2 libjack-jackd2-dev pipewire-bin pipewire-jack sndfile-tools netpbm x11-apps
  lsp-plugins-lv2 x42-plugins zam-plugins qtractor
  libavcodec-dev libavformat-dev libavutil-dev libswscale-dev libswresample-dev ffmpeg
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
