#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds Vesk and starts it. Until the
# desktop application lands this shows what vesk-cli offers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh build -DVESK_BUILD_TESTS=OFF
build/src/cli/vesk-cli --help
