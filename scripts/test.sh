#!/usr/bin/env bash
# Sets up a fresh Debian machine (packages, build) and runs every test.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELUN_BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/setup.sh" --tests
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$BUILD" --output-on-failure -j 2
