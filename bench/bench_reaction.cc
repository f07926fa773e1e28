// One reaction and one load of the simulator's engine over a module of 10^4 equations: 100
// inputs and 5000 locals (status and value rail each), L_i := (L_{i-1} and I_{i mod 100}) or
// I_{7i mod 100}.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Bddexpression.h"
#include "chain_module.h"
#include "evaluation.h"

namespace {

void BM_Reaction(benchmark::State& state) {
  static Module* m = chain_module(5000);
  Simulation sim;
  sim.load(m);
  int k = 0;
  for (auto _ : state) {
    for (size_t i = 0; i < sim.inputs().size(); ++i)
      sim.setInputColour(sim.inputs()[i], (i + static_cast<size_t>(k)) % 3 == 0 ? Colour::Bleu : Colour::Jaune);
    ++k;
    ReactionReport r = sim.react();
    benchmark::DoNotOptimize(r.ran);
  }
  state.counters["equations"] = static_cast<double>(m->getBddWood()->exp_number());
}
BENCHMARK(BM_Reaction)->Unit(benchmark::kMillisecond);

// The load, which fixes the order and ids every reaction reads.
void BM_Load(benchmark::State& state) {
  static Module* m = chain_module(5000);
  Simulation sim;
  for (auto _ : state) {
    sim.load(m);
    benchmark::DoNotOptimize(sim.context().data());
  }
}
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
