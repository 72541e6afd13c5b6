#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Tangrel needs: `play` those of
# scripts/packages/play.txt (building and playing), `test` (the default) those
# and scripts/packages/test.txt. As root it installs what is missing; as anyone
# else it prints the one apt-get line for exactly the missing packages and
# stops with status 1. When nothing is missing it does nothing, without root.
set -euo pipefail
cd "$(dirname "$0")/.."
case "${1:-test}" in
  play) lists=(scripts/packages/play.txt) ;;
  test) lists=(scripts/packages/play.txt scripts/packages/test.txt) ;;
  *) echo "usage: $0 [play|test]" >&2; exit 2 ;;
esac

names() { sed -e 's/#.*//' "${lists[@]}" | tr -s ' \t' '\n' | grep -v '^$' || true; }
installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }
known() { apt-cache show "$1" >/dev/null 2>&1; }
find_missing() {
  missing=()
  local p
  for p in $(names); do
    if [[ "$p" == \?* ]]; then
      p="${p#\?}"
      known "$p" || continue
    fi
    installed "$p" || missing+=("$p")
  done
}

find_missing
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" -ne 0 ]; then
  echo "tangrel: these packages are missing; install them with:" >&2
  echo "  sudo apt-get install --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
find_missing
apt-get install -y -qq --no-install-recommends "${missing[@]}"
