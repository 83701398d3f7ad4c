#!/usr/bin/env bash
# Fails when a C or C++ file differs from what clang-format makes of it with the root
# .clang-format. Generated tables are left as their generators write them.
# With --fix, formats the files in place instead.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "format: clang-format is not installed" >&2; exit 1; }
mapfile -t files < <(git ls-files '*.c' '*.cpp' '*.h' | grep -vx 'render/noise_source.cpp')
if [[ ${1:-} == --fix ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}" 2> /tmp/format.$$; then
  grep -o '^[^:]*:[0-9]*' /tmp/format.$$ | sort -u | head -20 >&2
  rm -f /tmp/format.$$
  echo "format: these files differ from clang-format's layout (tools/check_format.sh --fix)" >&2
  exit 1
fi
rm -f /tmp/format.$$
echo "format: ${#files[@]} files as clang-format lays them out"
