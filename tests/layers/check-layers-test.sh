#!/usr/bin/env bash
# The layer check finds what it is there for: the sources as they are pass, and a copy of
# them with one fault put in fails, naming the fault.
# Usage: check-layers-test.sh SOURCE_DIR LAYERS_FILE
set -euo pipefail
source=$(realpath "$1")
layers=$(realpath "$2")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
check() { python3 "$source/scripts/check-layers.py" --source "$1" --layers "$2"; }

check "$source" "$layers" || { echo "FAIL: the sources as they are do not pass"; exit 1; }

# fault NAME EXPECTED COMMAND: COMMAND runs in a fresh copy of the sources (its layers file
# beside it as layers.txt); the check must fail and say EXPECTED.
fault() {
  local name=$1 expected=$2 command=$3
  rm -rf "$work/tree"
  mkdir "$work/tree"
  cp -r "$source/src" "$source/tests" "$work/tree/"
  cp "$layers" "$work/tree/layers.txt"
  (cd "$work/tree" && eval "$command")
  if check "$work/tree" "$work/tree/layers.txt" >"$work/out" 2>&1; then
    echo "FAIL: $name: the check passed"
    exit 1
  fi
  if ! grep -qF -- "$expected" "$work/out"; then
    echo "FAIL: $name: the check did not say \"$expected\":"
    cat "$work/out"
    exit 1
  fi
  echo "ok: $name"
}

fault "a layer reaches up" "core/text includes \"index/documentindex.h\" of core/index" \
  'echo "#include \"index/documentindex.h\"" >>src/core/text/textwindow.cpp'
fault "a layer reaches up in brackets" "core/dbase includes \"search/searchjob.h\" of core/search" \
  'echo "#include <search/searchjob.h>" >>src/core/dbase/dbfreader.cpp'
fault "a name two include roots answer" "names a file under more than one include root" \
  'cp src/core/text/textreader.h src/app/text_reader_twin.h && mkdir -p src/app/text &&
   mv src/app/text_reader_twin.h src/app/text/textreader.h'
fault "a bare include" "\"textreader.h\" does not name its file by its layer" \
  'echo "#include \"textreader.h\"" >>src/core/text/textwindow.cpp'
fault "an include of a file that is not there" "\"text/nothing.h\" does not name its file" \
  'echo "#include \"text/nothing.h\"" >>src/core/library/filetree.cpp'
fault "layers that link in a cycle" "the layers link in a cycle" \
  'sed -i "s|^core/platform:.*|core/platform: text|" layers.txt'
fault "a window file that reads a document" "the window reads a file itself" \
  'printf "void f(const QString& path)\n{\n    QFile file(path);\n}\n" >>src/app/links/normlinksdock.cpp'
fault "a window file that decodes a page itself" "the window reads a file itself" \
  'echo "const QString text = DocumentText(bytes).text();" >>src/app/viewer/titlepanel.cpp'
