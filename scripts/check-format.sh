#!/usr/bin/env bash
# Every C++ source is laid out as .clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! git ls-files '*.cpp' '*.h' '*.inl' | xargs clang-format --dry-run --Werror 2>/tmp/vesk-format.log; then
  grep -E "^[^ ].*(warning|error):" /tmp/vesk-format.log | head -n 20 >&2
  echo "Some sources are not formatted: run clang-format -i on them." >&2
  exit 1
fi
echo "every source is formatted"
