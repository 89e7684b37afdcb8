#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine and runs every check of the project:
# the unit tests in a normal and in a sanitizer build, the core's freedom
# from Qt, and a short fuzzing run of every reader.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/check-core-is-qt-free.sh
scripts/check-format.sh

# Qt may be asked for a display by plugins; tests never need a real one.
export QT_QPA_PLATFORM=offscreen

scripts/build.sh build -DVESK_BUILD_TESTS=ON -DVESK_WARNINGS_AS_ERRORS=ON -DVESK_BUILD_BENCHMARKS=ON
ctest --test-dir build --output-on-failure --parallel "$(nproc)"

scripts/build.sh build-asan -DVESK_BUILD_TESTS=ON -DVESK_WARNINGS_AS_ERRORS=ON -DVESK_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure --parallel "$(nproc)"

scripts/run-fuzzers.sh
