#!/usr/bin/env bash
# Quick run of every BDD benchmark workload at its smallest size, with the
# cross-checks against the comparator package; fails when a check fails.
# Usage: bench/smoke.sh [build folder]   (default: build-bench, a Release build;
# an existing folder keeps its settings and gets the benchmark turned on)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build-bench}"
if [ -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" -DZARIM_BENCH=ON >/dev/null
else
  cmake -S "$root" -B "$dir" -DZARIM_BENCH=ON -DZARIM_TESTS=OFF -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$dir" -j "$(nproc)" --target bdd_bench >/dev/null
exec "$dir/bench/bdd_bench" --smoke
