#!/usr/bin/env bash
# Two editions compared: lectoria-find --compare on pairs of about 1 and 5 MB (and a norm
# against an unrelated one of the same size), beside git's word diff of the same texts (one
# paragraph a line) in the same run: time and peak memory of each.
# Usage: bench/compare.sh [WORK_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench/compare}
build=${LECTORIA_BUILD_DIR:-build}
scripts/deps.sh git time >/dev/null
cmake --build "$build" --target lectoria-find compare_pair >/dev/null
export XDG_CACHE_HOME="$work/cache"

measure() { # label command...: "label: S s, M MB"
  local label=$1
  shift
  /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null 2>&1 || true
  read -r seconds kilobytes < <(tail -n 1 "$work/time.txt")
  printf '%-44s %6.2f s %7.1f MB\n' "$label:" "$seconds" "$(echo "$kilobytes / 1024" | bc -l)"
}

for megabytes in 1 5; do
  dir="$work/$megabytes"
  "$build/bench/compare_pair" "$dir" "$megabytes"
  echo "== editions of $(du -k "$dir/OLD.htm" | cut -f1) KB (windows-1251; text $(du -k "$dir/old.txt" | cut -f1) KB)"
  measure "lectoria-find --compare, editions" "$build/src/cli/lectoria-find" --compare "$dir/OLD.htm" "$dir/NEW.htm"
  measure "lectoria-find --compare, unrelated" "$build/src/cli/lectoria-find" --compare "$dir/OLD.htm" "$dir/UNRELATED.htm"
  measure "git diff --word-diff, editions" git diff --no-index --word-diff=porcelain "$dir/old.txt" "$dir/new.txt"
  measure "git diff --word-diff, unrelated" git diff --no-index --word-diff=porcelain "$dir/old.txt" "$dir/unrelated.txt"
done
