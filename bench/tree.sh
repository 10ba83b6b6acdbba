#!/usr/bin/env bash
# The document tree on the benchmark library at two sizes, beside `find DIR | wc -l`, and the
# name filter ("Найти по названию"): the time each keystroke takes to filter and show.
# Usage: bench/tree.sh [WORK_DIR]   (libraries are kept in WORK_DIR between runs)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}

scripts/deps.sh python3 bc >/dev/null
cmake --build "$build" --target tree_bench name_filter_bench >/dev/null
mkdir -p "$work"
for docs in 10000 40000; do
  lib="$work/lib-$docs"
  [[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$docs" --quiet
  find "$lib" >/dev/null # warm the cache
  start=$(date +%s.%N); find "$lib" | wc -l >/dev/null; end=$(date +%s.%N)
  find_s=$(echo "$end - $start" | bc -l)
  echo "== $docs documents ($(find "$lib" | wc -l) entries): find $(printf %.3f "$find_s") s"
  QT_QPA_PLATFORM=offscreen "$build/bench/tree_bench" "$lib" | while read -r name seconds unit rest; do
    printf '%-13s %s s %s  (%.1fx find)\n' "$name" "$seconds" "$rest" "$(echo "$seconds / $find_s" | bc -l)"
  done
  QT_QPA_PLATFORM=offscreen "$build/bench/name_filter_bench" "$lib" 2>/dev/null
done
