#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a test in a home of its own: HOME and the XDG folders in a fresh
# temporary folder, removed afterwards, so that no test reads or writes the
# journals and settings of the user who runs it.
# Usage: own_home.sh PROGRAM [ARGUMENT...]
set -u
home=$(mktemp -d "${TMPDIR:-/tmp}/tangrel-home-XXXXXX") || exit 1
trap 'rm -rf "$home"' EXIT
trap 'exit 143' TERM
trap 'exit 130' INT
mkdir -p "$home/.local/state" "$home/.local/share" "$home/.config" "$home/.cache"
mkdir -m 0700 "$home/run"
export HOME="$home" XDG_STATE_HOME="$home/.local/state" XDG_DATA_HOME="$home/.local/share" \
  XDG_CONFIG_HOME="$home/.config" XDG_CACHE_HOME="$home/.cache" XDG_RUNTIME_DIR="$home/run"
"$@"
