#!/usr/bin/env bash
# Installs the Debian packages that Lectoria needs to build, package, run and test.
# Runs apt-get only when something is missing; works as root or through sudo.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev libqt6webenginewidgets6
  qt6-translations-l10n libgl-dev fonts-dejavu-core
  dpkg-dev file desktop-file-utils
  xvfb xauth xdotool imagemagick
  clang-format clang-tidy git python3
  libsqlite3-dev libstemmer-dev libhunspell-dev hunspell-ru
  libpoppler-cpp-dev libjs-pdf
)
# Extra packages a caller may ask for (benchmarks, fuzzing).
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

if [[ $(id -u) -eq 0 ]]; then
  sudo=()
elif command -v sudo >/dev/null 2>&1; then
  sudo=(sudo)
else
  echo "deps: missing packages (${missing[*]}) and neither root nor sudo is available" >&2
  exit 1
fi

echo "deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
