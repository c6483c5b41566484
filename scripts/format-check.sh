#!/usr/bin/env bash
# Checks that every C++ file in src/, tests/, bench/ and fuzz/ is laid out as
# .clang-format says, with clang-format 14. Changes nothing; lists each
# difference and exits non-zero when there is any.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
format="${CLANG_FORMAT:-clang-format-14}"
command -v "$format" >/dev/null || format=clang-format
if ! "$format" --version | grep -q 'version 14\.'; then
  echo "format-check.sh: clang-format 14 is needed ($("$format" --version 2>&1 | head -n 1))" >&2
  exit 2
fi
git ls-files -z 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'bench/*.cpp' 'bench/*.h' 'fuzz/*.cpp' 'fuzz/*.h' \
  | xargs -0 "$format" --dry-run -Werror --style=file
