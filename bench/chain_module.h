// A module of 10^4 equations for the benchmarks: 100 inputs and `locals` locals (status and
// value rail each), L_i := (P_{i-1} and I_{i mod 100}) or I_{7i mod 100}, P_{i-1} being
// L_{i-1} (Set for L_0); with output_every > 0 an output O_i := L_i after every
// output_every-th local, with register_every > 0 a register R_i (initially false, next
// state P_{i-1}) before every register_every-th local, P_{i-1} then ORed with R_i.
#ifndef BENCH_CHAIN_MODULE_H
#define BENCH_CHAIN_MODULE_H

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "equationtable.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"

inline Module* chain_module(int locals, int output_every = 0, int register_every = 0) {
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
    if (register_every > 0 && i % register_every == register_every - 1) {
      std::string r = "R" + std::to_string(i);
      m->addRegisterDecl(r.c_str(), 0, (r + "n").c_str());
      Signal* reg = m->getLocalSignal(r);
      t->createRegisterEquation(reg, m);
      t->createEquation(m->getLocalSignal(r + "n"), prev, m);
      prev = new OrExpression(prev, reg);
    }
    t->createEquation(l, new OrExpression(new AndExpression(prev, in[i % 100]), in[(7 * i) % 100]), m);
    if (output_every > 0 && i % output_every == output_every - 1) {
      Signal* o = new Signal("O" + std::to_string(i), m, w);
      o->is_output = true;
      m->addOutputSignal(o);
      t->createEquation(o, l, m);
    }
    prev = l;
  }
  t->callPert();
  return m;
}

// The generators' module: chain_module(5000, 50, 500) finalised once (its messages dropped).
inline Module* finalised_chain_module() {
  static Module* m = [] {
    Module* built = chain_module(5000, 50, 500);
    std::streambuf* err = std::cerr.rdbuf(nullptr);
    built->finalize(0);
    std::cerr.rdbuf(err);
    return built;
  }();
  return m;
}

// write(*m, os) into a string per iteration; counters: the equations and the bytes written.
template <class Write>
void write_bench(benchmark::State& state, Module* m, Write write) {
  size_t bytes = 0;
  for (auto _ : state) {
    std::ostringstream os;
    write(*m, os);
    bytes = static_cast<size_t>(os.tellp());
  }
  state.counters["equations"] = static_cast<double>(m->getBddWood()->exp_number());
  state.counters["bytes"] = static_cast<double>(bytes);
}

// Per iteration: write(dir) puts the generated files into a scratch folder, then
// command(dir) runs through the shell; the folder is removed at the end. The counter is 1
// when the last command succeeded; otherwise the benchmark reports failure.
template <class Write, class Command>
void tool_bench(benchmark::State& state, const std::string& stem, Write write, Command command, const char* counter,
                const char* failure) {
  const std::string dir = "/tmp/" + stem + "_" + std::to_string(::getpid());
  const std::string mkdir = "mkdir -p " + dir;
  int ok = 0;
  for (auto _ : state) {
    if (std::system(mkdir.c_str()) != 0) break;
    write(dir);
    ok = std::system(command(dir).c_str()) == 0;
  }
  const std::string clean = "rm -rf " + dir;
  if (std::system(clean.c_str()) != 0) ok = 0;
  state.counters[counter] = ok;
  if (!ok) state.SkipWithError(failure);
}

#endif
