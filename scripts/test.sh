#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tangrel and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh build
cd build
# Most of a test's time is waiting on a display, a server or the sound it
# plays, so they run as many at a time as there are processors.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j "$(nproc)"
