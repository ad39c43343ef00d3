#!/usr/bin/env bash
# Benchmark: a paced offload of 1000 blocks from the simulated collar at
# 4800 baud 8N2, through zelkor-cli and nvk_xmodem. Reports the payload rate
# against the line limit of 4800 / 11 bytes per second. With --reset the
# offload also erases the collar, and the confirming second read is timed
# on its own.
set -euo pipefail
bin="$(dirname "$0")/../build/bin"
reset=""
for a in "$@"; do
  case "$a" in
    --reset) reset="--reset" ;;
    *) bin="$a" ;;
  esac
done
work=$(mktemp -d)
trap 'kill $sim 2>/dev/null || true; rm -rf "$work"' EXIT
"$bin/collar-sim" --link "$work/collar" --state "$work/state.bin" --fixes 1000 --pace > "$work/sim.out" &
sim=$!
for _ in $(seq 100); do grep -q ready "$work/sim.out" 2>/dev/null && break; sleep 0.05; done
reads=()
ends=()
while IFS= read -r line; do
  now=$(date +%s.%N)
  case "$line" in
    "Requesting GPS data"*) reads+=("$now") ;;
    "Reset DataPointer: GPS data was successfully received"*) ends+=("$now") ;;
    "Data Erased"*) ends+=("$now") ;;
  esac
  last=$now
done < <(ZELKOR_COM1="$work/collar" "$bin/zelkor-cli" offload --port 1 --out bench $reset --data-dir "$work/data" 2>&1)
payload=$((1000 * 32 + 64))
python3 - "$payload" "${reads[0]}" "${ends[0]:-$last}" "${reads[1]:-0}" "${ends[1]:-0}" <<'PY'
import sys
payload = int(sys.argv[1])
limit = 4800 / 11
def report(what, start, end):
    seconds = end - start
    rate = payload / seconds
    print(f"{what}: {payload} bytes in {seconds:.1f} s = {rate:.1f} B/s, {100 * rate / limit:.1f} % of the line "
          f"limit ({limit:.1f} B/s; XMODEM's ceiling is {100 * 128 / 132:.1f} %)")
report("paced offload of 1000 blocks", float(sys.argv[2]), float(sys.argv[3]))
if float(sys.argv[4]) > 0:
    report("the erase's confirming second read", float(sys.argv[4]), float(sys.argv[5]))
PY
