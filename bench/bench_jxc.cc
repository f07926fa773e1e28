// Reading compiled-module files: a generated .jxc of N equations over 64 inputs, three BDD
// nodes of its own per equation (the reader's unique table merges the equal ones); the same
// behind a long comment line.
#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "load_jxc.h"

namespace {

const long kInputs = 64;

// Inputs x0..x63 (ids 2j, 2j+1), locals y0..y(n/2-1) (ids from 128 on); equation i defines
// variable 128 + i (both rails of each local) as x_a & (x_b | !x_c) or its complement,
// a < b < c picked from i.
std::string generate(long n) {
  std::ostringstream os;
  os << "module: big  0 1\ninput:";
  for (long j = 0; j < kInputs; ++j) os << " x" << j;
  os << ";\nlocal:";
  for (long i = 0; i < (n + 1) / 2; ++i) os << " y" << i;
  os << ";\nconnexion: SETbig RESETbig RTLbig;\n\nequation_def:\n" << 3 * n + 1 << "\n0: -1:-3:-3,1\n";
  for (long i = 0; i < n; ++i) {
    long a = i % 20, b = 20 + (i / 20) % 20, c = 40 + (i / 400) % 24;
    long k = 3 * i + 1;
    os << k << ": " << 2 * c << ":0:0,-1\n";                          // x_c
    os << k + 1 << ": " << 2 * b << ":0:" << k << ",-1\n";            // x_b | !x_c
    os << k + 2 << ": " << 2 * a << ":" << k + 1 << ":0,-1\n";        // x_a & ...
  }
  os << "expressions:\n";
  for (long i = 0; i < n; ++i)
    os << "1 1 " << 2 * kInputs + i << ":" << 3 * i + 3 << "," << (i % 2 == 0 ? 1 : -1) << ",()\n";
  os << "end:\n";
  return os.str();
}

// Locals y0..y(n-1) valued, paired into registers, each bound to a constant: the register and
// binding sections look signals up by name.
std::string generate_bound(long n) {
  std::ostringstream os;
  os << "module: bound  0 1\ninput: x0;\nlocal:";
  for (long i = 0; i < n; ++i) os << " y" << i << " : int";
  os << ";\nregister:";
  for (long i = 0; i + 1 < n; i += 2) os << " y" << i << " y" << i + 1 << " 0;";
  os << "\nconnexion: SETbound RESETbound RTLbound;\n\nequation_def:\n1\n0: -1:-3:-3,1\nexpressions:\nend:\n";
  os << "binding:\n";
  for (long i = 0; i < n; ++i) os << "(" << 2 * (i + 1) << ", " << 2 * (i + 1) + 1 << "): value: 0;\n";
  os << "end:\nevaltable:\n0: $0;\nend:\ndata:\ntype:\nint;\nmethod:\nconstant:\nint one \"1\";\nend:\n";
  return os.str();
}

// A chain of n equations, each the copy of the one before, all dated "1 1": the reader's
// dating has to raise every date along the chain.
std::string generate_chain(long n) {
  std::ostringstream os;
  os << "module: chain  0 1\ninput: x;\nlocal:";
  for (long i = 0; i < (n + 1) / 2; ++i) os << " y" << i;
  os << ";\nconnexion: S R T;\n\nequation_def:\n" << n + 1 << "\n0: -1:-3:-3,1\n";
  for (long i = 0; i < n; ++i) os << i + 1 << ": " << i << ":0:0,-1\n";
  os << "expressions:\n";
  for (long i = 0; i < n; ++i) os << "1 1 " << i + 2 << ":" << i + 1 << ",1,()\n";
  os << "end:\n";
  return os.str();
}

void read_jxc(benchmark::State& state, const std::string& text, long n) {
  std::ofstream log("/dev/null");
  jxc_load_request request;
  request.explain = 0;
  for (auto _ : state) {
    std::istringstream in(text);
    jxc_load_result loaded = jxc_read(in, log, request);
    state.PauseTiming();
    if (!loaded.ok()) {
      state.SkipWithError("the generated file was refused");
      break;
    }
    jxc_release(loaded.module);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_ReadJxc(benchmark::State& state) { read_jxc(state, generate(state.range(0)), state.range(0)); }
BENCHMARK(BM_ReadJxc)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadJxcBound(benchmark::State& state) { read_jxc(state, generate_bound(state.range(0)), state.range(0)); }
BENCHMARK(BM_ReadJxcBound)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_ReadJxcChain(benchmark::State& state) { read_jxc(state, generate_chain(state.range(0)), state.range(0)); }
BENCHMARK(BM_ReadJxcChain)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// A comment line of N characters before a file of 10 equations: the time per character stays
// flat as N grows.
void BM_ReadJxcLongComment(benchmark::State& state) {
  const std::string comment = "// " + std::string(static_cast<size_t>(state.range(0)), 'c') + "\n";
  read_jxc(state, comment + generate(10), state.range(0));
}
BENCHMARK(BM_ReadJxcLongComment)->Arg(1 << 16)->Arg(1 << 20)->Arg(1 << 22)->Arg(1 << 23)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
