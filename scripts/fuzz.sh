#!/usr/bin/env bash
# Builds the .jxc reader's libFuzzer target with clang (AddressSanitizer and UBSan) and runs it
# for a bounded time with leak detection on (ASAN_OPTIONS=detect_leaks=0 turns it off); the
# corpus starts from the golden compiled-module files.
# Usage: scripts/fuzz.sh [seconds] [build folder]   (defaults: 60, build-fuzz)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
dir="${2:-$root/build-fuzz}"
cmake -S "$root" -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARIM_SANITIZE=ON -DZARIM_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$dir" -j "$(nproc)" --target fuzz_jxc >/dev/null
corpus="$dir/fuzz_jxc_corpus"
mkdir -p "$corpus" "$dir/fuzz_jxc_artifacts"
cp "$root"/tests/core/data/*.jxc "$corpus"/
find "$root/tests/core/data" -path '*/reader/*' -name '*.jxc' -exec cp {} "$corpus"/ \; 2>/dev/null || true
export ASAN_OPTIONS="detect_leaks=1:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
exec "$dir/tests/fuzz_jxc" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
  -artifact_prefix="$dir/fuzz_jxc_artifacts/" -close_fd_mask=2 "$corpus"
