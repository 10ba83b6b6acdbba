#!/usr/bin/env bash
# Builds Lectoria and runs all tests (no display needed).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LECTORIA_BUILD_DIR:-build}

scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
