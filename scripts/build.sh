#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds Tangrel in the given folder (default: build), installing
# the Debian packages first when some are missing. With --play, only what
# playing needs: its packages, and the programs without tests or benchmarks.
# Extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
packages=test testing=ON
if [ "${1:-}" = --play ]; then
  packages=play testing=OFF
  shift
fi
bash scripts/install-deps.sh "$packages"
dir="${1:-build}"
shift || true
cmake -S . -B "$dir" -G Ninja -DBUILD_TESTING=$testing "$@" >/dev/null
cmake --build "$dir"
