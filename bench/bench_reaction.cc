// One reaction of the simulator's engine over a module of 10^4 equations: 100 inputs and
// 5000 locals (status and value rail each), L_i := (L_{i-1} and I_{i mod 100}) or I_{7i mod 100}.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Bddexpression.h"
#include "equationtable.h"
#include "evaluation.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"

namespace {

Module* buildModule(int locals) {
  Module* m = new Module("Bench");
  Bddexpressionwood* w = m->getBddWood();
  m->setSet(new Signal("SETBench", m, w));
  m->setReset(new Signal("RESETBench", m, w));
  m->setRtl(new Signal("RTLBench", m, w));
  std::vector<Signal*> in;
  for (int i = 0; i < 100; ++i) {
    Signal* s = new Signal("I" + std::to_string(i), m, w);
    s->is_input = true;
    m->addInputSignal(s);
    in.push_back(s);
  }
  EquationTable* t = m->getEquationTable();
  Expression* prev = m->getSet();
  for (int i = 0; i < locals; ++i) {
    Signal* l = new Signal("L" + std::to_string(i), m, w);
    l->is_local = true;
    m->addLocalSignal(l);
    t->createEquation(l, new OrExpression(new AndExpression(prev, in[i % 100]), in[(7 * i) % 100]), m);
    prev = l;
  }
  t->callPert();
  return m;
}

void BM_Reaction(benchmark::State& state) {
  static Module* m = buildModule(5000);
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

}  // namespace

BENCHMARK_MAIN();
