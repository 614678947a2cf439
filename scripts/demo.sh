#!/usr/bin/env bash
# Builds the library and qx-replay, then replays the shipped sample market data through the C
# interface and prints the per-instrument summary. Extra arguments go to qx-replay
# (for example: --json summary.json).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/ensure_packages.sh
ensure_packages cmake make g++ libtomlplusplus-dev nlohmann-json3-dev

cmake -S . -B build/release -DCMAKE_BUILD_TYPE=Release -DQX_BUILD_TESTS=OFF -DQX_BUILD_BENCH=OFF \
    >/dev/null
cmake --build build/release -j"$(nproc)" --target qx-replay
./build/release/tools/qx-replay "$@" samples/market_data
