#!/usr/bin/env bash
# Installs what is missing, builds and runs every test (GUI tests under a virtual X server).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
cd "${BUILD_DIR:-build}"
xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" ctest --output-on-failure -j "$(nproc)"
