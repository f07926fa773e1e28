#!/usr/bin/env bash
# Installs what is missing, builds, and starts the simulator on a bundled example module.
# With no X display it runs on Qt's offscreen platform for a few seconds, saves nothing, and reports.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh
example="SIMULATOR_JXC/examples/pipe.jxc"
zars="${BUILD_DIR:-build}/SIMULATOR_JXC/zars"
if [ -n "${DISPLAY:-}" ]; then
  exec "$zars" "$example"
fi
echo "No X display: starting the simulator offscreen for 5 seconds on $example"
status=0
QT_QPA_PLATFORM=offscreen timeout 5 "$zars" "$example" || status=$?
if [ "$status" -eq 124 ]; then
  echo "The simulator started, loaded $example and ran until stopped."
  exit 0
fi
exit "$status"
