#!/usr/bin/env bash
# Runs the store benchmarks on SQLite and on a throwaway PostgreSQL server
# (started and removed here, as the tests do).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
bin="${1:-$here/build/bin}"
state=$(mktemp)
trap '"$here/tests/store/pg_cluster.sh" stop "$state"' EXIT
"$here/tests/store/pg_cluster.sh" start "$state" >/dev/null
ZELKOR_BENCH_PG=$(sed -n 's/^URL=//p' "$state") "$bin/zelkor_bench" --benchmark_filter='Store|Season|Sqlite|Postgres'
