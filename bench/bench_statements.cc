// Compiling and finalising statement trees: a sequence of n statements of one instant
// (emissions, sustains, nothings in turn), the same with pauses and waits among them (each
// opens a new occurrence of every output), and a parallel of n branches (pause >> emit).
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "module.h"
#include "module_signal.h"
#include "statement_control.h"
#include "statement_parallel.h"
#include "statement_time.h"

namespace {

struct Built {
  Module* m;
  Statement* body;
};

Signal* newSignal(Module* m, const std::string& name, bool input) {
  Signal* s = new Signal(name, m, m->getBddWood());
  if (input) {
    s->is_input = true;
    m->addInputSignal(s);
  } else {
    s->is_output = true;
    m->addOutputSignal(s);
  }
  return s;
}

std::string name(Module* m, const char* prefix, int& counter) { return m->generateName(prefix, counter); }

Built sequence(int n, bool instants) {
  Module* m = new Module("seq");
  Signal* i = newSignal(m, "I", true);
  Signal* o = newSignal(m, "O", false);
  Signal* p = newSignal(m, "P", false);
  int k = 0;
  Sn* body = new Sn(name(m, "Sn", k), m);
  for (int j = 0; j < n; ++j) {
    switch (j % 5) {
      case 0:
        body->append(new Emit(name(m, "E", k), m, o));
        break;
      case 1:
        if (instants)
          body->append(new Pause(name(m, "PS", k), m));
        else
          body->append(new SustainUntil(name(m, "SU", k), m, p, i));
        break;
      case 2:
        if (instants)
          body->append(new Wait(name(m, "W", k), m, i));
        else
          body->append(new Nothing(name(m, "N", k), m));
        break;
      case 3:
        body->append(new Emit(name(m, "E", k), m, p));
        break;
      default:
        body->append(new Nothing(name(m, "N", k), m));
    }
  }
  return {m, body};
}

Built parallel(int n) {
  Module* m = new Module("par");
  Signal* o = newSignal(m, "O", false);
  int k = 0;
  Pn* body = new Pn(name(m, "Pn", k), m);
  for (int j = 0; j < n; ++j)
    body->append(new Sequence(name(m, "Q", k), m, new Pause(name(m, "PS", k), m), new Emit(name(m, "E", k), m, o)));
  return {m, body};
}

void compileAndFinalize(benchmark::State& state, Built (*make)(int)) {
  int n = static_cast<int>(state.range(0));
  double finalising = 0;  // seconds, summed over the iterations
  for (auto _ : state) {
    state.PauseTiming();
    Built b = make(n);
    b.m->addBodyStatement(b.body);
    state.ResumeTiming();
    b.m->compile();
    auto start = std::chrono::steady_clock::now();
    b.m->finalize(0);
    finalising += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    state.PauseTiming();
    delete b.m;  // statements and signals are never freed
    state.ResumeTiming();
  }
  state.counters["finalize_ms"] =
      benchmark::Counter(finalising * 1e3 / static_cast<double>(state.iterations()));
  state.SetComplexityN(n);
}

Built sequenceOfOneInstant(int n) { return sequence(n, false); }
Built sequenceOfInstants(int n) { return sequence(n, true); }

void BM_SequenceCompile(benchmark::State& state) { compileAndFinalize(state, sequenceOfOneInstant); }
BENCHMARK(BM_SequenceCompile)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_SequenceOfInstantsCompile(benchmark::State& state) { compileAndFinalize(state, sequenceOfInstants); }
BENCHMARK(BM_SequenceOfInstantsCompile)
    ->Arg(1000)
    ->Arg(2000)
    ->Arg(4000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_ParallelCompile(benchmark::State& state) { compileAndFinalize(state, parallel); }
BENCHMARK(BM_ParallelCompile)->Arg(100)->Arg(250)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace

BENCHMARK_MAIN();
