#!/usr/bin/env bash
# The index: build time and peak memory, its size beside the library's, and an indexed
# text-mode search beside the scan and ripgrep, warm and (as root) cold, on the benchmark
# libraries of 10,000 and 40,000 documents; the phases of the indexed answer beside a bare
# walk of the library (its floor), the window's indexed search with the walk kept, and
# Recoll's answer where Debian's recollcmd is installed (not installed here by this script).
# The simulated network share: bench/share.sh.
# Usage: bench/index.sh [WORK_DIR] [DOCS...]   (libraries are kept in WORK_DIR between runs)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
shift || true
sizes=("$@")
((${#sizes[@]})) || sizes=(10000 40000)
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh ripgrep hyperfine python3 time >/dev/null
cmake --build "$build" --target lectoria-find lectoria-index freshness_bench window_bench >/dev/null
find_bin="$build/src/cli/lectoria-find"
index_bin="$build/src/cli/lectoria-index"
export XDG_CACHE_HOME="$work/cache"

library() { # docs -> path, made once
  local lib="$work/lib-$1"
  [[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$1" --quiet
  echo "$lib"
}
mean() { # command -> mean seconds over several runs
  hyperfine --style none --warmup 1 --runs 5 --export-json "$work/run.json" -i "$1" >/dev/null 2>&1
  python3 -c 'import json,sys;print("%.4f" % json.load(open(sys.argv[1]))["results"][0]["mean"])' "$work/run.json"
}
cold() { # command -> seconds of one run after the page cache is dropped
  sync
  echo 3 >/proc/sys/vm/drop_caches
  /usr/bin/time -f %e bash -c "$1" 2>&1 >/dev/null | tail -1
}
bytes_regex() { python3 -c 'import sys;print("(?-u)"+"".join("\\x%02x"%b for b in sys.argv[1].encode("cp1251")))' "$1"; }
can_drop=no
[[ -w /proc/sys/vm/drop_caches ]] && can_drop=yes

for docs in "${sizes[@]}"; do
  lib=$(library "$docs")
  lib_bytes=$(du -sb "$lib" | cut -f1)
  rm -f "$XDG_CACHE_HOME"/lectoria/*
  build_line=$( { /usr/bin/time -f '%e s, peak %M KB' "$index_bin" "$lib"; } 2>&1 | tail -2 | tr '\n' ' ')
  index_bytes=$(du -cb "$XDG_CACHE_HOME"/lectoria/*.index* | tail -1 | cut -f1)
  echo "== $docs documents, library $((lib_bytes / 1048576)) MB"
  echo "build: $build_line"
  python3 -c "import sys;l,i=int(sys.argv[1]),int(sys.argv[2]);print('index %d MB = %.2f of the library' % (i>>20, i/l))" "$lib_bytes" "$index_bytes"
  echo "update with nothing changed: $( { /usr/bin/time -f '%e s' "$index_bin" "$lib" >/dev/null; } 2>&1 | tail -1)"
  find "$lib" -type f -name '*.htm' -exec cat {} + >/dev/null # into the page cache
  printf '%-20s %8s %8s %8s %8s %11s %9s' context found index scan rg scan/index rg/index
  [[ $can_drop == yes ]] && printf ' %9s %9s %9s' cold-index cold-scan cold-rg
  echo
  for context in 'Ларсен-5' 'Ларсен' 'ксилолит' 'Portland' 'ISO 9001' 'коэффициент' 'сметная стоимость' 'синхрофазотрон'; do
    found=$( { "$find_bin" --text --index "$context" "$lib" 2>/dev/null || true; } | wc -l)
    t_index=$(mean "$find_bin --text --index '$context' '$lib' >/dev/null 2>&1")
    t_scan=$(mean "$find_bin --text '$context' '$lib' >/dev/null 2>&1")
    regex=$(bytes_regex "$context")
    t_rg=$(mean "rg -l -uuu -E none --iglob '*.htm' '$regex' '$lib' >/dev/null")
    printf '%-20s %8s %8s %8s %8s %11.1f %9.1f' "$context" "$found" "$t_index" "$t_scan" "$t_rg" \
      "$(python3 -c "print($t_scan/$t_index)")" "$(python3 -c "print($t_rg/$t_index)")"
    if [[ $can_drop == yes ]]; then
      printf ' %9s %9s %9s' "$(cold "$find_bin --text --index '$context' '$lib'")" \
        "$(cold "$find_bin --text '$context' '$lib'")" \
        "$(cold "rg -l -uuu -E none --iglob '*.htm' '$regex' '$lib'")"
    fi
    echo
  done
  echo "phases of an indexed answer (in one process, warm; ms):"
  for context in 'Ларсен-5' 'ксилолит'; do
    echo "-- $context"
    "$build/bench/freshness_bench" "$lib" "$context" 5 | sed 's/^/   /'
  done
  echo "the window, text mode with the index, the walk kept and watched:"
  (cd "$build/bench" && QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 \
    ./window_bench "$lib" 'Ларсен-5' --indexed 2>/dev/null | grep -E 'indexed|kept' | sed 's/^/   /')
  if command -v recollindex >/dev/null && command -v recollq >/dev/null; then
    recoll_dir="$work/recoll-$docs"
    if [[ ! -f "$recoll_dir/done" ]]; then
      mkdir -p "$recoll_dir"
      printf 'topdirs = %s\nindexedmimetypes = text/html\n' "$lib" >"$recoll_dir/recoll.conf"
      /usr/bin/time -f 'Recoll index built in %e s, peak %M KB' recollindex -c "$recoll_dir" >/dev/null 2>&1 &&
        touch "$recoll_dir/done"
    fi
    for context in 'Ларсен-5' 'ксилолит' 'коэффициент'; do
      printf 'Recoll %-14s %8s s   lectoria --text --index %8s s\n' "$context" \
        "$(mean "recollq -c '$recoll_dir' -b '\"$context\"' >/dev/null 2>&1")" \
        "$(mean "$find_bin --text --index '$context' '$lib' >/dev/null 2>&1")"
    done
  else
    echo "(Recoll not installed: apt-get install recollcmd to measure it beside)"
  fi
  echo "word forms (--words): index, reading, text-mode scan of the first word"
  for query in 'ксилолитовые покрытия' 'шпунт Ларсена' 'сметная стоимость строительства'; do
    found=$( { "$find_bin" --words --index "$query" "$lib" 2>/dev/null || true; } | wc -l)
    t_index=$(mean "$find_bin --words --index '$query' '$lib' >/dev/null 2>&1")
    t_read=$(mean "$find_bin --words '$query' '$lib' >/dev/null 2>&1")
    t_text=$(mean "$find_bin --text '${query%% *}' '$lib' >/dev/null 2>&1")
    printf '%-32s found %6s  index %8s  reading %8s  text scan %8s  reading/text %.1f\n' \
      "$query" "$found" "$t_index" "$t_read" "$t_text" "$(python3 -c "print($t_read/$t_text)")"
  done
done
[[ $can_drop == yes ]] || echo "(cold runs need root: the page cache cannot be dropped here)"
