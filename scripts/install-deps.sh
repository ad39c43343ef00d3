#!/usr/bin/env bash
# Installs the Debian packages Zelkor needs to build, test and run.
# Only what is missing is installed; run as root or with sudo available.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  lrzsz socat clang libclang-rt-dev
  fonts-liberation libxml2-utils
  libhowardhinnant-date-dev tzdata
  libsqlite3-dev sqlite3 libpq-dev postgresql
  libgeographiclib-dev libgdal-dev gdal-bin qtkeychain-qt6-dev libsecret-1-dev
  g++-mingw-w64-x86-64-posix wine64 nsis lintian tcl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "error: these packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
