#!/usr/bin/env bash
# Builds a reader's libFuzzer target with clang (AddressSanitizer and UBSan) and runs it for a
# bounded time: the compiled-module reader (jxc, corpus from the golden compiled-module files) or
# the source reader (jx, corpus from the test sources), whose modules are then compiled and
# finalised in the fuzzer's process, the library's fatal ends thrown (see tests/core/fuzz_jx.cc).
# The compiled-module reader runs with leak detection on (a read module is released whole); the
# source reader with it off, since a source module keeps its statements and signals for the life
# of the program.
# Usage: scripts/fuzz.sh [seconds] [build folder] [jxc|jx]   (defaults: 60, build-fuzz, jxc)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
dir="${2:-$root/build-fuzz}"
reader="${3:-jxc}"
case "$reader" in
  jxc | jx) ;;
  *) echo "unknown reader: $reader (jxc or jx)" >&2; exit 2 ;;
esac
cmake -S "$root" -B "$dir" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZARIM_SANITIZE=ON -DZARIM_FUZZ=ON -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$dir" -j "$(nproc)" --target "fuzz_$reader" >/dev/null
corpus="$dir/fuzz_${reader}_corpus"
mkdir -p "$corpus" "$dir/fuzz_${reader}_artifacts"
if [ "$reader" = jxc ]; then
  cp "$root"/tests/core/data/*.jxc "$corpus"/
  find "$root/tests/core/data" -path '*/reader/*' -name '*.jxc' -exec cp {} "$corpus"/ \; 2>/dev/null || true
else
  cp "$root"/tests/core/data/jx/*.jx "$corpus"/
fi
leaks=1
[ "$reader" = jx ] && leaks=0
export ASAN_OPTIONS="detect_leaks=$leaks:${ASAN_OPTIONS:-}"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:${UBSAN_OPTIONS:-}"
exec "$dir/tests/fuzz_$reader" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -max_len=65536 \
  -artifact_prefix="$dir/fuzz_${reader}_artifacts/" -close_fd_mask=2 "$corpus"
