#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence: LICENSE holds the full GNU GPL version 3, and every source file
# names it in an SPDX line among its first three (a shebang comes first).
#   test_licence.sh SOURCE_DIR
set -euo pipefail
cd "$1"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

[ -f LICENSE ] || fail "no LICENSE file"
if [ -f LICENSE ]; then
  head -n 2 LICENSE | grep -q "GNU GENERAL PUBLIC LICENSE" || fail "LICENSE is not the GNU GPL"
  grep -q "Version 3, 29 June 2007" LICENSE || fail "LICENSE is not version 3"
  grep -q "END OF TERMS AND CONDITIONS" LICENSE || fail "LICENSE is not the full text"
fi

# Sources by name, and scripts by their shebang; build folders are not sources.
sources() {
  find . \( -path './.git' -o -path './build*' -o -name 'fuzz-corpus-work' \) -prune -o -type f \
    \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.py' -o -name '*.sh' -o -name '*.cmake' \
    -o -name CMakeLists.txt -o -path './.ci/*' -o -path './scripts/*' \) -print | sort
}
checked=0
while IFS= read -r file; do
  case "$file" in ./.ci/*.supp) continue ;; esac
  checked=$((checked + 1))
  head -n 3 "$file" | grep -q "SPDX-License-Identifier: GPL-3.0-or-later" ||
    fail "$file: no SPDX-License-Identifier line at the top"
done < <(sources)
[ "$checked" -gt 50 ] || fail "only $checked source files found"

[ "$failures" -eq 0 ] || { echo "$failures failed" >&2; exit 1; }
echo "licence: $checked source files, all passed"
