#!/usr/bin/env bash
# Runs the table reader's fuzzer (libFuzzer with address and undefined-behaviour checks): the
# whole-table read and the block-by-block read of the same bytes must agree.
# Usage: scripts/fuzz.sh [SECONDS]   New inputs that raise coverage go to tests/fuzz/corpus/dbf.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/deps.sh clang libclang-rt-14-dev
cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DLECTORIA_FUZZ=ON \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target dbf_fuzzer
build-fuzz/tests/fuzz/dbf_fuzzer -max_total_time="$seconds" -max_len=4096 \
    tests/fuzz/corpus/dbf tests/data/dbf
