#!/usr/bin/env bash
# PDF documents: the speed of reading their text, and an indexed search of a library where a
# third of the documents are PDF beside the same library all of pages, with ripgrep on the
# pages as the peer.
# Usage: bench/pdf.sh [WORK_DIR] [DOCS]   (libraries are kept in WORK_DIR between runs)
set -euo pipefail
cd "$(dirname "$0")/.."
work=${1:-/tmp/lectoria-bench}
docs=${2:-10000}
build=${LECTORIA_BUILD_DIR:-build}
make_library=${MAKE_LIBRARY:-../shared/bench/make-library}
scripts/deps.sh ripgrep hyperfine python3 poppler-utils >/dev/null
cmake --build "$build" --target lectoria-find lectoria-index lectoria-pdftext pdf_library >/dev/null
export XDG_CACHE_HOME="$work/cache" QT_QPA_PLATFORM=offscreen
export LECTORIA_PDFTEXT="$build/src/cli/lectoria-pdftext"
lib="$work/lib-$docs"
mixed="$work/lib-$docs-pdf"
[[ -f "$lib/MANIFEST.json" ]] || "$make_library" "$lib" --docs "$docs" --quiet
if [[ ! -f "$mixed/.converted" ]]; then
  rm -rf "$mixed"
  cp -r "$lib" "$mixed"
  "$build/bench/pdf_library" --convert "$mixed" 3
  touch "$mixed/.converted"
fi

echo "== reading the text of PDF documents"
"$build/bench/pdf_library" --read "$mixed"
start=$(date +%s.%N)
find "$mixed" -name '*.pdf' -print0 | xargs -0 -I{} pdftotext -q {} /dev/null
end=$(date +%s.%N)
python3 -c 'import sys;print("pdftotext (poppler-utils), a process a file: %.2f s" % (float(sys.argv[2])-float(sys.argv[1])))' "$start" "$end"

echo "== indexed search, text mode: all pages beside a third PDF"
"$build/src/cli/lectoria-index" "$lib" >/dev/null
"$build/src/cli/lectoria-index" "$mixed" >/dev/null
for context in "Ларсен-5" "ксилолит" "коэффициент"; do
  hyperfine --style none --warmup 1 --runs 10 --export-json "$work/pdf.json" \
    "$build/src/cli/lectoria-find --text --index '$context' '$lib'" \
    "$build/src/cli/lectoria-find --text --index '$context' '$mixed'" \
    "rg -l -uuu -i --iglob '*.htm' -E windows-1251 '$context' '$lib'" >/dev/null 2>&1 || true
  python3 - "$work/pdf.json" "$context" <<'PY'
import json, sys
r = json.load(open(sys.argv[1]))["results"]
pages, mixed, rg = (x["mean"] for x in r)
print("%s: pages %.0f ms, a third PDF %.0f ms (%.2fx), ripgrep on the pages %.0f ms" %
      (sys.argv[2], pages * 1000, mixed * 1000, mixed / pages, rg * 1000))
PY
done
