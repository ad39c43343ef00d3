#!/usr/bin/env bash
# The Debian package, unpacked into an empty root as dpkg would install it:
# its contents, then the installed programs run from there, finding their
# receiver and calendar control under <root>/usr/lib/zelkor.
#   deb_test.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1
src=$2
fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$(ls "$build"/packages/zelkor_*_amd64.deb 2>/dev/null | head -1 || true)
[ -n "$deb" ] || fail "no package in $build/packages; build it with: cmake --build $build --target package"
echo "package: $deb"

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/zelkor ./usr/bin/zelkor-cli ./usr/bin/collar-sim ./usr/lib/zelkor/nvk_xmodem \
  ./usr/lib/zelkor/plugins/nvkcal.so ./usr/share/applications/nalvik-zelkor.desktop \
  ./usr/share/mime/packages/nalvik-zelkor.xml ./usr/share/icons/hicolor/64x64/apps/nalvik-zelkor.png \
  ./usr/share/man/man1/zelkor-cli.1.gz ./usr/share/man/man1/collar-sim.1.gz; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
depends=$(dpkg-deb -f "$deb" Depends)
for dep in fonts-liberation libqt6widgets6 libqt6printsupport6 libdate-tz3 libsqlite3-0 libpq5 libgdal32; do
  grep -q "$dep" <<<"$depends" || fail "the package does not depend on $dep (Depends: $depends)"
done
for path in ./usr/share/doc/zelkor/copyright ./usr/share/doc/zelkor/changelog.gz; do
  grep -qx "$path" <<<"$contents" || fail "the package lacks $path"
done
# Lintian: no error and no warning.
if command -v lintian >/dev/null; then
  tags=$(lintian --allow-root "$deb" 2>&1 | grep -E '^[EW]: ' || true)
  [ -z "$tags" ] || fail "lintian: $tags"
fi

work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
root="$work/root"
dpkg -x "$deb" "$root"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share"
unset ZELKOR_DATA_DIR ZELKOR_PLUGIN_DIR
mkdir -p "$HOME"

# The version, and a translation equal to the build tree's.
version=$("$root/usr/bin/zelkor-cli" --version)
[ "$version" = "zelkor-cli $(dpkg-deb -f "$deb" Version)" ] || fail "zelkor-cli --version printed '$version'"
"$root/usr/bin/zelkor-cli" translate "$src/tests/data/gps/north_track.gps" "$work/installed.csv" --offset -7
"$build/bin/zelkor-cli" translate "$src/tests/data/gps/north_track.gps" "$work/built.csv" --offset -7
cmp "$work/installed.csv" "$work/built.csv" || fail "the installed zelkor-cli translates differently"

# An offload through the installed receiver.
"$build/bin/collar-sim" --link "$work/collar" --state "$work/collar.state" --fixes 120 >"$work/sim.out" 2>&1 &
sim_pid=$!
for _ in $(seq 100); do grep -q ready "$work/sim.out" 2>/dev/null && break; sleep 0.05; done
ZELKOR_COM1="$work/collar" "$root/usr/bin/zelkor-cli" offload --port 1 --out elk >"$work/offload.out" 2>&1 ||
  fail "offload through the installed receiver: $(cat "$work/offload.out")"
# An installed program keeps its data in the per-user folder.
data="$HOME/.local/share/Nalvik, Inc/Zelkor"
[ -d "$data/Commands" ] || fail "no data folder in $HOME/.local/share"
lines=$(grep -c . "$data/GPS Data/elk.csv")
[ "$lines" -gt 120 ] || fail "the offloaded CSV has $lines lines"

# The desktop program finds its companions where the package put them.
out=$(QT_QPA_PLATFORM=offscreen "$root/usr/bin/zelkor" --smoke-test 2>/dev/null) || fail "zelkor --smoke-test: $out"
grep -qx "calendar control found in $root/usr/lib/zelkor/plugins" <<<"$out" || fail "zelkor --smoke-test: $out"
grep -qx "receiver found: $root/usr/lib/zelkor/nvk_xmodem" <<<"$out" || fail "zelkor --smoke-test: $out"
echo "ok: contents, dependencies, --version, translate, offload and --smoke-test from $root"
