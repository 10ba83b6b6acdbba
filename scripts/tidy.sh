#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) on the sources of the core and the terminal
# tools, two at a time, from the build's compile_commands.json; fails on any finding. A
# source checked clean is not checked again until it, or .clang-tidy, changes (the marks
# live in the build folder, so a fresh build checks everything).
# Usage: tidy.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
if ! command -v clang-tidy >/dev/null 2>&1; then
  echo "tidy: clang-tidy is not installed; skipped"
  exit 0
fi
marks="$build/tidy-clean"
mkdir -p "$marks"
config=$(sha1sum .clang-tidy | cut -c1-40)
todo=()
while IFS= read -r file; do
  mark="$marks/$(printf '%s' "$file" | tr '/' '_')"
  key="$config $(sha1sum "$file" | cut -c1-40)"
  [[ -f "$mark" && $(cat "$mark") == "$key" ]] || todo+=("$file")
done < <(git ls-files -- 'src/core/*.cpp' 'src/cli/*.cpp' | grep -v '_windows\.cpp$')
echo "tidy: ${#todo[@]} sources to check"
((${#todo[@]} == 0)) && exit 0
check() {
  local file=$1 marks=$2 config=$3 build=$4
  if clang-tidy -p "$build" --quiet "$file" 2>/dev/null | grep -E '(warning|error):' ; then
    return 1
  fi
  printf '%s %s' "$config" "$(sha1sum "$file" | cut -c1-40)" >"$marks/$(printf '%s' "$file" | tr '/' '_')"
}
export -f check
if ! printf '%s\n' "${todo[@]}" | xargs -P 2 -I{} bash -c 'check "$@"' _ {} "$marks" "$config" "$build"; then
  echo "tidy: the findings above break the rules of .clang-tidy" >&2
  exit 1
fi
