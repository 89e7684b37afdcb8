#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Vesk and starts it. Arguments are
# passed on to vesk (Qt's own, such as -platform, are understood).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# Only the two programs are built; the options of an existing build folder
# (tests, benchmarks) are left as they are.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target vesk vesk-cli --parallel "$(nproc)"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display to show Vesk on: run it under a virtual one, e.g. xvfb-run -a build/src/gui/vesk" >&2
  exit 1
fi
exec build/src/gui/vesk "$@"
