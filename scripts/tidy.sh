#!/usr/bin/env bash
# Runs clang-tidy (the checks of .clang-tidy) on the sources of the core and the terminal
# tools, two at a time, from the build's compile_commands.json; fails on any finding, and
# when clang-tidy itself fails. A source checked clean is not checked again until it, a
# header of ours it includes, or .clang-tidy changes (the marks live in the build folder, so
# a fresh build checks everything).
# Usage: tidy.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "$1")
if ! command -v clang-tidy >/dev/null 2>&1; then
  echo "tidy: clang-tidy is not installed (scripts/deps.sh installs it); skipped"
  exit 0
fi
marks="$build/tidy-clean"
mkdir -p "$marks"
config=$(sha1sum .clang-tidy | cut -c1-40)

# What a source's mark holds: the checks' digest, its own and its headers' (those of src/).
key() {
  local file=$1 headers
  headers=$(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file" |
    while IFS= read -r name; do
      for root in src/core src/app; do
        [[ -f "$root/$name" ]] && echo "$root/$name"
      done
    done | sort -u)
  # shellcheck disable=SC2086
  printf '%s %s' "$config" "$(cat "$file" $headers | sha1sum | cut -c1-40)"
}
markOf() { printf '%s/%s' "$marks" "$(printf '%s' "$1" | tr '/' '_')"; }

todo=()
while IFS= read -r file; do
  mark=$(markOf "$file")
  [[ -f "$mark" && $(cat "$mark") == "$(key "$file")" ]] || todo+=("$file")
done < <(git ls-files -- 'src/core/*.cpp' 'src/cli/*.cpp' | grep -v '_windows\.cpp$')
echo "tidy: ${#todo[@]} sources to check"
((${#todo[@]} == 0)) && exit 0

check() {
  local file=$1 out
  if ! out=$(clang-tidy -p "$build" --quiet "$file" 2>&1); then
    printf '%s\n' "$out" | grep -E '(warning|error):' || printf '%s\n' "$out"
    return 1
  fi
  key "$file" >"$(markOf "$file")"
}
export -f check key markOf
export build marks config
if ! printf '%s\n' "${todo[@]}" | xargs -P 2 -I{} bash -c 'check "$1"' _ {}; then
  echo "tidy: the findings above break the rules of .clang-tidy" >&2
  exit 1
fi
