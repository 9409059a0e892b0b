#!/usr/bin/env bash
# Installs what building, running and testing the editor need on Debian 12, skipping what is there.
set -euo pipefail
# clang and libclang-rt-14-dev (libFuzzer) build the fuzz targets; desktop-file-utils checks the desktop entry;
# fonts-dejavu-core gives the font-import test a TrueType font; zlib1g-dev gives patches their CRC-32;
# dpkg-dev (dpkg-shlibdeps) lets cpack work out the Debian package's dependencies. The font finder's test
# images are made of real fonts (fonts-liberation, console-setup-linux, xfonts-base) among ARM code
# (libc6-armhf-cross); zlib reads their gzipped files and writes deflate streams.
packages=(cmake make g++ qt6-base-dev libgl-dev zlib1g-dev xvfb xauth clang libclang-rt-14-dev desktop-file-utils fonts-dejavu-core
  dpkg-dev fonts-liberation console-setup-linux xfonts-base libc6-armhf-cross)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
