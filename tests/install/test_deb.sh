#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package that cpack builds: its files, its control fields, and
# what lintian says of it (no error).
#   test_deb.sh BUILD_DIR SOURCE_DIR APP_ID
set -euo pipefail
build="$1" source="$2" app_id="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

(cd "$build" && cpack -G DEB -B "$work" >"$work/cpack.log") || { cat "$work/cpack.log"; exit 1; }
debs=("$work"/tangrel_*.deb)
[ -f "${debs[0]}" ] || { echo "no tangrel_*.deb made" >&2; ls "$work" >&2; exit 1; }
deb="${debs[0]}"
echo "== $(basename "$deb")"

dpkg-deb -c "$deb" | awk '{print $NF}' >"$work/files.txt"
for f in ./usr/bin/tangrel ./usr/bin/tangrel-tool "./usr/share/applications/$app_id.desktop" \
  "./usr/share/metainfo/$app_id.metainfo.xml" ./usr/share/doc/tangrel/copyright \
  ./usr/share/mime/packages/tangrel.xml ./usr/share/man/man1/tangrel.1.gz \
  ./usr/share/man/man1/tangrel-tool.1.gz ./usr/share/tangrel/translations/; do
  grep -qxF "$f" "$work/files.txt" || fail "not in the package: $f"
done

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = tangrel ] || fail "Package: $(field Package)"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = sound ] || fail "Section: $(field Section)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
[ -n "$(field Version)" ] || fail "no Version"
summary="$(field Description)"
summary="${summary%%$'\n'*}"
[[ "$summary" == *keyboard* ]] || fail "Description: $summary"
depends="$(field Depends)"
# Computed from the programs' shared libraries, and named by hand.
for wanted in 'libfluidsynth[0-9]' 'librtmidi[0-9]' 'libqt6widgets6' 'libc6' \
  'timgm6mb-soundfont | sf3-soundfont-gm' 'fonts-liberation2' 'fonts-wqy-microhei'; do
  grep -q -- "$wanted" <<<"$depends" || fail "Depends lacks $wanted: $depends"
done

python3 "$source/tests/install/check_packages.py" "$source" --depends "$depends" ||
  fail "Depends asks for more than the player's packages"

[[ "$(field Recommends)" == *qt6-wayland* ]] || fail "Recommends lacks qt6-wayland: $(field Recommends)"

# Errors fail; the warnings that remain are printed for the log.
if command -v lintian >/dev/null; then
  lintian --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || true
  cat "$work/lintian.txt"
  ! grep -q '^E:' "$work/lintian.txt" || fail "lintian reports errors"
else
  fail "no lintian (run scripts/install-deps.sh)"
fi

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "deb: all passed"
