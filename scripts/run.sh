#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tangrel and starts it, playing through the built-in synthesizer: only
# the packages and the programs that playing needs.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh --play build
exec ./build/tangrel "$@"
