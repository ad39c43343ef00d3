#!/usr/bin/env bash
# The fault campaign: 48 offloads of a 20-fix simulated collar under
# --corrupt 0.01 with --reset, 48 under --corrupt 0.01 without (the runs
# whose damage passes the one-byte sum must be caught by the confirming
# read), and 48 under --drop 0.01 without. Each run
# must leave nothing wrong behind (see tests/integrity); the tallies show how
# many erased, succeeded and failed safely.
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/bin}"
ZELKOR_FAULT_RUNS="${ZELKOR_FAULT_RUNS:-48}" "$bin/integrity_tests" --gtest_filter='FaultMatrix.*'
