#!/usr/bin/env bash
# Configures and builds one flavour of the project into build/ (or the folder
# given as the first argument), passing further arguments to CMake.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${1:-build}
shift || true
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"
