#!/usr/bin/env bash
# Benchmark: four paced simulated collars (4800 baud 8N2, 200 fixes each)
# offloaded at once by zelkor-cli, against one of them alone. Reports the
# wall times, their ratio (target: at most 1.15) and each collar's payload
# rate during its read (as the receiver counts it, from its start to the
# last packet) against the line limit of 4800 / 11 bytes per second
# (target: at least 95 %).
set -euo pipefail
bin="${1:-$(dirname "$0")/../build/bin}"
work=$(mktemp -d)
sims=()
trap 'for p in "${sims[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$work"' EXIT
start_sim() {
  "$bin/collar-sim" --link "$work/c$1" --state "$work/s$1.bin" --fixes 200 --id $((1000 + $1)) --seed "$1" --pace \
    > "$work/sim$1.out" &
  sims+=($!)
  for _ in $(seq 100); do grep -q ready "$work/sim$1.out" 2>/dev/null && break; sleep 0.05; done
}
for i in 1 2 3 4; do start_sim "$i"; done
export ZELKOR_COM1="$work/c1" ZELKOR_COM2="$work/c2" ZELKOR_COM3="$work/c3" ZELKOR_COM4="$work/c4"

stamp() { while IFS= read -r line; do printf '%s %s\n' "$(date +%s.%N)" "$line"; done; }
begin=$(date +%s.%N)
"$bin/zelkor-cli" offload --port 1 --out alone --data-dir "$work/alone" --db "$work/alone.sqlite" 2>&1 | stamp > "$work/alone.log"
end=$(date +%s.%N)
alone=$(python3 -c "print($end - $begin)")
begin=$(date +%s.%N)
"$bin/zelkor-cli" offload --port 1 --port 2 --port 3 --port 4 --data-dir "$work/four" --db "$work/four.sqlite" 2>&1 \
  | stamp > "$work/four.log"
end=$(date +%s.%N)
four=$(python3 -c "print($end - $begin)")
python3 - "$alone" "$four" "$work/four.log" <<'PY'
import sys, re
alone, four = float(sys.argv[1]), float(sys.argv[2])
limit = 4800 / 11
payload = 200 * 32 + 64
print(f"one collar alone: {alone:.1f} s; four at once: {four:.1f} s; ratio {four / alone:.3f} (target <= 1.15)")
worst = 100.0
for line in open(sys.argv[3]):
    m = re.match(r"\S+ COM(\d): collar .* read at (\d+) B/s", line)
    if not m: continue
    rate = float(m.group(2))
    worst = min(worst, 100 * rate / limit)
    print(f"COM{m.group(1)}: read at {rate:.0f} B/s, {100 * rate / limit:.1f} % of the line limit "
          f"(XMODEM's ceiling is {100 * 128 / 132:.1f} %)")
print(f"slowest collar: {worst:.1f} % of the line limit (target >= 95 %)")
PY
