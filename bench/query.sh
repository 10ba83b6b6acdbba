#!/usr/bin/env bash
# Queries with the index: each query beside its terms answered alone (its goal: at most 1.2x
# the slowest of them for selective terms; a common term beside a rare one about the rare one;
# an exclusion about its positive part), and ripgrep answering the same with -e (OR) or a pipe
# of -l searches (AND), warm, on the benchmark library.
# Usage: bench/query.sh [WORK_DIR] [DOCS]   (the library and its index are kept in WORK_DIR)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
docs=${2:-40000}
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh ripgrep hyperfine python3 >/dev/null
cmake --build "$build" --target lectoria-find lectoria-index >/dev/null
find_bin="$build/src/cli/lectoria-find"
export XDG_CACHE_HOME="$work/cache"
lib="$work/lib-$docs"
[[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$docs" --quiet
"$build/src/cli/lectoria-index" "$lib" >/dev/null
find "$lib" -type f -name '*.htm' -exec cat {} + >/dev/null # into the page cache

mean() { # command -> mean seconds over several runs
  hyperfine --style none --warmup 1 --runs 5 --export-json "$work/run.json" -i "$1" >/dev/null 2>&1
  python3 -c 'import json,sys;print("%.4f" % json.load(open(sys.argv[1]))["results"][0]["mean"])' "$work/run.json"
}
bytes_regex() { python3 -c 'import sys;print("(?-u)(?i)"+"".join("\\x%02x"%b for b in sys.argv[1].encode("cp1251")))' "$1"; }
alone() { mean "$find_bin --text --index '$1' '$lib' >/dev/null 2>&1"; }
query() { mean "$find_bin --text --index --query '$1' '$lib' >/dev/null 2>&1"; }
count() { { "$find_bin" --text --index --query "$1" "$lib" 2>/dev/null || true; } | wc -l; }
rg_files() { echo "rg -l -uuu -E none --iglob '*.htm' $*"; }

echo "== $docs documents, text mode with the index (seconds, warm)"
printf '%-40s %6s %8s %8s %8s %8s %8s\n' query found query term1 term2 q/slow rg/query
run() { # kind a b query rg-command
  local t1 t2 tq trg
  t1=$(alone "$2")
  t2=$(alone "$3")
  tq=$(query "$4")
  trg=$(mean "$5 >/dev/null")
  printf '%-40s %6s %8s %8s %8s %8.2f %8.1f\n' "$4" "$(count "$4")" "$tq" "$t1" "$t2" \
    "$(python3 -c "print($tq/max($t1,$t2))")" "$(python3 -c "print($trg/$tq)")"
}
r() { bytes_regex "$1"; }
run or 'ксилолит' 'Ларсен-5' 'ксилолит ИЛИ Ларсен-5' \
  "$(rg_files -e "'$(r ксилолит)'" -e "'$(r Ларсен-5)'" "'$lib'")"
run and 'ксилолит' 'Ларсен-5' 'ксилолит И Ларсен-5' \
  "$(rg_files "'$(r ксилолит)'" "'$lib'") | xargs -r -d '\n' $(rg_files "'$(r Ларсен-5)'")"
run common 'коэффициент' 'ксилолит' 'коэффициент И ксилолит' \
  "$(rg_files "'$(r ксилолит)'" "'$lib'") | xargs -r -d '\n' $(rg_files "'$(r коэффициент)'")"
run common 'сметная стоимость' 'Ларсен-5' 'сметная стоимость И Ларсен-5' \
  "$(rg_files "'$(r Ларсен-5)'" "'$lib'") | xargs -r -d '\n' $(rg_files "'$(r 'сметная стоимость')'")"
run not 'ксилолит' 'коэффициент' 'ксилолит -коэффициент' \
  "$(rg_files "'$(r ксилолит)'" "'$lib'") | xargs -r -d '\n' rg --files-without-match -uuu -E none '$(r коэффициент)'"
