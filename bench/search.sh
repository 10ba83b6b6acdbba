#!/usr/bin/env bash
# lectoria-find beside ripgrep and grep on the benchmark library, with ratios, peak memory at
# two library sizes, and a whole search in the window.
# Usage: bench/search.sh [WORK_DIR]   (libraries are kept in WORK_DIR between runs)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh ripgrep hyperfine python3 bc >/dev/null
cmake --build "$build" --target lectoria-find window_bench >/dev/null
find_bin="$build/src/cli/lectoria-find"

library() { # docs -> path, made once
  local lib="$work/lib-$1"
  [[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$1" --quiet
  echo "$lib"
}
lib=$(library 10000)
cat "$lib"/*.htm >/dev/null 2>&1 || true
find "$lib" -type f -name '*.htm' -exec cat {} + >/dev/null # into the page cache

mean() { # command... -> mean seconds over several runs
  hyperfine --style none --warmup 1 --runs 7 --export-json /tmp/lectoria-bench.json -i "$@" >/dev/null 2>&1
  python3 -c 'import json;print("%.4f" % json.load(open("/tmp/lectoria-bench.json"))["results"][0]["mean"])'
}
bytes_regex() { python3 -c 'import sys;print("(?-u)"+"".join("\\x%02x"%b for b in sys.argv[1].encode("cp1251")))' "$1"; }
pattern_file() { python3 -c 'import sys;open(sys.argv[2],"wb").write(sys.argv[1].encode("cp1251")+b"\n")' "$1" "$2"; }

echo "mean seconds over 7 runs; rg-bytes: case-sensitive byte search (the goal); rg-1251:"
echo "rg with -E windows-1251 (-i unless case-sensitive); grep-F: LC_ALL=C grep -rlF"
printf '%-20s %-5s %8s %8s %8s %8s %8s  %s\n' context case lectoria rg-bytes rg-1251 grep-F found 'lectoria/rg-bytes'
text_rows=() # the text mode's rows, printed after the table
while IFS='|' read -r context cs; do
  opt=(); rgopt=(-i); [[ $cs == yes ]] && { opt=(--case-sensitive); rgopt=(); }
  regex=$(bytes_regex "$context")
  pattern_file "$context" /tmp/lectoria-bench.pattern
  t_ours=$(mean "$find_bin ${opt[*]} '$context' '$lib' >/dev/null 2>&1")
  t_rg=$(mean "rg -l -uuu -E none --iglob '*.htm' '$regex' '$lib' >/dev/null")
  t_rgi=$(mean "rg ${rgopt[*]} -l -uuu -E windows-1251 --iglob '*.htm' -F '$context' '$lib' >/dev/null")
  t_grep=$(mean "LC_ALL=C grep -rlF --include='*.htm' --include='*.HTM' -f /tmp/lectoria-bench.pattern '$lib' >/dev/null")
  found=$({ "$find_bin" "${opt[@]}" "$context" "$lib" 2>&1 >/dev/null || true; } | tail -1 | sed 's/.*found //')
  printf '%-20s %-5s %8s %8s %8s %8s %8s  %.2f\n' "$context" "$cs" "$t_ours" "$t_rg" "$t_rgi" "$t_grep" "$found" \
    "$(echo "$t_ours / $t_rg" | bc -l)"
  t_text=$(mean "$find_bin --text '$context' '$lib' >/dev/null 2>&1")
  found_text=$({ "$find_bin" --text "$context" "$lib" 2>&1 >/dev/null || true; } | tail -1 | sed 's/.*found //')
  text_rows+=("$(printf '%-20s %8s %8s %8s  %.2f' "$context" "$t_text" "$t_rg" "$found_text" \
    "$(echo "$t_text / $t_rg" | bc -l)")")
done <<'CONTEXTS'
Ларсен|no
ксилолит|no
КСИЛОЛИТ|yes
Portland|no
коэффициент|no
сметная стоимость|no
СНиП|yes
синхрофазотрон|no
CONTEXTS

echo
echo "text mode: lectoria-find --text, without regard to case; rg-bytes as in the table above"
printf '%-20s %8s %8s %8s  %s\n' context text rg-bytes found 'text/rg-bytes'
printf '%s\n' "${text_rows[@]}"

echo
echo "peak memory of lectoria-find (no-hit context):"
for docs in 2500 10000; do
  l=$(library "$docs")
  python3 - "$find_bin" "$l" <<'PY'
import resource, subprocess, sys
subprocess.run([sys.argv[1], "синхрофазотрон", sys.argv[2]], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
print("  %s: %.1f MB" % (sys.argv[2], resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss / 1024))
PY
done

echo
echo "whole search in the window (progress shown to tree filled):"
QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1 "$build/bench/window_bench" "$lib" коэффициент 2>/dev/null
