// The SMV, VHDL, BLIF and encapsulated GAL generators writing a finalised module of 10^4
// equations (the chain module with an output every 50 locals and a register every 500),
// and ghdl analysing and elaborating the generated VHDL once.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "chain_module.h"

namespace {

Module* bench_module() {
  static Module* m = [] {
    Module* built = chain_module(5000, 50, 500);
    built->finalize(0);
    return built;
  }();
  return m;
}

template <class Write>
void write_bench(benchmark::State& state, Write write) {
  Module* m = bench_module();
  size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream os;
    write(m, os);
    bytes = os.str().size();
  }
  state.counters["equations"] = static_cast<double>(m->getBddWood()->exp_number());
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_SMV(benchmark::State& state) {
  write_bench(state, [](Module* m, std::ostream& os) { m->NUSMV_put(os, 2, 1); });
}
BENCHMARK(BM_SMV)->Unit(benchmark::kMillisecond);

void BM_VHDL(benchmark::State& state) {
  write_bench(state, [](Module* m, std::ostream& os) { m->VHDL_put(os, 1); });
}
BENCHMARK(BM_VHDL)->Unit(benchmark::kMillisecond);

void BM_BLIF(benchmark::State& state) {
  write_bench(state, [](Module* m, std::ostream& os) { m->BLIF_put(os, 1); });
}
BENCHMARK(BM_BLIF)->Unit(benchmark::kMillisecond);

void BM_GAL(benchmark::State& state) {
  write_bench(state, [](Module* m, std::ostream& os) { m->ENCAPSULATEDGAL_put(os); });
}
BENCHMARK(BM_GAL)->Unit(benchmark::kMillisecond);

// ghdl -a and -e on the generated design; the counter "elaborated" is 1 when ghdl
// accepted it (skipped without ghdl).
void BM_ElaborateGeneratedVHDL(benchmark::State& state) {
  if (std::system("command -v ghdl >/dev/null 2>&1") != 0) {
    state.SkipWithError("ghdl is not installed");
    return;
  }
  Module* m = bench_module();
  std::string dir = "/tmp/bench_netlists_" + std::to_string(::getpid());
  std::string mkdir = "mkdir -p " + dir;
  int ok = 0;
  for (auto _ : state) {
    if (std::system(mkdir.c_str()) != 0) break;
    {
      std::ofstream os(dir + "/design.vhdl");
      m->VHDL_put(os, 1);
    }
    std::string ghdl = "cd " + dir + " && ghdl -a design.vhdl && ghdl -e " + m->getName();
    ok = std::system(ghdl.c_str()) == 0;
  }
  std::string clean = "rm -rf " + dir;
  if (std::system(clean.c_str()) != 0) ok = 0;
  state.counters["elaborated"] = ok;
  if (!ok) state.SkipWithError("ghdl did not elaborate the generated VHDL");
}
BENCHMARK(BM_ElaborateGeneratedVHDL)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
