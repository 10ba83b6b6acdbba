#!/usr/bin/env bash
# Builds Lectoria and runs all tests (no display needed). The build lets no compiler warning
# pass and checks the layers, every tracked source file must already be formatted by the
# repository's .clang-format, and the core keeps to the checks of .clang-tidy.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LECTORIA_BUILD_DIR:-build}

scripts/deps.sh

sources=()
while IFS= read -r file; do
  [[ -f "$file" ]] && sources+=("$file") # a file deleted in the working tree is not checked
done < <(git ls-files -- '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${sources[@]}"; then
  echo "test: the files above are not formatted; run clang-format -i on them" >&2
  exit 1
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLECTORIA_WERROR=ON >/dev/null
cmake --build "$build"
# The checks of .clang-tidy on the core and the terminal tools.
scripts/tidy.sh "$build"
cd "$build"
ctest --output-on-failure --timeout 600 "$@"
