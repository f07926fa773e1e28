// The Lustre, Esterel, documentation, debug, dovk and listing writers on a finalised
// module of 10^4 equations (the chain module with an output every 50 locals and a
// register every 500); dovk on a chain of 10^4 equations over 20 inputs and 3 outputs.
#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>
#include <string>

#include "chain_module.h"
#include "gen_printers.h"

namespace {

// 20 inputs, L_i := (L_{i-1} and I_{i mod 20}) or I_{7i mod 20}, outputs of the last three.
Module* dovk_module() {
  static Module* m = [] {
    Module* built = new Module("Dovk");
    Bddexpressionwood* w = built->getBddWood();
    std::vector<Signal*> in;
    for (int i = 0; i < 20; ++i) {
      Signal* s = new Signal("I" + std::to_string(i), built, w);
      s->is_input = true;
      built->addInputSignal(s);
      in.push_back(s);
    }
    EquationTable* t = built->getEquationTable();
    Expression* prev = in[0];
    for (int i = 0; i < 5000; ++i) {
      Signal* l = new Signal("L" + std::to_string(i), built, w);
      l->is_local = true;
      built->addLocalSignal(l);
      t->createEquation(l, new OrExpression(new AndExpression(prev, in[i % 20]), in[(7 * i) % 20]), built);
      prev = l;
    }
    for (int i = 0; i < 3; ++i) {
      Signal* o = new Signal("O" + std::to_string(i), built, w);
      o->is_output = true;
      built->addOutputSignal(o);
      t->createEquation(o, prev, built);
    }
    t->callPert();
    return built;
  }();
  return m;
}

void BM_Lustre(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.LUSTRE_put(os, 0); });
}
BENCHMARK(BM_Lustre)->Unit(benchmark::kMillisecond);

void BM_Esterel(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.ESTEREL_put(os, 0); });
}
BENCHMARK(BM_Esterel)->Unit(benchmark::kMillisecond);

void BM_Doc(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { m.DOC_put(os, 0); });
}
BENCHMARK(BM_Doc)->Unit(benchmark::kMillisecond);

void BM_Debug(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) {
    std::streambuf* err = std::cerr.rdbuf(nullptr);
    m.DEBUG_put(os);
    std::cerr.rdbuf(err);
  });
}
BENCHMARK(BM_Debug)->Unit(benchmark::kMillisecond);

void BM_DebugListingLines(benchmark::State& state) {
  std::ostringstream os;
  std::streambuf* err = std::cerr.rdbuf(nullptr);
  finalised_chain_module()->DEBUG_put(os);
  std::cerr.rdbuf(err);
  std::string text = os.str();
  for (auto _ : state) {
    std::istringstream in(text);
    benchmark::DoNotOptimize(debug_listing_lines(in).size());
  }
  state.counters["bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_DebugListingLines)->Unit(benchmark::kMillisecond);

void BM_Dovk(benchmark::State& state) {
  write_bench(state, dovk_module(), [](Module& m, std::ostream& os) {
    std::streambuf* out = std::cout.rdbuf(nullptr);
    m.DOVKCC_put(os, 0);
    std::cout.rdbuf(out);
  });
}
BENCHMARK(BM_Dovk)->Unit(benchmark::kMillisecond);

void BM_PlainListing(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { Put_bac(*m.getBddWood(), os, 0); });
}
BENCHMARK(BM_PlainListing)->Unit(benchmark::kMillisecond);

void BM_LatexListing(benchmark::State& state) {
  write_bench(state, finalised_chain_module(), [](Module& m, std::ostream& os) { Put_latex(*m.getBddWood(), os, 0); });
}
BENCHMARK(BM_LatexListing)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
