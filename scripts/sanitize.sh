#!/usr/bin/env bash
# Builds every test with the address and undefined-behaviour sanitizers and
# runs the whole suite under them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${KAVRO_ASAN_DIR:-build-asan}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVRO_SANITIZE=ON -DKAVRO_BENCH=OFF \
  -DKAVRO_WERROR=ON >/dev/null
cmake --build "$build"
cd "$build"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/../scripts/lsan.supp
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
