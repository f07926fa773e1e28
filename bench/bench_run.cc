// Compiling a module that runs another module n times in sequence (n instances): the
// called module is compiled once and included n times under its instance suffixes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "compilation.h"
#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "statement_time.h"

namespace {

// The called module: pause >> present A emit B.
Module* callee(const std::string& name) {
  Module* k = new Module(name);
  Signal* a = add_input(k, "A");
  Signal* b = add_output(k, "B");
  k->addBodyStatement(new Sequence(name + "Q", k, new Pause(name + "PS", k),
                                   new Present(name + "Pr", k, a, new Emit(name + "E", k, b))));
  return k;
}

// n Runs in sequence, all reading I; each drives its own output O<r>, or all drive O
// (shared: every instance ORs into the one equation of O).
void runInstances(benchmark::State& state, bool shared) {
  const int n = static_cast<int>(state.range(0));
  int round = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string called = "Callee" + std::to_string(round++);
    Module* k = callee(called);
    Compilation::ModTable->add(k);
    Module* m = new Module("Caller");
    Signal* i = add_input(m, "I");
    Signal* o = add_output(m, "O");
    int counter = 0;
    Sn* body = new Sn(m->generateName("Sn", counter), m);
    for (int r = 0; r < n; ++r) {
      Signal* out = shared ? o : add_output(m, "O" + std::to_string(r));
      ::Run::Renamings renamings{{"A", i}, {"B", out}};
      ::Run* run = new ::Run(m->generateName("R", counter), m, called);
      run->setRenamingTable(&renamings);
      body->append(run);
    }
    m->addBodyStatement(body);
    state.ResumeTiming();
    m->compile();
    benchmark::DoNotOptimize(m->getBddWood());
    state.PauseTiming();
    Compilation::ModTable->table->erase(called);
    delete m;
    delete k;
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
}
void BM_RunInstancesCompile(benchmark::State& state) { runInstances(state, false); }
BENCHMARK(BM_RunInstancesCompile)->RangeMultiplier(2)->Range(125, 1000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_RunInstancesSharedOutputCompile(benchmark::State& state) { runInstances(state, true); }
BENCHMARK(BM_RunInstancesSharedOutputCompile)
    ->RangeMultiplier(2)
    ->Range(125, 1000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

}  // namespace

BENCHMARK_MAIN();
