#!/usr/bin/env bash
# Builds Lectoria and its Debian package, build/lectoria_<version>_<architecture>.deb, which
# installs the suite under /opt/lectoria, `lectoria` and `lectoria-find` on the PATH and the
# menu entry:
#   sudo apt-get install ./build/lectoria_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LECTORIA_BUILD_DIR:-build}

scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
rm -f "$build"/lectoria_*.deb
(cd "$build" && cpack -G DEB)
