#!/usr/bin/env bash
# Installs what is missing, builds build/velmora and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF
cmake --build build -j"$(nproc)" --target velmora
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting the editor under xvfb-run." >&2
  exec xvfb-run -a ./build/velmora
fi
exec ./build/velmora
