// Compiling an explicit automaton of n states in a ring (state i moves to i + 1 on I, the
// last back to the first; every state emits O), alone and with the finalisation.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "module.h"
#include "module_signal.h"
#include "statement_automaton.h"

namespace {

Module* ring(int n) {
  Module* m = new Module("ring");
  Signal* i = new Signal("I", m, m->getBddWood());
  i->is_input = true;
  m->addInputSignal(i);
  Signal* o = new Signal("O", m, m->getBddWood());
  o->is_output = true;
  m->addOutputSignal(o);
  Automaton* a = new Automaton("ringAu_1", m);
  std::vector<State*> states;
  for (int k = 0; k < n; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "s%05d", k);
    State* s = new State(name);
    s->moore.push_back(o);
    (*a->state_table)[name] = s;
    states.push_back(s);
  }
  Transition* in = new Transition;
  in->initial = true;
  in->target = states[0];
  a->transition_list->push_back(in);
  for (int k = 0; k < n; ++k) {
    Transition* t = new Transition;
    t->source = states[static_cast<size_t>(k)];
    t->target = states[static_cast<size_t>((k + 1) % n)];
    t->trigger = i;
    a->transition_list->push_back(t);
  }
  m->addBodyStatement(a);
  return m;
}

void run(benchmark::State& state, bool finalize) {
  int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    Module* m = ring(n);
    state.ResumeTiming();
    m->compile();
    if (finalize) m->finalize(0);
    state.PauseTiming();
    delete m;  // statements and signals are never freed
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}

void BM_AutomatonRingCompile(benchmark::State& state) { run(state, false); }
BENCHMARK(BM_AutomatonRingCompile)->Arg(250)->Arg(500)->Arg(1000)->Arg(2000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_AutomatonRingCompileAndFinalize(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_AutomatonRingCompileAndFinalize)->Arg(1000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
