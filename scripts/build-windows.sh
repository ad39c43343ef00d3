#!/usr/bin/env bash
# Cross-builds the Windows core, zelkor-cli.exe, nvk_xmodem.exe and the core
# tests with MinGW-w64 into build-windows/, then runs under Wine (in a
# throwaway prefix):
#   1. the core tests;
#   2. a translation, which must equal the Linux build's byte for byte;
#   3. an offload from the simulated collar through Wine's COM1, which must
#      give the same CSV as the same offload on Linux;
#   4. the COM port list, which Windows keeps in the registry.
# Needs the Linux build for the reference output and collar-sim: build/bin,
# or the folder ZELKOR_LINUX_BIN names (ctest passes its own).
# GeographicLib and the zone library come from Debian's source packages
# (scripts/debian-source.sh), the IANA zone data from Debian's tzdata source
# (scripts/windows-tzdata.sh).
#   scripts/build-windows.sh [--build-only]
# With --gui: the desktop program and its installer (scripts/build-windows-gui.sh).
#   scripts/build-windows.sh --gui [--build-only]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
if [ "${1:-}" = "--gui" ]; then
  shift
  exec "$here/scripts/build-windows-gui.sh" "$@"
fi
out="$here/build-windows"
linux="${ZELKOR_LINUX_BIN:-$here/build/bin}"
jobs=$(nproc)

geographiclib=$("$here/scripts/debian-source.sh" geographiclib)
date_source=$("$here/scripts/debian-source.sh" howardhinnant-date)
sqlite=$("$here/scripts/windows-sqlite.sh")
(cd "$here" && cmake --preset windows-cross -DZELKOR_GEOGRAPHICLIB_SOURCE="$geographiclib" \
  -DZELKOR_DATE_SOURCE="$date_source" -DZELKOR_SQLITE_AMALGAMATION="$sqlite" >/dev/null)
cmake --build "$out" -j "$jobs"
bin="$out/bin"
# Named zones: the IANA text data beside the programs.
"$here/scripts/windows-tzdata.sh" "$bin/tzdata" >/dev/null
for exe in zelkor-cli.exe nvk_xmodem.exe zelkor_core_tests.exe; do
  [ -f "$bin/$exe" ] || { echo "error: $bin/$exe was not built" >&2; exit 1; }
done
[ "${1:-}" = "--build-only" ] && exit 0

[ -x "$linux/collar-sim" ] || { echo "error: build the Linux side first (cmake --build build)" >&2; exit 1; }
# shellcheck source=wine-prefix.sh
. "$here/scripts/wine-prefix.sh"
step() { echo "== $*"; }

step "core tests under Wine"
(cd "$here/tests" && "$wine" "$bin/zelkor_core_tests.exe" --gtest_brief=1) || failed "the Windows core tests"

step "translate: Windows and Linux give the same bytes"
for input in north_track south_east_track edge_cases; do
  gps="$here/tests/data/gps/$input.gps"
  # The exit status says how the translation went (4: a bad check byte); both must agree.
  linux_rc=0 windows_rc=0
  "$linux/zelkor-cli" translate "$gps" "$work/$input-linux.csv" --utm --offset -7 >/dev/null || linux_rc=$?
  (cd "$work" && "$wine" "$bin/zelkor-cli.exe" translate "Z:$gps" "$input-windows.csv" --utm --offset -7) \
    >/dev/null || windows_rc=$?
  [ "$linux_rc" = "$windows_rc" ] || failed "$input.gps: exit status $windows_rc on Windows, $linux_rc on Linux"
  cmp "$work/$input-linux.csv" "$work/$input-windows.csv" || failed "zelkor-cli.exe translates $input.gps differently"
done

step "named zones: Windows (the IANA text data beside the program) and Linux (the system's) agree"
for zone in America/Denver Australia/Sydney Europe/Dublin Pacific/Chatham America/Santiago; do
  gps="$here/tests/data/gps/north_track.gps"
  "$linux/zelkor-cli" translate "$gps" "$work/zone-linux.csv" --tz "$zone" >/dev/null 2>&1 || true
  (cd "$work" && "$wine" "$bin/zelkor-cli.exe" translate "Z:$gps" "zone-windows.csv" --tz "$zone") \
    >"$work/zone.out" 2>&1 || true
  cmp -s "$work/zone-linux.csv" "$work/zone-windows.csv" ||
    failed "--tz $zone translates differently on Windows: $(cat "$work/zone.out")"
done

step "the season store on SQLite: an import, and the collar listed"
(cd "$work" && "$wine" "$bin/zelkor-cli.exe" db import "Z:$here/tests/data/gps/north_track.gps" --db "Z:$work/store.sqlite") \
  >"$work/store.out" 2>&1 || failed "zelkor-cli.exe db import: $(cat "$work/store.out")"
(cd "$work" && "$wine" "$bin/zelkor-cli.exe" db collars --db "Z:$work/store.sqlite") >"$work/collars.out" 2>&1 ||
  failed "zelkor-cli.exe db collars: $(cat "$work/collars.out")"
grep -q "4711" "$work/collars.out" || failed "the imported collar is not listed: $(cat "$work/collars.out" "$work/store.out")"

step "offload through Wine's COM1 from the simulated collar"
offload() {  # offload NAME RUNNER...
  local name=$1
  shift
  rm -f "$work/collar.state"
  "$linux/collar-sim" --link "$work/collar" --state "$work/collar.state" --fixes 300 --seed 7 >"$work/sim-$name.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do grep -q ready "$work/sim-$name.out" 2>/dev/null && break; sleep 0.05; done
  "$@" >"$work/offload-$name.out" 2>&1
  local rc=$?
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
  return $rc
}
# With --reset: the port is held from the configuration to the erase and
# handed to the receiver twice (the data, then the second read).
offload linux env ZELKOR_COM1="$work/collar" "$linux/zelkor-cli" offload --port 1 --out elk --reset \
  --data-dir "$work/linux-data" ||
  failed "the Linux offload: $(cat "$work/offload-linux.out")"
# COM1 of the prefix is the simulator's pseudo-terminal. Wine's mount manager
# rebuilds dosdevices/com* from the registry whenever Wine starts, so the
# mapping goes there (HKLM\Software\Wine\Ports), and into the link for now.
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/collar" /f >/dev/null 2>&1 ||
  failed "could not map COM1 in the Wine registry"
ln -sfn "$work/collar" "$WINEPREFIX/dosdevices/com1"
if offload windows "$wine" "$bin/zelkor-cli.exe" offload --port 1 --out elk --reset --data-dir "Z:$work/windows-data"; then
  grep -q "All data in the collar has been erased" "$work/offload-windows.out" ||
    failed "the Windows offload did not erase the collar: $(tail -5 "$work/offload-windows.out")"
  cmp "$work/linux-data/GPS Data/elk.csv" "$work/windows-data/GPS Data/elk.csv" ||
    failed "the Windows offload's CSV differs from the Linux one"
else
  failed "the Windows offload through COM1: $(cat "$work/offload-windows.out"; cat "$work/sim-windows.out")"
fi
step "COM1 held through a sequence, and a cancel stops the Windows receiver waiting on it"
"$linux/collar-sim" --link "$work/collar" --state "$work/quiet.state" --fixes 20 >"$work/sim-quiet.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q ready "$work/sim-quiet.out" 2>/dev/null && break; sleep 0.05; done
(cd "$here/tests" && ZELKOR_TEST_COM1=1 "$wine" "$bin/zelkor_core_tests.exe" --gtest_brief=1 \
  --gtest_filter='WindowsHelper.ACancel*:WindowsSerial.AHeldPort*') >"$work/com1.out" 2>&1 ||
  failed "COM1 tests under Wine: $(cat "$work/com1.out")"
grep -q "PASSED .* 2 tests" "$work/com1.out" && ! grep -q SKIPPED "$work/com1.out" ||
  failed "the COM1 tests did not run: $(cat "$work/com1.out")"
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=

step "the port list from the registry (HARDWARE\\DEVICEMAP\\SERIALCOMM)"
ports=$("$wine" "$bin/zelkor-cli.exe" ports 2>&1) || failed "zelkor-cli.exe ports: $ports"
grep -q '^COM1 .*(\\Device\\' <<<"$ports" || failed "COM1 is not listed with its driver's name: $ports"

[ "$status" -eq 0 ] && echo "ok: the Windows core tests, translations, an offload and the port list under Wine"
exit "$status"
