#!/usr/bin/env bash
# Fails when a tracked C or C++ source differs from what .clang-format asks for.
# With --fix, rewrites the sources in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t sources < <(git ls-files --cached --others --exclude-standard -- '*.h' '*.hpp' '*.c' '*.cpp' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
[ ${#sources[@]} -eq 0 ] && exit 0
if [ "${1:-}" = "--fix" ]; then
  clang-format -i "${sources[@]}"
else
  clang-format --dry-run -Werror "${sources[@]}"
  echo "check-format: ${#sources[@]} sources formatted"
fi
