#!/usr/bin/env bash
# Formats the C and C++ sources with the repository's .clang-format
# (clang-format 14). With --check nothing is written: it lists what is not
# formatted and exits non-zero when anything is.
#   scripts/format.sh            format in place
#   scripts/format.sh --check    check only (for CI)
set -euo pipefail
cd "$(dirname "$0")/.."
if [ -z "${CLANG_FORMAT:-}" ]; then
  if command -v clang-format-14 >/dev/null 2>&1; then CLANG_FORMAT=clang-format-14; else CLANG_FORMAT=clang-format; fi
fi
mode=(-i)
case "${1:-}" in
  --check) mode=(--dry-run -Werror) ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
git ls-files -z -- \
  'framework/*.cpp' 'framework/*.h' 'framework/*.c' \
  'dsp/*.cpp' 'dsp/*.h' 'dsp/*.c' \
  'graph/*.cpp' 'graph/*.h' 'graph/*.c' \
  'view3d/*.cpp' 'view3d/*.h' 'view3d/*.c' \
  'editor/*.cpp' 'editor/*.h' 'editor/*.c' \
  'plugin/*.cpp' 'plugin/*.h' 'plugin/*.c' \
  'host/*.cpp' 'host/*.h' 'host/*.c' \
  'tests/*.cpp' 'tests/*.h' 'tests/*.c' \
  'bench/*.cpp' 'bench/*.h' 'bench/*.c' \
  'fuzz/*.cpp' 'fuzz/*.h' 'fuzz/*.c' \
  ':(glob)scripts/*.cpp' |
  xargs -0 -r "$CLANG_FORMAT" --style=file "${mode[@]}" || {
    [ "${1:-}" = --check ] && echo "not formatted: run scripts/format.sh" >&2
    exit 1
  }
