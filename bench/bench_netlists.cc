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

void BM_SMV(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.NUSMV_put(os, 2, 1); });
}
BENCHMARK(BM_SMV)->Unit(benchmark::kMillisecond);

void BM_VHDL(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.VHDL_put(os, 1); });
}
BENCHMARK(BM_VHDL)->Unit(benchmark::kMillisecond);

void BM_BLIF(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.BLIF_put(os, 1); });
}
BENCHMARK(BM_BLIF)->Unit(benchmark::kMillisecond);

void BM_GAL(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.ENCAPSULATEDGAL_put(os); });
}
BENCHMARK(BM_GAL)->Unit(benchmark::kMillisecond);

// ghdl -a and -e on the generated design; the counter "elaborated" is 1 when ghdl
// accepted it (skipped without ghdl).
void BM_ElaborateGeneratedVHDL(benchmark::State& state) {
  if (std::system("command -v ghdl >/dev/null 2>&1") != 0) {
    state.SkipWithError("ghdl is not installed");
    return;
  }
  Module* m = finalised_chain_module();
  tool_bench(
      state, "bench_netlists",
      [m](const std::string& dir) {
        std::ofstream os(dir + "/design.vhdl");
        m->VHDL_put(os, 1);
      },
      [m](const std::string& dir) { return "cd " + dir + " && ghdl -a design.vhdl && ghdl -e " + m->getName(); },
      "elaborated", "ghdl did not elaborate the generated VHDL");
}
BENCHMARK(BM_ElaborateGeneratedVHDL)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
