#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and
# runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
build=${KAVRO_BUILD_DIR:-build-test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKAVRO_WERROR=ON "$@" >/dev/null
cmake --build "$build"
cd "$build"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
