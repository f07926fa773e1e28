// The C, SystemC and C# generators writing a finalised module of 10^4 equations (the chain
// module with an output every 50 locals and a register every 500), and the generated C
// compiled by gcc once.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "chain_module.h"

namespace {

void BM_C(benchmark::State& state) {
  Module* m = finalised_chain_module();
  size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream body, header;
    m->C_put(body, header);
    bytes = body.str().size();
  }
  state.counters["equations"] = static_cast<double>(m->getBddWood()->exp_number());
  state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_C)->Unit(benchmark::kMillisecond);

void BM_SystemC(benchmark::State& state) {
  Module* m = finalised_chain_module();
  for (auto _ : state) {
    std::ostringstream body, header;
    m->SYSTEMC_put(body, header);
    benchmark::DoNotOptimize(body.tellp());
  }
}
BENCHMARK(BM_SystemC)->Unit(benchmark::kMillisecond);

void BM_CSharp(benchmark::State& state) {
  Module* m = finalised_chain_module();
  for (auto _ : state) {
    std::ostringstream os;
    m->CSharp_put(os);
    benchmark::DoNotOptimize(os.tellp());
  }
}
BENCHMARK(BM_CSharp)->Unit(benchmark::kMillisecond);

// gcc -c on the generated body; the counter "compiled" is 1 when gcc accepted it.
void BM_CompileGeneratedC(benchmark::State& state) {
  Module* m = finalised_chain_module();
  tool_bench(
      state, "bench_gen",
      [m](const std::string& dir) {
        std::ofstream body(dir + "/Bench.c"), header(dir + "/Bench.h");
        m->C_put(body, header);
      },
      [](const std::string& dir) {
        return "gcc -std=c99 -Wall -Werror -Wno-parentheses -Wno-unused-but-set-variable -c -o " + dir + "/Bench.o " +
               dir + "/Bench.c";
      },
      "compiled", "the generated C did not compile");
}
BENCHMARK(BM_CompileGeneratedC)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
