#!/usr/bin/env bash
# Builds Lectoria, stages the demo suite and starts the program on it.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${LECTORIA_BUILD_DIR:-build}

scripts/deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
  echo "run.sh: no display found; start it in a desktop session, or without one: xvfb-run -a scripts/run.sh" >&2
  exit 1
fi
exec "$build/suite/Bin/lectoria" "$@"
