// The C, SystemC and C# generators writing a finalised module of 10^4 equations: 100
// inputs, 5000 locals (status and value rail each), L_i := (L_{i-1} and I_{i mod 100}) or
// I_{7i mod 100}, an output every 50 locals and a register every 500; and the generated C
// compiled by gcc once.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "equationtable.h"
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
    if (i % 500 == 499) {
      std::string r = "R" + std::to_string(i);
      m->addRegisterDecl(r.c_str(), 0, (r + "n").c_str());
      Signal* reg = m->getLocalSignal(r);
      t->createRegisterEquation(reg, m);
      t->createEquation(m->getLocalSignal(r + "n"), prev, m);
      prev = new OrExpression(prev, reg);
    }
    t->createEquation(l, new OrExpression(new AndExpression(prev, in[i % 100]), in[(7 * i) % 100]), m);
    if (i % 50 == 49) {
      Signal* o = new Signal("O" + std::to_string(i), m, w);
      o->is_output = true;
      m->addOutputSignal(o);
      t->createEquation(o, l, m);
    }
    prev = l;
  }
  t->callPert();
  m->finalize(0);
  return m;
}

Module* bench_module() {
  static Module* m = buildModule(5000);
  return m;
}

void BM_C(benchmark::State& state) {
  Module* m = bench_module();
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
  Module* m = bench_module();
  for (auto _ : state) {
    std::ostringstream body, header;
    m->SYSTEMC_put(body, header);
    benchmark::DoNotOptimize(body.tellp());
  }
}
BENCHMARK(BM_SystemC)->Unit(benchmark::kMillisecond);

void BM_CSharp(benchmark::State& state) {
  Module* m = bench_module();
  for (auto _ : state) {
    std::ostringstream os;
    m->CSharp_put(os);
    benchmark::DoNotOptimize(os.tellp());
  }
}
BENCHMARK(BM_CSharp)->Unit(benchmark::kMillisecond);

// gcc -c on the generated body; the counter "compiled" is 1 when gcc accepted it.
void BM_CompileGeneratedC(benchmark::State& state) {
  Module* m = bench_module();
  std::string dir = "/tmp/bench_gen_" + std::to_string(::getpid());
  std::string mkdir = "mkdir -p " + dir;
  int ok = 0;
  for (auto _ : state) {
    if (std::system(mkdir.c_str()) != 0) break;
    {
      std::ofstream body(dir + "/Bench.c"), header(dir + "/Bench.h");
      m->C_put(body, header);
    }
    std::string cc = "gcc -std=c99 -Wall -Werror -Wno-parentheses -Wno-unused-but-set-variable -c -o " + dir +
                     "/Bench.o " + dir + "/Bench.c";
    ok = std::system(cc.c_str()) == 0;
  }
  std::string clean = "rm -rf " + dir;
  if (std::system(clean.c_str()) != 0) ok = 0;
  state.counters["compiled"] = ok;
  if (!ok) state.SkipWithError("the generated C did not compile");
}
BENCHMARK(BM_CompileGeneratedC)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
