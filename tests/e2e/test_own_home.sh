#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The tests keep out of the home of whoever runs them. This test's own home
# stands in for a player's: a left take in its journal folder and a settings
# file go in, then ctest runs the tests that read or write a home (the window
# under X with its start-up recovery, the session's and the journal's tests,
# a script), and they pass without touching either file. The whole suite is
# not run from here, which would run this test again.
# Usage: test_own_home.sh BUILD-FOLDER
set -euo pipefail
build=$1
state=$HOME/.local/state/tangrel
config=$HOME/.config/tangrel
mkdir -p "$state" "$config"
# One key, A, pressed and released: a take the program would offer back.
python3 - "$state/take-1-1.tgj" <<'PY'
import struct, sys
header = struct.pack("<4sIIii4xQ", b"TGJ1", 1, 1, 1297, 0, 1)
events = struct.pack("<IIIi", 5, 0x100, 30 << 16, 0) + struct.pack("<IIIi", 300, 0x101, 30 << 16, 0)
open(sys.argv[1], "wb").write(header + events)
PY
printf '[General]\nforce=64\n' > "$config/tangrel.conf"

# The home each test gets: every folder in one fresh folder, the runtime
# folder private, and all of it gone afterwards.
seen=$(sh "$(dirname "$0")/../support/own_home.sh" sh -c '
  for d in "$XDG_STATE_HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"; do
    case $d in "$HOME"/*) [ -d "$d" ] || echo "missing $d" >&2 ;; *) echo "outside: $d" >&2 ;; esac
  done
  echo "$HOME $XDG_RUNTIME_DIR $(stat -c %a "$XDG_RUNTIME_DIR")"')
read -r home runtime mode <<< "$seen"
if [ "$home" = "$HOME" ] || [ -e "$home" ] || [ "$mode" != 700 ]; then
  echo "FAIL: the test home $home (runtime folder $runtime, mode $mode) is not a fresh private one that goes"
  exit 1
fi

look() { (cd "$HOME" && find .local/state .config -exec stat -c '%n %s %Y %Z' {} + | sort && cat "$state"/* "$config"/* | sha256sum); }
before=$(look)
# From a copy of the test list, so that this ctest's logs stay apart from
# those of the ctest that runs this test.
mkdir "$HOME/run-tests"
cp "$build/CTestTestfile.cmake" "$HOME/run-tests/"
cd "$HOME/run-tests"
ctest --output-on-failure \
  -R '^(e2e\.accessibility|ui\.Startup\..*|core\.(SessionJournal|RecordingJournal)\..*|layers)$'
after=$(look)
if [ "$before" != "$after" ]; then
  echo "FAIL: the tests touched the home they ran from:"
  diff <(echo "$before") <(echo "$after") || true
  exit 1
fi
echo "the planted journal and settings are as they were"
