#!/usr/bin/env bash
# Word forms by the dictionary: the dictionary's loading and a library's vocabulary looked up,
# a word-forms search without the index beside a text-mode scan, the index build, and an
# indexed word-forms search, on the benchmark library of 10,000 documents. With
# BASE_BUILD=<build folder of an earlier version> the same is measured with that version's
# programs beside ours (the ratio is ours to its).
# Usage: bench/wordforms.sh [WORK_DIR] [DOCS]
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
docs=${2:-10000}
build=${LECTORIA_BUILD_DIR:-build}
base=${BASE_BUILD:-}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh hyperfine python3 time >/dev/null
cmake --build "$build" --target lectoria-find lectoria-index word_keys reading_bench >/dev/null
lib="$work/lib-$docs"
[[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$docs" --quiet

mean() { # command -> mean seconds over several runs
  hyperfine --style none --warmup 1 --runs "${RUNS:-3}" --export-json "$work/run.json" -i "$1" >/dev/null 2>&1
  python3 -c 'import json,sys;print("%.3f" % json.load(open(sys.argv[1]))["results"][0]["mean"])' "$work/run.json"
}
ratio() { python3 -c "import sys;print('%.2f' % (float(sys.argv[1]) / float(sys.argv[2])))" "$1" "$2"; }

# The library's vocabulary: its distinct words, for the lookup rate.
vocabulary="$work/vocabulary-$docs.txt"
[[ -f "$vocabulary" ]] || python3 - "$lib" "$vocabulary" <<'PY'
import pathlib, re, sys
words = set()
for path in pathlib.Path(sys.argv[1]).rglob('*.htm'):
    text = re.sub(r'<[^>]*>', ' ', path.read_bytes().decode('cp1251', 'replace'))
    words.update(w.lower() for w in re.findall(r'\w+', text))
pathlib.Path(sys.argv[2]).write_text('\n'.join(sorted(words)), encoding='utf-8')
PY
echo "== dictionary"
"$build/bench/word_keys" --vocabulary "$vocabulary"

find "$lib" -type f -name '*.htm' -exec cat {} + >/dev/null # into the page cache
programs=("$build")
[[ -n "$base" ]] && programs+=("$base")
declare -A build_time
for program in "${programs[@]}"; do
  export XDG_CACHE_HOME="$work/cache-wordforms-$(basename "$(dirname "$(realpath "$program")")")"
  rm -rf "$XDG_CACHE_HOME"
  build_time[$program]=$( { /usr/bin/time -f '%e' "$program/src/cli/lectoria-index" "$lib" >/dev/null; } 2>&1 | tail -1)
done
echo "== index build: ours ${build_time[$build]} s${base:+, earlier ${build_time[$base]} s ($(ratio "${build_time[$build]}" "${build_time[$base]}")x)}"

printf '%-22s %7s %9s %9s %9s' query found words text words/text
[[ -n "$base" ]] && printf ' %9s %7s' earlier ours/earl
printf ' %9s' indexed
[[ -n "$base" ]] && printf ' %9s' earl-idx
echo
for query in 'сметная стоимость' 'материал' 'шов' 'стали' 'ксилолит' 'коэффициент'; do
  export XDG_CACHE_HOME="$work/cache-wordforms-$(basename "$(dirname "$(realpath "$build")")")"
  found=$( { "$build/src/cli/lectoria-find" --words "$query" "$lib" 2>/dev/null || true; } | wc -l)
  t_words=$(mean "$build/src/cli/lectoria-find --words '$query' '$lib' >/dev/null 2>&1")
  t_text=$(mean "$build/src/cli/lectoria-find --text '${query%% *}' '$lib' >/dev/null 2>&1")
  t_index=$(mean "$build/src/cli/lectoria-find --words --index '$query' '$lib' >/dev/null 2>&1")
  printf '%-22s %7s %9s %9s %9s' "$query" "$found" "$t_words" "$t_text" "$(ratio "$t_words" "$t_text")"
  if [[ -n "$base" ]]; then
    t_base=$(mean "$base/src/cli/lectoria-find --words '$query' '$lib' >/dev/null 2>&1")
    printf ' %9s %7s' "$t_base" "$(ratio "$t_words" "$t_base")"
  fi
  printf ' %9s' "$t_index"
  if [[ -n "$base" ]]; then
    export XDG_CACHE_HOME="$work/cache-wordforms-$(basename "$(dirname "$(realpath "$base")")")"
    printf ' %9s' "$(mean "$base/src/cli/lectoria-find --words --index '$query' '$lib' >/dev/null 2>&1")"
  fi
  echo
done

echo
echo "== reading on one thread, the file system left out (seconds; ratio to memmem)"
for query in 'коэффициент' 'ксилолит'; do
  echo "-- $query"
  "$build/bench/reading_bench" "$lib" "$query" | tail -n +2
done
