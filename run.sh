#!/usr/bin/env bash
# Installs what is missing, builds, and opens Zelkor. When the simulated
# collar is built, it is started on a pseudo-terminal and COM1 points at it.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh
cmake -G Ninja -S . -B build
cmake --build build

bin="$PWD/build/bin"
run_dir="${XDG_RUNTIME_DIR:-/tmp}/zelkor-$$"
mkdir -p "$run_dir"
sim_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$run_dir"
}
trap cleanup EXIT

if "$bin/collar-sim" --help >/dev/null 2>&1; then
  state="${ZELKOR_SIM_STATE:-$HOME/.local/share/Nalvik, Inc/Zelkor/collar-sim.state}"
  mkdir -p "$(dirname "$state")"
  "$bin/collar-sim" --link "$run_dir/collar" --state "$state" > "$run_dir/sim.out" &
  sim_pid=$!
  for _ in $(seq 50); do
    grep -q '^ready' "$run_dir/sim.out" 2>/dev/null && break
    sleep 0.1
  done
  export ZELKOR_COM1="$run_dir/collar"
  echo "Simulated collar on COM1 ($ZELKOR_COM1)"
fi

"$bin/zelkor" "$@"
