#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# An installed tree, as `cmake --install` lays it out under a fresh prefix: the
# programs run from it, the desktop entry validates, the performance-file type
# is known by name and by content, the AppStream metadata validates, and the
# manual pages render without warnings and name the licence.
#   test_install.sh BUILD_DIR SOURCE_DIR APP_ID
set -euo pipefail
build="$1" source="$2" app_id="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
prefix="$work/prefix"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what="$1"; shift; "$@" || fail "$what"; }

cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }
share="$prefix/share"

echo "== files"
desktop="share/applications/$app_id.desktop"
metainfo="share/metainfo/$app_id.metainfo.xml"
expected=(bin/tangrel-tool "$desktop" "$metainfo" share/mime/packages/tangrel.xml
  share/man/man1/tangrel.1.gz share/man/man1/tangrel-tool.1.gz share/doc/tangrel/copyright)
[ -e "$build/tangrel" ] && expected+=(bin/tangrel)
for size in 16 22 24 32 48 64 128 256; do
  expected+=("share/icons/hicolor/${size}x${size}/apps/tangrel.png")
done
expected+=(share/icons/hicolor/scalable/apps/tangrel.svg share/tangrel/translations/tangrel_en.qm)
for f in "${expected[@]}"; do [ -e "$prefix/$f" ] || fail "not installed: $f"; done
[ -d "$share/tangrel/translations" ] || fail "no translations folder"

echo "== the installed tool runs"
check "tangrel-tool --help from the prefix" \
  bash -c '"$1/bin/tangrel-tool" --help | grep -q "^usage: tangrel-tool info"' - "$prefix"
check "tangrel-tool info from the prefix" \
  bash -c '"$1/bin/tangrel-tool" info "$2" | grep -q "^events: 6"' - "$prefix" \
  "$source/fuzz/corpus/valid-6-bourdon.tgi"

echo "== the tool links no sound server"
# It renders into memory through FluidSynth alone; the servers are the window's.
servers="$(objdump -p "$prefix/bin/tangrel-tool" | awk '/NEEDED/ {print $2}' |
  grep -E 'libjack|libasound|libpulse|libpipewire' || true)"
[ -z "$servers" ] || fail "tangrel-tool links $servers"

echo "== desktop entry"
check "desktop-file-validate" desktop-file-validate "$prefix/$desktop"
mime_type="$(sed -n 's/.*mime-type type="\([^"]*\)".*/\1/p' "$share/mime/packages/tangrel.xml")"
grep -qx "MimeType=$mime_type;" "$prefix/$desktop" ||
  fail "the desktop entry does not name $mime_type"

echo "== AppStream metadata"
check "appstreamcli validate" appstreamcli validate --no-net "$prefix/$metainfo"
grep -qF "<mediatype>$mime_type</mediatype>" "$prefix/$metainfo" ||
  fail "the metadata does not name $mime_type"
grep -qF "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$prefix/$metainfo" ||
  fail "the metadata does not launch $app_id.desktop"
for shot in $(sed -n 's|.*<image>.*/\(screenshots/[^<]*\)</image>.*|\1|p' "$prefix/$metainfo"); do
  [ -f "$source/docs/$shot" ] || fail "no docs/$shot for the metadata's screenshot"
done

echo "== file type, by name and by content"
XDG_DATA_DIRS="$share:/usr/share" update-mime-database "$share/mime"
mkdir -p "$work/home" "$work/files"
content_type() {
  XDG_DATA_HOME="$work/home" XDG_DATA_DIRS="$share:/usr/share" \
    gio info -a standard::content-type "$1" | sed -n 's/^ *standard::content-type: //p'
}
expect_type() {  # expect_type FILE TYPE
  local got
  got="$(content_type "$1")"
  [ "$got" = "$2" ] || fail "$(basename "$1"): $got, not $2"
}
cp "$source/fuzz/corpus/valid-1.tgi" "$work/files/take.tgi"
cp "$source/fuzz/corpus/valid-1.tgi" "$work/files/take-without-extension"
printf 'RIFF\x24\x00\x00\x00WAVEfmt ' >"$work/files/wave-without-extension"
expect_type "$work/files/take.tgi" "$mime_type"
expect_type "$work/files/take-without-extension" "$mime_type"
[ "$(content_type "$work/files/wave-without-extension")" != "$mime_type" ] ||
  fail "a WAV file is taken for a performance"

echo "== manual pages"
for page in "$share"/man/man1/tangrel*.1.gz; do
  warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >"$work/page.txt")"
  [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
  grep -q "^NAME" "$work/page.txt" || fail "$(basename "$page") renders no NAME section"
  zcat "$page" | sed -n '/^\.SH COPYRIGHT/,/^\.SH [^C]/p' | tr '\n' ' ' |
    grep -q "GNU General Public License, version 3 or later" ||
    fail "$(basename "$page") names no licence"
done

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "install: all passed"
