#!/usr/bin/env bash
# The library's norms: what finding designations adds to the index build, the link marks of
# the largest document, and the documents citing a designation (from the index with its
# freshness proof, and by reading) beside ripgrep looking for the designation's bytes, on the
# benchmark libraries of 10,000 and 40,000 documents.
# Usage: bench/norms.sh [WORK_DIR] [DOCS...]   (libraries are kept in WORK_DIR between runs)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(10000 40000)
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh ripgrep hyperfine python3 time >/dev/null
cmake --build "$build" --target lectoria-find lectoria-index norms_bench >/dev/null
export XDG_CACHE_HOME="$work/cache"
designation='СНиП 3.03.01-87'

for docs in "${sizes[@]}"; do
  lib="$work/lib-$docs"
  [[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$docs" --quiet
  "$build/src/cli/lectoria-index" "$lib" >/dev/null
  find "$lib" -type f -name '*.htm' -exec cat {} + >/dev/null # into the page cache
  echo "== $docs documents"
  "$build/bench/norms_bench" "$lib" "$designation"
  regex=$(python3 -c 'import sys;print("(?-u)"+"".join("\\x%02x"%b for b in sys.argv[1].encode("cp1251")))' "$designation")
  hyperfine --style none --warmup 1 --runs 5 --export-json "$work/run.json" \
    "rg -l -uuu -E none --iglob '*.htm' '$regex' '$lib'" >/dev/null 2>&1 || true
  python3 -c 'import json,sys;print("ripgrep, the designation as bytes: %.1f ms" % (1000*json.load(open(sys.argv[1]))["results"][0]["mean"]))' "$work/run.json"
done
