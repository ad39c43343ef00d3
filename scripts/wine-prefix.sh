# Sourced by the Windows checks: finds wine64 ($wine), makes a throwaway
# Wine prefix in a fresh folder ($work) that goes away at exit, together
# with the wineserver and a simulated collar left running ($sim_pid), and
# sets up the reporting ($status, failed).
wine=$(command -v wine64 || true)
[ -n "$wine" ] || wine=/usr/lib/wine/wine64
[ -x "$wine" ] || { echo "error: wine64 is not installed (apt-get install wine64)" >&2; exit 1; }
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  WINEPREFIX="$work/prefix" "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" HOME="$work/home"
unset DISPLAY
mkdir -p "$HOME"
status=0
failed() { echo "FAIL: $*" >&2; status=1; }
"$wine" wineboot -i >/dev/null 2>&1 || true
