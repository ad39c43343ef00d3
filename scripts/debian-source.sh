#!/usr/bin/env bash
# Fetches and unpacks a Debian source package once, through a private apt
# configuration with a deb-src entry (the system's own sources stay as they
# are), and prints the folder it is in. The Windows builds use it for the
# libraries Debian has no MinGW build of.
#   scripts/debian-source.sh PACKAGE[=VERSION]
set -euo pipefail
request=${1:?usage: scripts/debian-source.sh PACKAGE[=VERSION]}
package=${request%%=*}
cache="${ZELKOR_SOURCE_CACHE:-$HOME/.cache/zelkor/debian-src}"
work="$cache/$package"
mkdir -p "$work"
found=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "${package}-*" -print -quit)
if [ -n "$found" ] && [ -f "$work/.complete" ]; then
  echo "$found"
  exit 0
fi
command -v dpkg-source >/dev/null || { echo "error: dpkg-source is missing (apt-get install dpkg-dev)" >&2; exit 1; }
apt_dir="$cache/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/sources.list.d"
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
cat >"$apt_dir/sources.list" <<LIST
deb-src http://deb.debian.org/debian $codename main
deb-src http://deb.debian.org/debian $codename-updates main
deb-src http://deb.debian.org/debian-security $codename-security main
LIST
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
  -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "Debug::NoLocking=1"
  -o "APT::Sandbox::User=$(id -un)")
# One list update a day is plenty.
if [ -z "$(find "$apt_dir/lists" -name '*Sources*' -mmin -1440 -print -quit 2>/dev/null)" ]; then
  apt-get "${apt_opts[@]}" update -qq >&2
fi
# A version on the security archive is not always on every mirror yet: when
# no version was asked for and the newest cannot be fetched, the next newest
# that can is taken.
fetch() { (cd "$work" && rm -rf ./*/ && apt-get "${apt_opts[@]}" source -qq "$1" >&2); }
if ! fetch "$request"; then
  [ "$request" = "$package" ] || exit 1
  fetched=
  for version in $(apt-cache "${apt_opts[@]}" showsrc "$package" 2>/dev/null | sed -n 's/^Version: //p' | sort -rV); do
    if fetch "$package=$version"; then fetched=1; break; fi
  done
  [ -n "$fetched" ] || { echo "error: no version of the source of $package could be fetched" >&2; exit 1; }
fi
found=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name "${package}-*" -print -quit)
[ -n "$found" ] || { echo "error: the source of $package was not unpacked in $work" >&2; exit 1; }
touch "$work/.complete"
echo "$found"
