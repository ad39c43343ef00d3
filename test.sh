#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the
# main build, the core and its tests again under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/), and the fuzz target.
# Arguments go to the main build's ctest (for example -L integrity).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
jobs="$(nproc)"

cmake -G Ninja -S . -B build
cmake --build build

# The sanitizer build: the core, the programs without windows, the calendar
# control, and their tests.
cmake -G Ninja -S . -B build-asan -DZELKOR_SANITIZE=ON -DZELKOR_BUILD_GUI=OFF -DZELKOR_BUILD_CALENDAR=ON \
  -DZELKOR_BUILD_BENCHMARKS=OFF
cmake --build build-asan

./fuzz/run.sh

status=0
ctest --test-dir build --output-on-failure -j "$jobs" "$@" || status=1
echo "== the core, the programs and the calendar control under AddressSanitizer and UndefinedBehaviorSanitizer =="
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs" || status=1
exit "$status"
