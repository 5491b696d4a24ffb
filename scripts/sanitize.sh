#!/usr/bin/env bash
# Builds everything but the benchmarks with the address and undefined-
# behaviour sanitizers and runs the whole test suite under them, the Qt view
# tests too (offscreen). Any report fails the run. Leaks are reported, except
# those that scripts/lsan.supp lists: allocations the desktop libraries keep
# for the life of the process.
#
#   KAVRO_ASAN_DIR build folder (default build-asan)
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${KAVRO_ASAN_DIR:-build-asan}
# The options hold for the build too: it runs a program of its own (the
# manual's PDF writer).
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export LSAN_OPTIONS=suppressions=$PWD/scripts/lsan.supp:print_suppressions=0
export QT_QPA_PLATFORM=offscreen
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKAVRO_SANITIZE=ON -DKAVRO_BENCH=OFF \
  -DKAVRO_WERROR=ON >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure -j"$(nproc)"
