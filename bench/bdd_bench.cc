// BDD package benchmark, side by side with the comparator package when it is
// available. Every benchmark runs both packages in each iteration: the reported
// time is ours, the counters give the comparator's time and the ratio
// ours/comparator. Results are cross-checked (model counts, 10^4 random
// assignments, a satisfying assignment of each side evaluated by the other);
// a disagreement stops the program with exit status 1.
//
//   bdd_bench [--smoke] [benchmark options]
// --smoke runs every workload once at its smallest size.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "packages.h"
#include "workloads.h"

namespace bench {
namespace {

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t0) {
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

#ifdef BENCH_HAVE_BUDDY
constexpr bool kHaveBuddy = true;
#else
constexpr bool kHaveBuddy = false;
#endif

// One line of the closing summary; the last run of a benchmark wins.
struct Row {
  std::string name;
  double ours = 0;        // seconds per iteration
  double buddy = 0;       // seconds per iteration, 0 without comparator
  double buddy_nogc = 0;  // seconds per iteration of the comparator without collections, 0 if not run
  double buddy_expanded = 0;  // the same, ite expanded into our and/or requests; 0 for a build without ite
  double ours_mib = -1, buddy_mib = -1, buddy_nogc_mib = -1;  // peak memory of one build
  long ours_nodes = -1, ours_created = -1, buddy_nodes = -1, buddy_created = -1;
};
std::vector<Row> g_rows;
int g_cross_checked = 0;  // workloads whose results were compared with the comparator's

Row& row(const std::string& name) {
  for (Row& r : g_rows)
    if (r.name == name) return r;
  g_rows.push_back(Row{name});
  return g_rows.back();
}

[[noreturn]] void check_failed(const std::string& name, const std::string& what) {
  std::fprintf(stderr, "cross-check failed in %s: %s\n", name.c_str(), what.c_str());
  std::exit(1);
}

bool same_count(double a, double b) { return a == b || std::fabs(a - b) <= 1e-12 * std::fabs(a); }

void random_assignment(Rng& rng, std::vector<int>& ctx) {
  for (int& v : ctx) v = rng.below(2);
}

// Three-valued context: each entry 2 with probability pct %, else 0 or 1.
std::vector<std::vector<int>> random_contexts(int count, int nvars, int pct, uint64_t seed) {
  Rng rng(seed);
  std::vector<std::vector<int>> ctxs(count, std::vector<int>(nvars));
  for (auto& ctx : ctxs)
    for (int& v : ctx) v = rng.below(100) < pct ? 2 : rng.below(2);
  return ctxs;
}

// Workload-specific facts about our results.
void validate(const Queens& w, OursPkg& op, std::vector<bdd>& r) {
  double want = w.expected_solutions();
  double got = op.satcount(r[0]);
  if (want >= 0 && got != want)
    check_failed(w.name(), "found " + std::to_string(got) + " solutions, expected " + std::to_string(want));
}
void validate(const Adders& w, OursPkg& op, std::vector<bdd>& r) {
  if (!(r.back() == op.zero())) check_failed(w.name(), "the two adder forms differ");
}
template <class W>
void validate(const W&, OursPkg&, std::vector<bdd>&) {}

#ifdef BENCH_HAVE_BUDDY
// Both packages must compute the same functions.
void cross_check(const std::string& name, int nvars, OursPkg& op, std::vector<bdd>& ro, BuddyPkg& bp,
                 std::vector<BRef>& rb) {
  ++g_cross_checked;
  if (ro.size() != rb.size()) check_failed(name, "different numbers of results");
  for (size_t k = 0; k < ro.size(); ++k) {
    double co = op.satcount(ro[k]), cb = bp.satcount(rb[k]);
    if (!same_count(co, cb))
      check_failed(name, "result " + std::to_string(k) + " has " + std::to_string(co) + " models here, " +
                             std::to_string(cb) + " in the comparator");
    std::vector<int> ctx(nvars);
    if (bs_satone(rb[k].get(), ctx.data(), nvars) && op.eval(ro[k], ctx.data()) != 1)
      check_failed(name, "a model of result " + std::to_string(k) + " is not ours");
  }
  Rng rng(0x5eed);
  std::vector<int> ctx(nvars);
  for (int a = 0; a < 10000; ++a) {
    random_assignment(rng, ctx);
    for (size_t k = 0; k < ro.size(); ++k)
      if (op.eval(ro[k], ctx.data()) != bs_eval(rb[k].get(), ctx.data()))
        check_failed(name, "result " + std::to_string(k) + " differs on a random assignment");
  }
}
#endif

template <class P, class R>
long total_nodes(P& p, std::vector<R>& rs) {
  long n = 0;
  for (auto& r : rs) n += p.nodes(r);
  return n;
}

void set_counters(benchmark::State& st, const Row& r) {
  if (r.buddy > 0) {
    st.counters["buddy_ms"] = r.buddy * 1e3;
    st.counters["ratio"] = r.ours / r.buddy;
  }
  if (r.buddy_nogc > 0) {
    st.counters["nogc_ms"] = r.buddy_nogc * 1e3;
    st.counters["ratio_nogc"] = r.ours / r.buddy_nogc;
  }
  if (r.buddy_expanded > 0) st.counters["ratio_expanded"] = r.ours / r.buddy_expanded;
  if (r.ours_mib >= 0) st.counters["MiB"] = r.ours_mib;
  if (r.buddy_mib >= 0) st.counters["buddy_MiB"] = r.buddy_mib;
  if (r.buddy_nogc_mib >= 0) st.counters["nogc_MiB"] = r.buddy_nogc_mib;
  if (r.ours_nodes >= 0) st.counters["nodes"] = static_cast<double>(r.ours_nodes);
  if (r.ours_created >= 0) st.counters["created"] = static_cast<double>(r.ours_created);
  if (r.buddy_nodes >= 0) st.counters["buddy_nodes"] = static_cast<double>(r.buddy_nodes);
  if (r.buddy_created >= 0) st.counters["buddy_produced"] = static_cast<double>(r.buddy_created);
}

// One build of each registered workload by name, in a package: ours, the comparator, or the
// comparator given room for room nodes. Run alone in a fresh process (--peak-of) for its memory.
enum class Side { ours, buddy, buddy_room };
std::map<std::string, std::function<void(Side, long)>> g_builds;

template <class W>
void build_once(const W& w, Side side, long room) {
  if (side == Side::ours) {
    OursPkg op(w.nvars());
    std::vector<bdd> ro = w.build(op);
    return;
  }
#ifdef BENCH_HAVE_BUDDY
  BuddyPkg bp(w.nvars(), side == Side::buddy_room ? room : 0);
  std::vector<BRef> rb = w.build(bp);
#else
  (void)room;
#endif
}

// Peak resident set of this process in KiB (its address space's high-water mark).
long own_peak_kib() {
  FILE* f = std::fopen("/proc/self/status", "r");
  if (!f) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  std::fclose(f);
  return kib;
}

// Peak resident set, in MiB, of this program run anew to build name once on side, less that of
// a run building nothing: the memory that one build takes. (A forked child would inherit this
// process's high-water mark; a fresh program reports its own.)
double peak_mib(const std::string& name, Side side, long room) {
  auto peak = [](const std::string& what, Side s, long r) -> double {
    std::string command = "/proc/" + std::to_string(getpid()) + "/exe --peak-of '" + what + "' " +
                          std::to_string(static_cast<int>(s)) + " " + std::to_string(r);
    std::fflush(nullptr);
    FILE* p = popen(command.c_str(), "r");
    if (!p) return -1;
    long kib = -1;
    if (std::fscanf(p, "%ld", &kib) != 1) kib = -1;
    if (pclose(p) != 0) return -1;
    return kib < 0 ? -1 : static_cast<double>(kib) / 1024.0;
  };
  double base = peak("none", side, 0);
  double used = peak(name, side, room);
  return base < 0 || used < 0 ? -1 : std::max(0.0, used - base);
}

// Building workloads: a fresh manager on each side per iteration; only the
// building itself is timed. The comparator runs twice: as configured by default
// (it collects garbage), then without collections, its table started with room
// for every node the first run produced. A workload with xor or ite runs it a
// third time without collections, each ite made of the and/or requests ours makes.
#ifdef BENCH_HAVE_BUDDY
// Every node a build produces, both constants and each variable's two literals.
template <class W>
long no_gc_room(const W& w, const Row& r) {
  return r.buddy_created + 2 * static_cast<long>(w.nvars()) + 1024;
}
#endif

template <class W>
void measure_memory(const W& w, Row& r) {
  r.ours_mib = peak_mib(w.name(), Side::ours, 0);
#ifdef BENCH_HAVE_BUDDY
  r.buddy_mib = peak_mib(w.name(), Side::buddy, 0);
  r.buddy_nogc_mib = peak_mib(w.name(), Side::buddy_room, no_gc_room(w, r));
#endif
}

template <class W>
void run_build(benchmark::State& st, const W& w) {
  static std::set<std::string> checked;
  Row& r = row(w.name());
  double ours_total = 0, buddy_total = 0, nogc_total = 0, expanded_total = 0;
  bool first = true;
  for (auto _ : st) {
    double t_ours;
    {
      OursPkg op(w.nvars());
      auto t0 = Clock::now();
      std::vector<bdd> ro = w.build(op);
      t_ours = seconds_since(t0);
      if (first) {
        validate(w, op, ro);
        r.ours_nodes = total_nodes(op, ro);
        r.ours_created = op.total_size();
      }
#ifdef BENCH_HAVE_BUDDY
      {
        BuddyPkg bp(w.nvars());
        auto t1 = Clock::now();
        std::vector<BRef> rb = w.build(bp);
        buddy_total += seconds_since(t1);
        if (first) {
          r.buddy_nodes = total_nodes(bp, rb);
          r.buddy_created = bp.total_size();
          if (checked.insert(w.name()).second) cross_check(w.name(), w.nvars(), op, ro, bp, rb);
        }
      }
      {
        BuddyPkg bp(w.nvars(), no_gc_room(w, r));
        auto t1 = Clock::now();
        std::vector<BRef> rb = w.build(bp);
        nogc_total += seconds_since(t1);
        if (bp.collections() != 0) check_failed(w.name(), "the comparator collected with room for every node");
      }
      if (W::uses_ite) {
        BuddyPkg bp(w.nvars(), 4 * no_gc_room(w, r), true);
        auto t1 = Clock::now();
        std::vector<BRef> rb = w.build(bp);
        expanded_total += seconds_since(t1);
        if (bp.collections() != 0) check_failed(w.name(), "the comparator collected with ite expanded");
      }
#endif
    }
    if (first) measure_memory(w, r);
    first = false;
    ours_total += t_ours;
    st.SetIterationTime(t_ours);
  }
  double iters = static_cast<double>(st.iterations());
  r.ours = ours_total / iters;
  r.buddy = buddy_total / iters;
  r.buddy_nogc = nogc_total / iters;
  r.buddy_expanded = expanded_total / iters;
  set_counters(st, r);
}

// Three-valued evaluation of a synthetic module of equations under random
// contexts; building is not timed.
void run_eval(benchmark::State& st, int pct, int ncontexts) {
  const Equations w{10000, 512, 0xe9a7};
  const std::string name = "eval/" + std::to_string(pct) + "%";
  Row& r = row(name);
  auto ctxs = random_contexts(ncontexts, w.nvars, pct, 0xc0 + pct);
  OursPkg op(w.nvars);
  std::vector<bdd> ro = w.build(op);
  r.ours_nodes = total_nodes(op, ro);
  r.ours_created = op.total_size();
  std::vector<int> expected;
  for (auto& ctx : ctxs)
    for (auto& f : ro) expected.push_back(op.eval(f, ctx.data()));
#ifdef BENCH_HAVE_BUDDY
  BuddyPkg bp(w.nvars);
  std::vector<BRef> rb = w.build(bp);
  r.buddy_nodes = total_nodes(bp, rb);
  r.buddy_created = bp.total_size();
  {
    size_t k = 0;
    for (auto& ctx : ctxs)
      for (auto& f : rb)
        if (bp.eval(f, ctx.data()) != expected[k++]) check_failed(name, "three-valued results differ");
    std::vector<bdd> ro_head(ro.begin(), ro.begin() + 200);
    std::vector<BRef> rb_head(rb.begin(), rb.begin() + 200);
    cross_check(name, w.nvars, op, ro_head, bp, rb_head);
  }
#endif
  double ours_total = 0, buddy_total = 0;
  for (auto _ : st) {
    long sum = 0;
    auto t0 = Clock::now();
    for (auto& ctx : ctxs)
      for (auto& f : ro) sum += op.eval(f, ctx.data());
    double t = seconds_since(t0);
#ifdef BENCH_HAVE_BUDDY
    auto t1 = Clock::now();
    for (auto& ctx : ctxs)
      for (auto& f : rb) sum += bp.eval(f, ctx.data());
    buddy_total += seconds_since(t1);
#endif
    benchmark::DoNotOptimize(sum);
    ours_total += t;
    st.SetIterationTime(t);
  }
  double iters = static_cast<double>(st.iterations());
  r.ours = ours_total / iters;
  r.buddy = buddy_total / iters;
  st.SetItemsProcessed(st.iterations() * static_cast<int64_t>(ro.size() * ctxs.size()));
  set_counters(st, r);
}

// Traversals of the n-variable parity, whose graph has 2^n paths: size,
// copies into another manager and three-valued evaluation must stay linear.
enum class Traversal { Size, CopyIndex, CopyMap, CopyName, Eval10, Eval50 };

std::string traversal_name(Traversal t, int n) {
  std::string p = "parity" + std::to_string(n) + "/";
  switch (t) {
    case Traversal::Size: return p + "size";
    case Traversal::CopyIndex: return p + "copy_index";
    case Traversal::CopyMap: return p + "copy_map";
    case Traversal::CopyName: return p + "copy_name";
    case Traversal::Eval10: return p + "eval_10%";
    case Traversal::Eval50: return p + "eval_50%";
  }
  return p;
}

// One timed traversal of f by this package; checks a copy's size.
double time_ours(Traversal kind, OursPkg& op, const bdd& f, std::vector<long>& identity,
                 const std::vector<std::vector<int>>& ctxs, long& sink, const std::string& name) {
  bddpp_manager& m = op.manager();
  auto t0 = Clock::now();
  switch (kind) {
    case Traversal::Size:
      sink += m.Bdd_size(f);
      return seconds_since(t0);
    case Traversal::CopyIndex:
    case Traversal::CopyMap:
    case Traversal::CopyName: {
      bddpp_manager target_same(&m);
      bddpp_manager target_empty(OursPkg::kInitialNodes);
      bdd copy;
      t0 = Clock::now();
      if (kind == Traversal::CopyIndex) {
        copy = Bdd_isomorphe(&target_same, &m, f);
      } else if (kind == Traversal::CopyMap) {
        bdd src = f;
        copy = Bdd_isomorphe(&target_same, &m, src, identity.data());
      } else {
        copy = Bdd_isomorphe_by_name(&target_empty, &m, f);
      }
      double t = seconds_since(t0);
      bddpp_manager& target = kind == Traversal::CopyName ? target_empty : target_same;
      if (target.Bdd_size(copy) != m.Bdd_size(f)) check_failed(name, "the copy has another size");
      return t;
    }
    case Traversal::Eval10:
    case Traversal::Eval50:
      for (auto& ctx : ctxs) sink += op.eval(f, ctx.data());
      return seconds_since(t0);
  }
  return 0;
}

void run_traversal(benchmark::State& st, Traversal kind, int n) {
  constexpr int kEvals = 1000;
  const Parity w{n};
  Row& r = row(traversal_name(kind, n));
  OursPkg op(n);
  std::vector<bdd> ro = w.build(op);
  const bdd& f = ro[0];
  std::vector<long> identity(n);
  for (int i = 0; i < n; ++i) identity[i] = i;
  auto ctxs = random_contexts(kEvals, n, kind == Traversal::Eval10 ? 10 : 50, 0x9a71);
#ifdef BENCH_HAVE_BUDDY
  // twice the variables: the comparator's copy renames into the upper half
  BuddyPkg bp(2 * n);
  std::vector<BRef> rb = w.build(bp);
  const BRef& fb = rb[0];
  for (auto& ctx : ctxs)
    if (bp.eval(fb, ctx.data()) != op.eval(f, ctx.data())) check_failed(r.name, "three-valued results differ");
  ++g_cross_checked;
#endif
  double ours_total = 0, buddy_total = 0;
  long sink = 0;
  for (auto _ : st) {
    double t = time_ours(kind, op, f, identity, ctxs, sink, r.name);
#ifdef BENCH_HAVE_BUDDY
    auto t1 = Clock::now();
    switch (kind) {
      case Traversal::Size: sink += bs_nodecount(fb.get()); break;
      case Traversal::CopyIndex:
      case Traversal::CopyMap:
      case Traversal::CopyName: {
        BRef copy(bs_shift_vars(fb.get(), n, n));
        sink += copy.get();
        break;
      }
      case Traversal::Eval10:
      case Traversal::Eval50:
        for (auto& ctx : ctxs) sink += bp.eval(fb, ctx.data());
        break;
    }
    buddy_total += seconds_since(t1);
#endif
    ours_total += t;
    st.SetIterationTime(t);
  }
  benchmark::DoNotOptimize(sink);
  r.ours_nodes = op.nodes(f);
  r.ours_created = op.total_size();
#ifdef BENCH_HAVE_BUDDY
  r.buddy_nodes = bp.nodes(fb);
#endif
  double iters = static_cast<double>(st.iterations());
  r.ours = ours_total / iters;
  r.buddy = buddy_total / iters;
  set_counters(st, r);
}

template <class W>
void add_build(const W& w, bool smoke) {
  g_builds[w.name()] = [w](Side side, long room) { build_once(w, side, room); };
  auto* b = benchmark::RegisterBenchmark(w.name().c_str(), [w](benchmark::State& st) { run_build(st, w); });
  b->UseManualTime()->Unit(benchmark::kMillisecond);
  if (smoke) b->Iterations(1);
}

// Sizes of each workload; --smoke keeps the first of each list. Built with the
// plain algorithms (no computed table, no walk memos), the package walks every
// path, so that variant runs smaller sizes.
struct Sizes {
  std::vector<int> queens, adder, adder_separated, multiplier, cnf, parity;
};
#if BDD_EXACT_CACHE
const Sizes kSizes{{6, 7, 8, 9, 10}, {16, 32, 64}, {8, 12, 16}, {8, 9, 10, 11}, {30, 40, 50}, {64}};
#else
const Sizes kSizes{{6, 7, 8}, {8, 12, 16}, {8, 12}, {8, 9, 10}, {30, 40}, {16, 20}};
#endif

void register_all(bool smoke) {
  auto sizes = [smoke](const std::vector<int>& all) { return smoke ? std::vector<int>{all.front()} : all; };
  for (int n : sizes(kSizes.queens)) add_build(Queens{n}, smoke);
  for (int n : sizes(kSizes.adder)) add_build(Adders{n, true}, smoke);
  for (int n : sizes(kSizes.adder_separated)) add_build(Adders{n, false}, smoke);
  for (int n : sizes(kSizes.multiplier)) add_build(Multiplier{n}, smoke);
  for (int n : sizes(kSizes.cnf)) add_build(RandomCnf{n, 4260u + static_cast<uint64_t>(n)}, smoke);
  for (int n : sizes(kSizes.parity)) add_build(Parity{n}, smoke);
  for (int pct : {0, 10, 50}) {
    int ncontexts = smoke ? 1 : 10;
    auto* b = benchmark::RegisterBenchmark(("eval/" + std::to_string(pct) + "%").c_str(),
                                           [pct, ncontexts](benchmark::State& st) { run_eval(st, pct, ncontexts); });
    b->UseManualTime()->Unit(benchmark::kMillisecond);
    if (smoke) b->Iterations(1);
  }
  for (int n : sizes(kSizes.parity)) {
    for (Traversal t : {Traversal::Size, Traversal::CopyIndex, Traversal::CopyMap, Traversal::CopyName,
                        Traversal::Eval10, Traversal::Eval50}) {
      auto* b = benchmark::RegisterBenchmark(traversal_name(t, n).c_str(),
                                             [t, n](benchmark::State& st) { run_traversal(st, t, n); });
      b->UseManualTime()->Unit(benchmark::kMicrosecond);
      if (smoke) b->Iterations(1);
    }
  }
}

std::string count_text(long n) { return n < 0 ? "-" : std::to_string(n); }

void print_summary() {
  if (g_rows.empty()) return;
  std::printf("\n%-22s %11s %11s %6s %11s %6s %11s %6s %10s %11s %11s %8s %8s %8s\n", "workload", "ours ms",
              "buddy ms", "ratio", "nogc ms", "ratio", "nogc 3 ms", "ratio", "nodes", "buddy nodes", "created", "MiB",
              "buddy", "nogc");
  auto text = [](char* out, size_t size, double v, const char* format) {
    if (v > 0)
      std::snprintf(out, size, format, v);
    else
      std::snprintf(out, size, "-");
  };
  for (const Row& r : g_rows) {
    char buddy[32], ratio[32], nogc[32], ratio_nogc[32], expanded[32], ratio_expanded[32], mib[32], buddy_mib[32],
        nogc_mib[32];
    text(buddy, sizeof buddy, r.buddy * 1e3, "%.4f");
    text(ratio, sizeof ratio, r.buddy > 0 ? r.ours / r.buddy : 0, "%.2f");
    text(nogc, sizeof nogc, r.buddy_nogc * 1e3, "%.4f");
    text(ratio_nogc, sizeof ratio_nogc, r.buddy_nogc > 0 ? r.ours / r.buddy_nogc : 0, "%.2f");
    text(expanded, sizeof expanded, r.buddy_expanded * 1e3, "%.4f");
    text(ratio_expanded, sizeof ratio_expanded, r.buddy_expanded > 0 ? r.ours / r.buddy_expanded : 0, "%.2f");
    text(mib, sizeof mib, r.ours_mib + 1e-9, "%.1f");
    text(buddy_mib, sizeof buddy_mib, r.buddy_mib + 1e-9, "%.1f");
    text(nogc_mib, sizeof nogc_mib, r.buddy_nogc_mib + 1e-9, "%.1f");
    std::printf("%-22s %11.4f %11s %6s %11s %6s %11s %6s %10s %11s %11s %8s %8s %8s\n", r.name.c_str(), r.ours * 1e3,
                buddy, ratio, nogc, ratio_nogc, expanded, ratio_expanded, count_text(r.ours_nodes).c_str(),
                count_text(r.buddy_nodes).c_str(),
                count_text(r.ours_created).c_str(), mib, buddy_mib, nogc_mib);
  }
  std::printf("nogc: the comparator without garbage collection, its table started with room for every node;\n"
              "nogc 3: the same with each ite as the and, and, or of our package (workloads with xor or ite);\n"
              "MiB: peak resident memory one build adds (each in a fresh run of this program)\n");
  struct rusage ru;
  getrusage(RUSAGE_SELF, &ru);
  std::printf("package built %s computed table and walk memos\n", BDD_EXACT_CACHE ? "with" : "without");
  std::printf("peak resident set of the whole run: %ld MiB\n", ru.ru_maxrss / 1024);
  if (kHaveBuddy)
    std::printf("cross-checked against the comparator: %d benchmark runs, all agree\n", g_cross_checked);
  else
    std::printf("comparator not built: our package alone, not cross-checked\n");
}

}  // namespace
}  // namespace bench

int main(int argc, char** argv) {
  // bdd_bench --peak-of NAME SIDE ROOM: one build, for peak_mib ("none" builds nothing).
  if (argc == 5 && std::strcmp(argv[1], "--peak-of") == 0) {
    bench::register_all(false);
    std::string name = argv[2];
    if (name != "none") {
      auto it = bench::g_builds.find(name);
      if (it == bench::g_builds.end()) return 1;
      it->second(static_cast<bench::Side>(std::atoi(argv[3])), std::atol(argv[4]));
    }
    std::printf("%ld\n", bench::own_peak_kib());
    return 0;
  }
  bool smoke = false;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--smoke") == 0)
      smoke = true;
    else
      argv[kept++] = argv[i];
  }
  argc = kept;
  bench::register_all(smoke);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  bench::print_summary();
  return 0;
}
