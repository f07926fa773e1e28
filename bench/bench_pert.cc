// Dating and sorting of large equation systems: random acyclic systems of n equations whose
// variable ids are in random order against the dependences (each equation reads one to three
// variables defined before it, or inputs), and a chain of uneven diamonds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "Bddexpression.h"

namespace {

std::unique_ptr<Bddexpressionwood> random_system(long n) {
  auto w = std::make_unique<Bddexpressionwood>();
  const long inputs = n / 10;
  const long total = n + inputs;
  for (long i = 0; i < total; ++i) w->man->New_var_last("v" + std::to_string(i));
  w->update_bdd_vars();
  std::mt19937 rng(1);
  std::vector<long> order(static_cast<size_t>(total));
  for (long i = 0; i < total; ++i) order[static_cast<size_t>(i)] = i;
  std::shuffle(order.begin(), order.end(), rng);
  for (long k = inputs; k < total; ++k) {
    std::uniform_int_distribution<long> earlier(std::max(0L, k - 1000), k - 1);
    bdd f = w->Bdd_one();
    int reads = 1 + static_cast<int>(rng() % 3);
    for (int j = 0; j < reads; ++j) f = w->Bdd_and(f, w->Bdd_var_by_index(order[static_cast<size_t>(earlier(rng))]));
    long x = order[static_cast<size_t>(k)];
    new Bddexpression("e", w.get(), w->Bdd_var_by_index(x), f, 0, 0);
  }
  return w;
}

void reset_dates(Bddexpressionwood& w) {
  for (long id : w.ens_exp) w.slot(id)->earliest_date = 0;
  w.update_nb_level(0);
}

void BM_DateAndSort(benchmark::State& state) {
  auto w = random_system(state.range(0));
  for (auto _ : state) {
    state.PauseTiming();
    reset_dates(*w);
    state.ResumeTiming();
    benchmark::DoNotOptimize(w->compute_dates());
    std::list<long> order = w->earliest_sort();
    benchmark::DoNotOptimize(order.size());
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DateAndSort)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_CriticalPathsOfADiamondChain(benchmark::State& state) {
  Bddexpressionwood w;
  bdd top = w.New_var_last("s0");
  for (long k = 0; k < state.range(0); ++k) {
    std::string p = std::to_string(k);
    bdd a = w.New_var_last("a" + p), b = w.New_var_last("b" + p), c = w.New_var_last("c" + p);
    bdd s = w.New_var_last("s" + std::to_string(k + 1));
    new Bddexpression("a", &w, a, top, 0, 0);
    new Bddexpression("b", &w, b, top, 0, 0);
    new Bddexpression("c", &w, c, b, 0, 0);
    new Bddexpression("s", &w, s, w.Bdd_and(a, c), 0, 0);
    top = s;
  }
  long last = w.Nb_bdd_vars() - 1;
  for (auto _ : state) benchmark::DoNotOptimize(w.up_critical_path(last, 0, 0) + w.down_critical_path(0, 0, 0));
}
BENCHMARK(BM_CriticalPathsOfADiamondChain)->Arg(40)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
