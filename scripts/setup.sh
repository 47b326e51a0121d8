#!/usr/bin/env bash
# Installs the Debian packages the project needs (only those missing), then configures and builds.
# Usage: scripts/setup.sh [--tests]   (--tests adds what the test suite needs)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELUN_BUILD_DIR:-$ROOT/build}"

PACKAGES=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-svg-dev libqt6sql6-sqlite libqt6svg6 qt6-qpa-plugins
  libgl-dev libxkbcommon-dev
  rapidjson-dev libsimdjson-dev
  sqlite3 fonts-dejavu-core
)
if [[ "${1:-}" == "--tests" ]]; then
  # Independent readers for the spreadsheet export tests.
  PACKAGES+=(xvfb xauth python3 python3-xlrd libreoffice-calc-nogui)
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "== Eksik paketler kuruluyor: ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

echo "== Derleniyor ($BUILD)"
cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" -j "$(nproc)"
