#!/usr/bin/env bash
# Installs what is missing, builds build/velmora, writes the demo folder and
# starts the editor there on the demo image.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF
cmake --build build -j"$(nproc)" --target velmora make_demo
./build/make_demo build/demo
cd build/demo
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the editor under xvfb-run." >&2
  exec xvfb-run -a ../velmora demo_phone.bin
fi
exec ../velmora demo_phone.bin
