#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, ASan and UBSan and runs each for a
# bounded time from its seed corpus. Any crash, leak or sanitizer report fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-20}
CC=clang CXX=clang++ scripts/build.sh build-fuzz \
  -DVESK_BUILD_FUZZERS=ON -DVESK_SANITIZE=ON -DVESK_WARNINGS_AS_ERRORS=ON \
  -DVESK_BUILD_CLI=OFF -DVESK_BUILD_GUI=OFF -DVESK_BUILD_TESTS=OFF

for fuzzer in build-fuzz/fuzz/fuzz_*; do
  name=$(basename "$fuzzer")
  seeds=fuzz/corpus/${name#fuzz_}
  work=$(mktemp -d)
  echo "fuzzing $name for ${seconds}s"
  if [ -d "$seeds" ]; then
    "$fuzzer" -max_total_time="$seconds" -print_final_stats=0 "$work" "$seeds" >"$work.log" 2>&1 || {
      tail -n 60 "$work.log" >&2
      echo "$name failed" >&2
      exit 1
    }
  else
    "$fuzzer" -max_total_time="$seconds" "$work" >"$work.log" 2>&1 || {
      tail -n 60 "$work.log" >&2
      echo "$name failed" >&2
      exit 1
    }
  fi
  grep -E '^Done [0-9]+ runs' "$work.log" || true
  rm -rf "$work" "$work.log"
done
