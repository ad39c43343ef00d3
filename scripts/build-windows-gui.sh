#!/usr/bin/env bash
# The Windows desktop program, cross-built on Linux with the MinGW Qt that
# scripts/build-windows-qt.sh made once, packed by NSIS into
# build-windows-gui/Zelkor-VERSION-setup.exe, and proven under Wine in a
# throwaway prefix: a silent per-user install, the installed program's
# smoke test (its window, the calendar control found by its class id, the
# receiver), every dialog rendered, the .gps association and Programs and
# Features entries, named zones and an offload through COM1 from the
# simulated collar equal to Linux's, and a silent uninstall that leaves the
# user's data.
# Needs the Linux build (build/) for the manual's pictures and to compare
# the dialogs with.
#   scripts/build-windows.sh --gui [--build-only]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
qt="${ZELKOR_WIN_QT:-$HOME/.cache/zelkor/qt-6.4-mingw64}"
out="$here/build-windows-gui"
linux="${ZELKOR_LINUX_BUILD:-$here/build}"
jobs=$(nproc)
say() { echo "== $*"; }

if [ ! -f "$qt/.zelkor-complete" ]; then
  echo "Qt for MinGW is not built yet: run scripts/build-windows-qt.sh once (about an hour), then this again." >&2
  exit 2
fi
[ -d "$linux/manual-pictures" ] || { echo "error: build the Linux side first (cmake --build build)" >&2; exit 1; }
command -v makensis >/dev/null || { echo "error: makensis is missing (apt-get install nsis)" >&2; exit 1; }
version=$(sed -n 's/^project(Zelkor VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")

say "building with $qt"
geographiclib=$("$here/scripts/debian-source.sh" geographiclib)
date_source=$("$here/scripts/debian-source.sh" howardhinnant-date)
sqlite=$("$here/scripts/windows-sqlite.sh")
cmake -G Ninja -S "$here" -B "$out" \
  -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
  -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DZELKOR_WINDOWS_GUI=ON -DZELKOR_BUILD_GUI=ON -DZELKOR_BUILD_TESTS=OFF \
  -DZELKOR_BUILD_BENCHMARKS=OFF -DZELKOR_GEOGRAPHICLIB_SOURCE="$geographiclib" -DZELKOR_DATE_SOURCE="$date_source" \
  -DZELKOR_SQLITE_AMALGAMATION="$sqlite" \
  -DZELKOR_MANUAL_PICTURES_FROM="$linux/manual-pictures" >/dev/null
cmake --build "$out" -j "$jobs" --target zelkor zelkor-cli nvk_xmodem nvkcal

say "staging"
stage="$out/stage"
rm -rf "$stage"
mkdir -p "$stage/plugins" "$stage/platforms" "$stage/styles" "$stage/imageformats"
cp "$out/bin/zelkor.exe" "$out/bin/zelkor-cli.exe" "$out/bin/nvk_xmodem.exe" "$stage/"
cp "$out/bin/plugins/nvkcal.dll" "$stage/plugins/"
for module in Core Gui Widgets PrintSupport; do cp "$qt/bin/Qt6$module.dll" "$stage/"; done
cp "$qt/plugins/platforms/qwindows.dll" "$qt/plugins/platforms/qoffscreen.dll" "$stage/platforms/"
cp "$qt/plugins/styles/"*.dll "$stage/styles/"
cp "$qt/plugins/imageformats/"*.dll "$stage/imageformats/"
# The MinGW runtime the Qt DLLs and the plugin were linked against.
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
for dll in libstdc++-6.dll libgcc_s_seh-1.dll; do
  found=$(find /usr/lib/gcc/x86_64-w64-mingw32 -path '*posix*' -name "$dll" | head -1)
  [ -n "$found" ] || found="$gcc_dir/$dll"
  cp "$found" "$stage/"
done
cp /usr/x86_64-w64-mingw32/lib/libwinpthread-1.dll "$stage/"
cp "$here/README.md" "$stage/README.txt"
"$here/scripts/windows-tzdata.sh" "$stage/tzdata" >/dev/null
# The icon: the program's picture in a PNG-compressed .ico (Windows Vista on).
python3 - "$here/resources/zelkor.png" "$stage/zelkor.ico" <<'PY'
import struct, sys
png = open(sys.argv[1], 'rb').read()
w, h = struct.unpack('>II', png[16:24])
entry = struct.pack('<BBBBHHII', w % 256, h % 256, 0, 0, 1, 32, len(png), 6 + 16)
open(sys.argv[2], 'wb').write(struct.pack('<HHH', 0, 1, 1) + entry + png)
PY

say "installer"
setup="$out/Zelkor-$version-setup.exe"
makensis -V2 -DVERSION="$version" -DSTAGE="$stage" -DOUTFILE="$setup" "$here/packaging/windows/zelkor.nsi"
ls -l "$setup"
[ "${1:-}" = "--build-only" ] && exit 0

# shellcheck source=wine-prefix.sh
. "$here/scripts/wine-prefix.sh"
winpath() { "$wine" winepath -u "$1" 2>/dev/null | tr -d '\r'; }
reg_value() {  # reg_value KEY NAME
  "$wine" reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = ""; $2 = ""; sub(/^  */, ""); print }'
}

say "silent per-user install"
"$wine" "$setup" /S || failed "the setup ended with status $?"
localappdata=$("$wine" cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
installed=$(winpath "$localappdata\\Programs\\Zelkor")
[ -f "$installed/zelkor.exe" ] || failed "zelkor.exe is not in $installed"
[ -f "$installed/plugins/nvkcal.dll" ] || failed "the calendar control is not installed"
[ "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelkor' DisplayVersion)" = "$version" ] ||
  failed "Programs and Features does not show version $version"
[ "$(reg_value 'HKCU\Software\Classes\.gps' '(Default)')" = "NVKZel.Document" ] ||
  [ "$("$wine" reg query 'HKCU\Software\Classes\.gps' /ve 2>/dev/null | tr -d '\r' | grep -c NVKZel.Document)" -ge 1 ] ||
  failed "the .gps association is not under HKEY_CURRENT_USER"
startmenu=$(winpath "$("$wine" cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')\\Microsoft\\Windows\\Start Menu\\Programs")
[ -f "$startmenu/Zelkor.lnk" ] || failed "no Start menu entry in $startmenu"

say "the installed program's smoke test"
smoke=$(cd "$installed" && QT_QPA_PLATFORM=offscreen "$wine" zelkor.exe --smoke-test 2>&1 | tr -d '\r') ||
  failed "zelkor.exe --smoke-test: $smoke"
echo "$smoke"
grep -q "calendar control found" <<<"$smoke" || failed "the calendar control was not found by its class id"
grep -q "receiver found" <<<"$smoke" || failed "the receiver was not found"

say "named zones from the installed copy's own zone data"
for zone in America/Denver Australia/Sydney; do
  gps="$here/tests/data/gps/south_east_track.gps"
  "$linux/bin/zelkor-cli" translate "$gps" "$work/zone-linux.csv" --tz "$zone" >/dev/null 2>&1 || true
  (cd "$work" && "$wine" "$installed/zelkor-cli.exe" translate "Z:$gps" zone-windows.csv --tz "$zone") \
    >"$work/zone.out" 2>&1 || true
  cmp -s "$work/zone-linux.csv" "$work/zone-windows.csv" ||
    failed "the installed zelkor-cli.exe translates --tz $zone differently: $(cat "$work/zone.out")"
done

say "every dialog, as on Linux: the same size within a few pixels, the same texts"
# The pictures are made in one font on both sides (DejaVu Sans 9 pt) on the
# same 1366x768 screen.
cp /usr/share/fonts/truetype/dejavu/DejaVuSans*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
pictures="$work/pictures"
# (The screen file by a relative name: the platform option splits at colons.)
cp "$here/src/app/laptop_screen.json" "$work/"
(cd "$work" && QT_QPA_PLATFORM="offscreen:configfile=laptop_screen.json" \
  ZELKOR_DATA_DIR="$("$wine" winepath -w "$work/data" 2>/dev/null | tr -d '\r')" \
  "$wine" "$installed/zelkor.exe" --render-dialogs "$("$wine" winepath -w "$pictures" 2>/dev/null | tr -d '\r')") \
  >"$work/render.out" 2>&1 || failed "zelkor.exe --render-dialogs: $(tail -5 "$work/render.out")"
grep "^layout:" "$work/render.out" && failed "dialogs with cut texts under Wine (above)"
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print ($1*16777216+$2*65536+$3*256+$4) " " ($5*16777216+$6*65536+$7*256+$8)}'; }
# Lines that differ by nature: this computer's folders, this build, the
# status bar's key indicators (Windows only), and the Track tab's map panel
# (the Windows build has no maps).
texts() {
  grep -v -e '/' -e '\\' -e 'Build ' -e '^label: Qt ' -e '^label: \(CAP\|NUM\|SCRL\|COM[0-9]*\)$' \
    -e 'Map Layer' -e 'Map Picture' -e '^button: \(Up\|Down\|Remove\)$' -e 'Map layers' -e '^label: Opacity' \
    "$1" | tr -d '\r' || true
}
# Heights within a few pixels; widths within an eighth (text widths differ a
# little between Windows' and FreeType's rendering of the same font). The
# main window (its saved size), the About box (this computer's folders) and
# the viewer (no map panel on Windows) differ in width by nature.
compared=0
for png in "$linux/manual-pictures/"*.png; do
  name=$(basename "$png")
  case "$name" in *TrackWithLayers*) continue ;; esac
  if [ ! -s "$pictures/$name" ]; then
    failed "$name was not rendered under Wine"
    continue
  fi
  read -r lw lh <<<"$(png_size "$png")"
  read -r ww wh <<<"$(png_size "$pictures/$name")"
  limit=4
  case "$name" in *@2x.png) limit=8 ;; esac
  case "$name" in
    MainFrame*) ;;
    *)
      [ $((lh - wh)) -le $limit ] && [ $((wh - lh)) -le $limit ] ||
        failed "$name is ${wh} pixels high under Wine, ${lh} on Linux"
      case "$name" in
        AboutDialog* | ViewGpsDataDialog*) ;;
        *) [ $((lw - ww)) -le $((lw / 8 + limit)) ] && [ $((ww - lw)) -le $((lw / 8 + limit)) ] ||
             failed "$name is ${ww} pixels wide under Wine, ${lw} on Linux" ;;
      esac ;;
  esac
  base=${name%.png}
  if [ -f "$linux/manual-pictures/$base.txt" ] && [ "${base%@2x}" = "$base" ]; then
    diff <(texts "$linux/manual-pictures/$base.txt") <(texts "$pictures/$base.txt") >"$work/texts.diff" ||
      failed "$base shows other texts under Wine: $(cat "$work/texts.diff")"
  fi
  compared=$((compared + 1))
done
echo "$compared pictures compared"

say "an offload through COM1 from the simulated collar with the installed copy, as on Linux"
offload() {  # offload NAME RUNNER...
  local name=$1
  shift
  rm -f "$work/collar.state"
  "$linux/bin/collar-sim" --link "$work/collar" --state "$work/collar.state" --fixes 300 --seed 7 \
    >"$work/sim-$name.out" 2>&1 &
  sim_pid=$!
  for _ in $(seq 100); do grep -q ready "$work/sim-$name.out" 2>/dev/null && break; sleep 0.05; done
  local rc=0
  "$@" >"$work/offload-$name.out" 2>&1 || rc=$?
  kill "$sim_pid" 2>/dev/null || true
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
  return $rc
}
offload linux env ZELKOR_COM1="$work/collar" "$linux/bin/zelkor-cli" offload --port 1 --out elk \
  --data-dir "$work/linux-data" || failed "the Linux offload: $(cat "$work/offload-linux.out")"
"$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /t REG_SZ /d "$work/collar" /f >/dev/null 2>&1 ||
  failed "could not map COM1 in the Wine registry"
ln -sfn "$work/collar" "$WINEPREFIX/dosdevices/com1"
if offload windows "$wine" "$installed/zelkor-cli.exe" offload --port 1 --out elk --data-dir "Z:$work/windows-data"; then
  cmp "$work/linux-data/GPS Data/elk.csv" "$work/windows-data/GPS Data/elk.csv" ||
    failed "the installed copy's offload gives another CSV than Linux"
else
  failed "the installed copy's offload through COM1: $(cat "$work/offload-windows.out" "$work/sim-windows.out")"
fi

say "silent uninstall keeps the user's data"
mkdir -p "$HOME/Zelkor-data-kept"
echo keep >"$HOME/Zelkor-data-kept/4711.csv"
"$wine" "$installed/uninstall.exe" /S _?="$("$wine" winepath -w "$installed" | tr -d '\r')" || true
[ ! -f "$installed/zelkor.exe" ] || failed "the uninstaller left zelkor.exe"
[ -f "$HOME/Zelkor-data-kept/4711.csv" ] || failed "the uninstaller touched the user's data"
[ -z "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelkor' DisplayVersion)" ] ||
  failed "the Programs and Features entry stayed"

[ "$status" -eq 0 ] && echo "ok: Zelkor-$version-setup.exe installs, runs and uninstalls under Wine"
exit "$status"
