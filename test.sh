#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -G Ninja -S . -B build
cmake --build build
./fuzz/run.sh
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build --output-on-failure -j "$(nproc)" "$@"
