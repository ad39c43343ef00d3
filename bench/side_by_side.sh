#!/usr/bin/env bash
# Two resets and two offloads at once on two simulated collars sharing one
# data folder, 20 rounds each (the test suite runs 3), and Ctrl+C and
# SIGTERM just before the erase, 4 times each. Needs a build in build/.
set -euo pipefail
cd "$(dirname "$0")/.."
ZELKOR_SIDE_RUNS="${ZELKOR_SIDE_RUNS:-20}" build/bin/integrity_tests --gtest_filter='SideBySide.*'
build/bin/integrity_tests --gtest_filter='Stop/StopPoints.*JustBeforeTheErase*' --gtest_repeat=4
