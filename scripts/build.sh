#!/usr/bin/env bash
# Configures and builds into a build folder (default: build); extra arguments go to cmake.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${BUILD_DIR:-build}
cmake -S . -B "$dir" "$@" >/dev/null
cmake --build "$dir" -j "$(nproc)"
