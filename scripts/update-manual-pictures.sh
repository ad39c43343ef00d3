#!/bin/sh
# Copies the dialog pictures that the build renders for the built-in manual
# into docs/manual/images, so that the manual reads right in the repository
# too. Run after a build whose dialogs changed; commit the pictures.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$here/build"}
pictures="$build/manual-pictures"
if [ ! -d "$pictures" ]; then
  echo "error: $pictures does not exist; build first (cmake --build $build)." >&2
  exit 1
fi
mkdir -p "$here/docs/manual/images"
for page in "$here"/docs/manual/*.html; do
  grep -o 'images/[A-Za-z0-9_-]*\.png' "$page" || true
done | sort -u | while read -r image; do
  name=$(basename "$image")
  if [ ! -f "$pictures/$name" ]; then
    echo "error: the manual shows $name, which the build did not render." >&2
    exit 1
  fi
  cp "$pictures/$name" "$here/docs/manual/images/$name"
done
echo "docs/manual/images updated from $pictures"
