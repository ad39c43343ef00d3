#!/usr/bin/env bash
# SQLite for the Windows build: the amalgamation (sqlite3.c, sqlite3.h)
# generated from Debian's sqlite3 source package, once, and cached. Prints
# the folder that holds it.
#   scripts/windows-sqlite.sh
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
src=$("$here/scripts/debian-source.sh" sqlite3)
out="${ZELKOR_SOURCE_CACHE:-$HOME/.cache/zelkor/debian-src}/sqlite3-amalgamation-$(basename "$src")"
if [ ! -f "$out/sqlite3.c" ] || [ ! -f "$out/sqlite3.h" ]; then
  command -v tclsh >/dev/null || { echo "error: tclsh is missing (apt-get install tcl)" >&2; exit 1; }
  rm -rf "$out.partial"
  mkdir -p "$out.partial"
  (cd "$out.partial" && "$src/configure" --disable-tcl >/dev/null && make sqlite3.c >/dev/null) >&2
  rm -rf "$out"
  mv "$out.partial" "$out"
fi
echo "$out"
