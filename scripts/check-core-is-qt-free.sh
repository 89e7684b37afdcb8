#!/usr/bin/env bash
# The core library must build with the standard library alone.
set -euo pipefail
cd "$(dirname "$0")/.."

if hits=$(grep -rnE '^\s*#\s*include\s*[<"](Q[A-Za-z]|qt|Qt)' src/core); then
  echo "Qt headers included under src/core:" >&2
  echo "$hits" >&2
  exit 1
fi
echo "src/core includes no Qt header"
