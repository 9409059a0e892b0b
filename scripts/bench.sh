#!/usr/bin/env bash
# Builds the timing programs in Release and runs them offscreen on generated
# 12 MB images: refresh cycle, painted cell, page step, CharMap roll, True Char
# Map (bench_redraw); Open and peak memory (bench_open); start-up (bench_startup);
# the font finder's scan in every format (bench_font_scan); the PNG sheet
# export and import of 4096 characters (bench_exchange); `velmora export` of such a sheet as a
# whole process (bench_cli_export); comparing with a reference and applying 1 MB of changes as a
# patch (bench_patch).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DVELMORA_TESTS=OFF >/dev/null
cmake --build build-bench -j"$(nproc)" --target bench_redraw bench_open bench_startup bench_font_scan bench_exchange bench_cli_export bench_patch
export QT_QPA_PLATFORM=offscreen
./build-bench/bench/bench_redraw
./build-bench/bench/bench_open
./build-bench/bench/bench_startup 20
./build-bench/bench/bench_font_scan
./build-bench/bench/bench_exchange
./build-bench/bench/bench_cli_export
./build-bench/bench/bench_patch
