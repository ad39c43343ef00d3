#!/usr/bin/env bash
# Benchmark: a paced offload of 1000 blocks from the simulated collar at
# 4800 baud 8N2, through zelkor-cli and nvk_xmodem. Reports the payload rate
# against the line limit of 4800 / 11 bytes per second.
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/bin}"
work=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/collar-sim" --link "$work/collar" --state "$work/state.bin" --fixes 1000 --pace > "$work/sim.out" &
sim=$!
for _ in $(seq 100); do grep -q ready "$work/sim.out" 2>/dev/null && break; sleep 0.05; done
start=""
while IFS= read -r line; do
  now=$(date +%s.%N)
  case "$line" in
    "Requesting GPS data"*) start=$now ;;
  esac
  end=$now
done < <(ZELKOR_COM1="$work/collar" "$bin/zelkor-cli" offload --port 1 --out bench --data-dir "$work/data" 2>&1)
payload=$((1000 * 32 + 64))
python3 - "$start" "$end" "$payload" <<'PY'
import sys
start, end, payload = float(sys.argv[1]), float(sys.argv[2]), int(sys.argv[3])
seconds = end - start
rate = payload / seconds
limit = 4800 / 11
print(f"paced offload of 1000 blocks: {payload} bytes in {seconds:.1f} s = {rate:.1f} B/s, "
      f"{100 * rate / limit:.1f} % of the line limit ({limit:.1f} B/s; XMODEM's ceiling is {100 * 128 / 132:.1f} %)")
PY
