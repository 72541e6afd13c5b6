#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian 13 check takes its archive from the machine's apt sources, in
# either form, never from their security updates, and fails with a message when
# they name none; the repository itself names no archive host.
#   test_trixie_sources.sh SOURCE_DIR
set -euo pipefail
source="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

mirror_from() {  # mirror_from CASE: prints the archive the check picks, or fails
  TANGREL_APT_ETC="$work/$1" bash "$source/scripts/check-trixie.sh" --mirror
}
mkdir -p "$work"/{deb822,oneline,security-only,none}/sources.list.d
cat >"$work/deb822/sources.list.d/debian.sources" <<'SRC'
Types: deb
URIs: http://security.example.org/debian-security
Suites: bookworm-security
Components: main

Types: deb
URIs: http://mirror.example.org/debian http://other.example.org/debian
Suites: bookworm bookworm-updates
Components: main
SRC
cat >"$work/oneline/sources.list" <<'SRC'
# a comment
deb [signed-by=/usr/share/keyrings/debian.gpg] http://mirror.example.org/debian bookworm main
deb http://mirror.example.org/debian-security bookworm-security main
SRC
printf 'deb http://mirror.example.org/debian-security bookworm-security main\n' \
  >"$work/security-only/sources.list"

for form in deb822 oneline; do
  got="$(mirror_from "$form")" || fail "$form: no archive found"
  [ "$got" = http://mirror.example.org/debian ] || fail "$form: $got"
done
for form in security-only none; do
  if got="$(mirror_from "$form" 2>"$work/said")"; then
    fail "$form: took $got"
  fi
  grep -q "no Debian archive in" "$work/said" || fail "$form: said $(cat "$work/said")"
done

# Written so that this file does not name one either.
hosts='(deb|ftp|httpredir|cdn)\.debian\.org|archive\.ubuntu\.com'
if found="$(cd "$source" && git ls-files -z 2>/dev/null | xargs -0 grep -InE "$hosts" 2>/dev/null)"; then
  fail "an archive host is named: $found"
fi

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "trixie sources: all passed"
