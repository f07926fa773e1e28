#!/usr/bin/env bash
# Compares what two builds of the compiler write, byte for byte: the .jxc of every module and
# the C, VHDL, BLIF, C#, Lustre and value server of module M for random programs
# (bench/jx_outputs.cc, the generator of tests/core/test_jx_random_flow.cc), those files of
# every module for as many random programs of several modules (the generator of
# tests/SIMULATOR_JXC/test_multi_module.cc), then the same
# files for the example of SIMULATOR_JXC/examples. The reference build is made from a revision
# in a worktree of its own.
#
#   scripts/compare_outputs.sh <revision> [count] [first seed] [jobs]
#
# Environment: BASE_DIR (the reference worktree, default /tmp/zarim-compare-<revision>),
# NEW_BUILD (this tree's Release build with the benchmarks, default build-rel), OUT (the folder
# of the outputs, default /tmp/zarim-compare-out), DEPTH (of the random statements, default 5; -d:
# a flat parallel of 3 to 10 statements of depth d),
# REUSE_BASE=1 (keep the reference's outputs of an earlier run with the same arguments).
# Status 0 when every file is the same.
set -euo pipefail
cd "$(dirname "$0")/.."
rev=${1:?usage: compare_outputs.sh <revision> [count] [first seed] [jobs]}
count=${2:-1000}
first=${3:-1}
jobs=${4:-4}
base=${BASE_DIR:-/tmp/zarim-compare-$rev}
new_build=${NEW_BUILD:-build-rel}
out=${OUT:-/tmp/zarim-compare-out}
targets=(jx_outputs build_example)

# The reference: the revision's tree with this tree's driver, built in Release.
if [ ! -d "$base" ]; then git worktree add --detach "$base" "$rev" >/dev/null; fi
cp bench/jx_outputs.cc "$base/bench/"
cp tests/support/random_program.h tests/support/random_modules.h "$base/tests/support/"
grep -q "jx_outputs" "$base/bench/CMakeLists.txt" ||
  sed -n '/^# The compiler.s outputs for random programs/,$p' bench/CMakeLists.txt >>"$base/bench/CMakeLists.txt"
for tree in "$base/build-rel" "$new_build"; do
  src=$([ "$tree" = "$new_build" ] && echo . || echo "$base")
  cmake -S "$src" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DZARIM_BENCH=ON >/dev/null
  cmake --build "$tree" -j "$jobs" --target "${targets[@]}" >/dev/null
done

depth=${DEPTH:-5}
if [ "${REUSE_BASE:-0}" = 1 ] && [ -d "$out/base" ]; then sides=(new); else sides=(base new); rm -rf "$out/base"; fi
rm -rf "$out/new"
mkdir -p "$out"
last=$((first + count - 1))
per=$(((count + jobs - 1) / jobs))
# The wide module: branch k tests Ik and emits Ok or O(k+1).
wide="$out/wide.jx"
{
  printf 'module W:\nInput: I0'; for ((k = 1; k < 100; ++k)); do printf ', I%d' $k; done
  printf ';\nOutput: O0'; for ((k = 1; k < 100; ++k)); do printf ', O%d' $k; done
  printf ';\n{present I0 emit O1 else emit O2}'
  for ((k = 1; k < 99; ++k)); do printf ' ||\n{present I%d emit O%d else {pause >> emit O%d}}' $k $k $((k + 1)); done
  printf '\nend\n'
} >"$wide"
for side in "${sides[@]}"; do
  bin=$([ $side = base ] && echo "$base/build-rel" || echo "$new_build")
  mkdir -p "$out/$side"
  for ((j = 0; j < jobs; ++j)); do
    from=$((first + j * per))
    to=$((from + per - 1))
    [ $to -gt $last ] && to=$last
    [ $from -le $last ] && "$bin/bench/jx_outputs" "$out/$side/random" $from $to "$depth" &
    [ $from -le $last ] && "$bin/bench/jx_outputs" "$out/$side/modules" $from $to modules &
  done
  wait
done
# The examples and the wide module, on both sides every time.
for side in base new; do
  bin=$([ $side = base ] && echo "$base/build-rel" || echo "$new_build")
  for f in SIMULATOR_JXC/examples/*.jx "$wide"; do
    rm -rf "$out/$side/$(basename "$f" .jx)" "$out/$side/example-$(basename "$f" .jx)"
    "$bin/bench/jx_outputs" --source "$f" "$out/$side/$(basename "$f" .jx)"
    mkdir -p "$out/$side/example-$(basename "$f" .jx)"
    "$bin/SIMULATOR_JXC/build_example" "$f" "$out/$side/example-$(basename "$f" .jx)" >/dev/null 2>&1 || true
  done
done

# Standard error names addresses, which differ from run to run.
find "$out/new" "$out/base" -name stderr -exec sed -i -E 's/0x[0-9a-f]+/0x?/g' {} +
files=$(find "$out/base" -type f | wc -l)
multi=$({ grep -lx 0 "$out"/base/modules/*/status 2>/dev/null || true; } | wc -l)
cycles=$({ grep -lx 1 "$out"/base/random/*/status 2>/dev/null || true; } | wc -l)
if diff -rq "$out/base" "$out/new" >"$out/differences"; then
  echo "$count programs (seeds $first-$last, $cycles ending on a causality cycle), $count of several modules ($multi built)" \
    "and the examples: $files files, all identical"
else
  echo "$count programs (seeds $first-$last), $count of several modules and the examples:" \
    "$(wc -l <"$out/differences") of $files files differ:"
  head -20 "$out/differences"
  exit 1
fi
