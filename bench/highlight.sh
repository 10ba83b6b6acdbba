#!/usr/bin/env bash
# The highlighted copy of a 20 MB document with about 100,000 occurrences, beside reading and
# writing the same file.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LECTORIA_BUILD_DIR:-build}
cmake --build "$build" --target highlight_bench >/dev/null
"$build/bench/highlight_bench"
