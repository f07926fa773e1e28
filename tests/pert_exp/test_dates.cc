// Dating, sorts and cycle detection, checked by hand on small systems and against a direct
// transcription of the recursive propagation on random ones.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "pert_test_util.h"

namespace {

// The recursive propagation, run on copies of a system's dates.
struct reference_dates {
  Bddexpressionwood* w;
  std::vector<long> early, late;
  long level = 0;
  long n;

  explicit reference_dates(Bddexpressionwood* wood) : w(wood), n(wood->nb_var_bdd) {
    early.assign(static_cast<size_t>(n), 0);
    late.assign(static_cast<size_t>(n), 0);
    for (long i = 0; i < n; ++i)
      if (w->slot(i)) early[static_cast<size_t>(i)] = w->slot(i)->earliest_date;
    level = w->nb_level;
  }
  void early_prop(long v, long date) {
    if (!w->slot(v) || date <= early[v]) return;
    early[v] = date;
    level = std::max(level, date + 1);
    if (level > 2 * n) return;
    for (long r : w->readers(v))
      if (r < n) early_prop(r, date + 1);
  }
  void late_prop(long v, long date) {
    if (late[v] >= date && late[v] != 0) return;
    late[v] = date;
    level = std::max(level, date + 1);
    if (!w->slot(v) || level > 2 * n) return;
    for (long d : std::set<long>(w->slot(v)->vars_dependance))
      if (d < n) late_prop(d, date + 1);
  }
  // From the listed ids, on the system's current dates (latest ones included).
  void listed(const std::list<long>& ids) {
    for (long i = 0; i < n; ++i) late[static_cast<size_t>(i)] = w->latest(i);
    for (long i : ids) {
      if (i < 0 || i >= n) continue;
      Bddexpression* e = w->slot(i);
      if (!w->readers(i).empty()) {
        for (long r : std::set<long>(w->readers(i)))
          if (r >= 0 && r < n) early_prop(r, e ? early[i] + 1 : 1);
      } else if (e && level <= early[i]) {
        level = early[i] + 1;
      }
      if (e)
        for (long d : std::set<long>(e->vars_dependance))
          if (d >= 0 && d < n) late_prop(d, late[i] + 1);
    }
  }
  void full() {
    for (long i = 0; i < n; ++i) {
      Bddexpression* e = w->slot(i);
      if (!w->readers(i).empty()) {
        for (long r : w->readers(i))
          if (r < n) early_prop(r, e ? early[i] + 1 : 1);
      } else if (e && level <= early[i]) {
        level = early[i] + 1;
      }
      if (e)
        for (long d : std::set<long>(e->vars_dependance))
          if (d < n) late_prop(d, late[i] + 1);
    }
  }
};

// n variables in a random order; each equation reads some variables before it in a random
// topological order, and, when cyclic, sometimes one after it.
void random_system(test_system& s, std::mt19937& rng, int n, bool cyclic) {
  std::vector<int> order(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    order[static_cast<size_t>(i)] = i;
    s.var("v" + std::to_string(i));
  }
  std::shuffle(order.begin(), order.end(), rng);
  std::uniform_int_distribution<int> coin(0, 99);
  for (int k = 0; k < n; ++k) {
    if (coin(rng) < 25) continue;  // an input
    bdd f = s.w->Bdd_one();
    bool any = false;
    for (int j = 0; j < k; ++j)
      if (coin(rng) < 20) {
        f = s.w->Bdd_and(f, s.w->Bdd_var_by_index(order[static_cast<size_t>(j)]));
        any = true;
      }
    if (cyclic && k + 1 < n && coin(rng) < 10) {
      f = s.w->Bdd_or(f, s.w->Bdd_var_by_index(order[static_cast<size_t>(k + 1)]));
      any = true;
    }
    if (!any && coin(rng) < 50) f = s.w->Bdd_zero();
    auto* e = s.eq("v" + std::to_string(order[static_cast<size_t>(k)]), f);
    e->earliest_date = -(coin(rng) % 3);
  }
  s.w->update_nb_level(0);
}

std::list<long> ids_of(test_system& s, std::initializer_list<const char*> names) {
  std::list<long> l;
  for (const char* n : names) l.push_back(s.id(n));
  return l;
}

}  // namespace

TEST(Dates, ChainByHand) {
  test_system s;
  s.var("a");
  s.eq("b", s.v("a"));
  s.eq("c", s.v("b"));
  EXPECT_EQ(s.w->compute_dates(), 3);
  EXPECT_EQ(s.at("b")->earliest_date, 1);
  EXPECT_EQ(s.at("c")->earliest_date, 2);
  EXPECT_EQ(s.w->latest(s.id("c")), 0);
  EXPECT_EQ(s.w->latest(s.id("b")), 1);
  EXPECT_EQ(s.w->latest(s.id("a")), 2);
  EXPECT_EQ(s.w->earliest_sort(), ids_of(s, {"b", "c"}));
  EXPECT_EQ(s.w->latest_sort(), ids_of(s, {"b", "c"}));
  EXPECT_TRUE(s.w->loop_detection().empty());
  // computed once: a second call changes nothing
  s.at("b")->earliest_date = 7;
  EXPECT_EQ(s.w->compute_dates(), 3);
  EXPECT_EQ(s.at("b")->earliest_date, 7);
  EXPECT_EQ(PERT(s.w), 3);
}

TEST(Dates, DiamondAndTies) {
  test_system s;
  s.var("a");
  s.var("d");
  s.eq("c", s.v("a"));
  s.eq("b", s.v("a"));
  s.eq("e", s.w->Bdd_and(s.v("b"), s.v("c")));
  s.w->update_nb_level(0);
  // the join first, so that the propagation meets it before its inputs are dated
  s.w->compute_dates();
  EXPECT_EQ(s.at("b")->earliest_date, 1);
  EXPECT_EQ(s.at("c")->earliest_date, 1);
  EXPECT_EQ(s.at("e")->earliest_date, 2);
  EXPECT_EQ(s.w->Nb_level(), 3);
  EXPECT_EQ(s.w->earliest_sort(), ids_of(s, {"c", "b", "e"}));  // c was created before b
  EXPECT_EQ(s.w->latest(s.id("a")), 2);
}

TEST(Dates, UnreadConstantKeepsDateZero) {
  test_system s;
  s.eq("k", s.w->Bdd_one());
  EXPECT_EQ(s.w->compute_dates(), 1);
  EXPECT_EQ(s.at("k")->earliest_date, 0);
  EXPECT_EQ(s.w->earliest_sort(), ids_of(s, {"k"}));
}

TEST(Dates, TwoEquationCycle) {
  test_system s;
  for (const char* n : {"i", "x", "y", "z"}) s.var(n);
  s.eq("x", s.w->Bdd_and(s.v("y"), s.v("i")));
  s.eq("y", s.v("x"));
  s.eq("z", s.v("y"));
  long n = s.w->nb_var_bdd;
  s.w->compute_dates();
  EXPECT_GT(s.w->Nb_level(), 2 * n);
  EXPECT_GT(s.at("x")->earliest_date, n);
  EXPECT_GT(s.at("y")->earliest_date, n);
  EXPECT_EQ(s.w->loop_detection(), ids_of(s, {"x", "y", "z"}));
  // the same dates as the recursive propagation
  test_system t;
  for (const char* nm : {"i", "x", "y", "z"}) t.var(nm);
  t.eq("x", t.w->Bdd_and(t.v("y"), t.v("i")));
  t.eq("y", t.v("x"));
  t.eq("z", t.v("y"));
  reference_dates ref(t.w);
  ref.full();
  for (long i = 0; i < n; ++i) {
    if (s.w->slot(i)) {
      EXPECT_EQ(s.w->slot(i)->earliest_date, ref.early[i]) << i;
    }
    EXPECT_EQ(s.w->latest(i), ref.late[i]) << i;
  }
  EXPECT_EQ(s.w->Nb_level(), ref.level);
}

TEST(Dates, MatchTheRecursivePropagationOnRandomSystems) {
  std::mt19937 rng(7);
  for (int round = 0; round < 60; ++round) {
    bool cyclic = round % 3 == 2;
    int n = 8 + round % 25;
    test_system s;
    random_system(s, rng, n, cyclic);
    reference_dates ref(s.w);
    ref.full();
    s.w->compute_dates();
    for (long i = 0; i < n; ++i) {
      if (s.w->slot(i)) {
        EXPECT_EQ(s.w->slot(i)->earliest_date, ref.early[i]) << "round " << round << " id " << i;
      }
      EXPECT_EQ(s.w->latest(i), ref.late[i]) << "round " << round << " id " << i;
    }
    EXPECT_EQ(s.w->Nb_level(), ref.level) << "round " << round;
  }
}

// Dates raised from a list of ids on systems already dated, then given dates that are not
// consistent (too low, sometimes negative latest ones): the one-pass computation on acyclic
// systems and the propagation on the others give the recursive propagation's dates, and the
// same messages.
TEST(Dates, ListedIdsMatchTheRecursivePropagation) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coin(0, 99);
  for (int round = 0; round < 90; ++round) {
    bool cyclic = round % 3 == 2;
    int n = 8 + round % 30;
    test_system s;
    random_system(s, rng, n, cyclic);
    s.w->compute_dates();
    std::list<long> ids;
    for (long i = 0; i < n; ++i) {
      if (Bddexpression* e = s.w->slot(i)) e->earliest_date = coin(rng) % 3 - 1;
      s.w->latest(i) = round % 5 == 4 && coin(rng) < 5 ? -1 : coin(rng) % 3;
      if (coin(rng) < 60) ids.push_back(i);
    }
    // Stray readers that are variables without equation, closing cycles through them.
    if (round % 4 == 1)
      for (long i = 0; i < n; ++i)
        if (s.w->slot(i) == nullptr) s.w->reader_set((i * 7 + round) % n).insert(i);
    ids.push_back(n + 3);  // reported, as out of the table
    if (round % 2 == 0) ids.reverse();
    reference_dates ref(s.w);
    ref.listed(ids);
    CaptureStderr();
    s.w->compute_dates(ids);
    EXPECT_EQ(GetCapturedStderr(), "ERREUR dans compute_date(list ident): numero de variables trop grand :" +
                                       std::to_string(n + 3) + ">= " + std::to_string(n) + "\n");
    for (long i = 0; i < n; ++i) {
      if (s.w->slot(i)) {
        EXPECT_EQ(s.w->slot(i)->earliest_date, ref.early[i]) << "round " << round << " id " << i;
      }
      EXPECT_EQ(s.w->latest(i), ref.late[i]) << "round " << round << " id " << i;
    }
    EXPECT_EQ(s.w->Nb_level(), ref.level) << "round " << round;
  }
}

// Copies of one undated system, each changed as a branch would change it (a new equation over
// old inputs, an old equation rewritten, an old one made to read the new variable), date as a
// plain copy with the same changes does: every date, the level and the cycle report, also for
// equations the copy reads only after its dating, and for copies made after others were dated.
TEST(Dates, ForkCopiesDateAsAFullDatingOfTheSameChanges) {
  std::mt19937 rng(23);
  std::uniform_int_distribution<int> coin(0, 99);
  for (int round = 0; round < 40; ++round) {
    int n = 10 + round % 20;
    test_system s;
    random_system(s, rng, n, round % 4 == 3);
    auto name = [&](int k) { return "v" + std::to_string(k % n); };
    // The branch reads inputs only: it adds no cycle (a cycle ends the process).
    std::vector<std::string> inputs;
    for (int k = 0; k < n; ++k)
      if (s.at(name(k)) == nullptr) inputs.push_back(name(k));
    if (inputs.empty()) continue;
    auto input = [&] { return inputs[static_cast<size_t>(coin(rng)) % inputs.size()]; };
    for (int copy = 0; copy < 3; ++copy) {
      std::vector<std::string> reads{input(), input()};
      std::string rewritten = name(coin(rng)), reader = name(coin(rng)), source = input();
      bool extra = coin(rng) < 50;
      auto change = [&](test_system& c) {
        bdd f = c.w->Bdd_and(c.v(reads[0]), c.v(reads[1]));
        if (extra) f = c.w->Bdd_or(f, c.v("free"));
        c.eq("new", f);
        if (Bddexpression* e = c.at(rewritten)) e->setBddExp(c.v(source));
        if (Bddexpression* e = c.at(reader)) e->append_or_exp(c.v("new"));
      };
      test_system fork(new Bddexpressionwood(s.w, true));
      test_system plain(new Bddexpressionwood(s.w));
      change(fork);
      change(plain);
      CaptureStderr();
      long fork_level = fork.w->compute_dates();
      std::string fork_report = GetCapturedStderr();
      CaptureStderr();
      EXPECT_EQ(fork_level, plain.w->compute_dates()) << "round " << round << " copy " << copy;
      EXPECT_EQ(fork_report, GetCapturedStderr());
      ASSERT_EQ(fork.w->Nb_bdd_vars(), plain.w->Nb_bdd_vars());
      for (long i = 0; i < plain.w->Nb_bdd_vars(); ++i) {
        std::string v = plain.w->Name_var_by_index(i);
        Bddexpression* e = plain.at(v);
        ASSERT_EQ(e != nullptr, fork.at(v) != nullptr) << v;
        if (e != nullptr) {
          EXPECT_EQ(e->earliest_date, fork.at(v)->earliest_date) << "round " << round << " " << v;
        }
        EXPECT_EQ(plain.w->latest(i), fork.w->latest(fork.id(v))) << "round " << round << " " << v;
      }
      EXPECT_EQ(fork.w->loop_detection(), plain.w->loop_detection());
    }
  }
}

TEST(Dates, IncrementalComputationOnlyRaises) {
  test_system s;
  s.var("a");
  s.eq("b", s.v("a"));
  s.eq("c", s.v("b"));
  s.w->compute_dates();
  auto* d = s.eq("d", s.v("c"));  // a new reader of c, not dated
  std::list<long> ids{s.id("c")};
  EXPECT_EQ(s.w->compute_dates(ids), 4);
  EXPECT_EQ(d->earliest_date, 3);
  EXPECT_EQ(s.w->latest(s.id("b")), 1);  // dates only rise: c's latest date is still 0
  // ids outside the system are reported and skipped
  std::list<long> bad{-1, 99, s.id("d")};
  CaptureStderr();
  s.w->compute_dates(bad);
  EXPECT_EQ(GetCapturedStderr(),
            "ERREUR dans compute_date(list ident): numero de variables trop grand :-1>= 4\n"
            "ERREUR dans compute_date(list ident): numero de variables trop grand :99>= 4\n");
  // with no dates yet, the full computation runs and the list is ignored
  test_system t;
  t.var("a");
  t.eq("b", t.v("a"));
  std::list<long> none;
  EXPECT_EQ(t.w->compute_dates(none), 2);
}

TEST(Dates, ReaderOutsideTheTableIsReported) {
  test_system s;
  s.eq("b", s.v("a"));
  s.w->reader_set(s.id("a")).insert(5);
  CaptureStderr();
  s.w->compute_dates();
  EXPECT_EQ(GetCapturedStderr(), "ERREUR dans compute_date(): nombre de variables trop grand :5>= 2\n");
  EXPECT_EQ(s.at("b")->earliest_date, 1);
}

TEST(Dates, SortsKeepEquationsDatedPastTheLevelCount) {
  test_system s;
  s.eq("x", s.w->Bdd_one());
  s.eq("y", s.v("x"));
  s.w->compute_dates();
  s.at("y")->earliest_date = 9;
  s.w->latest(s.id("x")) = 12;
  EXPECT_EQ(s.w->earliest_sort(), ids_of(s, {"x", "y"}));
  EXPECT_EQ(s.w->latest_sort(), ids_of(s, {"x", "y"}));
  s.at("x")->earliest_date = -1;
  EXPECT_EQ(s.w->earliest_sort(), ids_of(s, {"y"}));
  s.w->update_nb_level(-1);
  EXPECT_TRUE(s.w->earliest_sort().empty());
  EXPECT_TRUE(s.w->latest_sort().empty());
}

// Date then id, by a counting sort or, with a date far past the count, a comparison sort.
TEST(Dates, SortsOrderByDateThenId) {
  std::mt19937 rng(5);
  for (long spread : {5L, 1000000L}) {
    test_system s;
    for (int i = 0; i < 200; ++i) s.eq("q" + std::to_string(i), s.w->Bdd_one());
    std::vector<std::pair<long, long>> early, late;
    for (long id = 0; id < s.w->nb_var_bdd; ++id) {
      long d = static_cast<long>(rng() % 7) - 1, l = static_cast<long>(rng() % 7) - 1;
      if (id == 3) d = l = spread;
      s.w->slot(id)->earliest_date = d;
      s.w->latest(id) = l;
      if (d >= 0) early.emplace_back(d, id);
      if (l >= 0) late.emplace_back(-l, id);
    }
    std::sort(early.begin(), early.end());
    std::sort(late.begin(), late.end());
    std::list<long> by_early, by_late;
    for (auto& x : early) by_early.push_back(x.second);
    for (auto& x : late) by_late.push_back(x.second);
    EXPECT_EQ(s.w->earliest_sort(), by_early) << spread;
    EXPECT_EQ(s.w->latest_sort(), by_late) << spread;
  }
}

TEST(Dates, ChainOfFortyUnevenDiamonds) {
  // Each diamond joins a short and a long branch: a propagation that re-dated the rest of the
  // chain at every rise would take 2^40 steps.
  test_system s;
  bdd top = s.v("s0");
  for (int k = 0; k < 40; ++k) {
    std::string p = std::to_string(k);
    s.eq("short" + p, top);
    s.eq("long" + p, top);
    s.eq("longer" + p, s.v("long" + p));
    s.eq("s" + std::to_string(k + 1), s.w->Bdd_and(s.v("short" + p), s.v("longer" + p)));
    top = s.v("s" + std::to_string(k + 1));
  }
  s.w->update_nb_level(0);
  s.w->compute_dates();
  EXPECT_EQ(s.at("s40")->earliest_date, 120);
  EXPECT_EQ(s.w->Nb_level(), 121);
  EXPECT_EQ(s.w->up_critical_path(s.id("s40"), 0, 0), 120);
  EXPECT_EQ(s.w->down_critical_path(s.id("s0"), 0, 0), 120);
  std::set<long> none;
  EXPECT_EQ(s.w->down_dependances(s.id("s0"), 0, none).size(), 160u);
}

TEST(Dates, LongChainNeedsNoDeepRecursion) {
  test_system s;
  const int n = 100000;
  for (int i = 0; i < n; ++i) s.var("c" + std::to_string(i));
  // built from the end, so ids run against the dependences
  for (int i = n - 1; i > 0; --i) {
    long id = i;
    new Bddexpression("c", s.w, s.w->Bdd_var_by_index(id), s.w->Bdd_var_by_index(id - 1), 0, 0);
  }
  s.w->compute_dates();
  EXPECT_EQ(s.w->slot(n - 1)->earliest_date, n - 1);
  EXPECT_EQ(s.w->latest(0), n - 1);
  // a cycle closing the chain makes the bounded propagation run on its explicit stacks
  s.w->slot(1)->setBddExp(s.w->Bdd_and(s.w->Bdd_var_by_index(0), s.w->Bdd_var_by_index(n - 1)), 0, 0);
  s.w->update_nb_level(0);
  std::list<long> loop = s.w->loop_detection();
  EXPECT_FALSE(loop.empty());
}

TEST(Dates, OlderComputation) {
  test_system s;
  s.var("a");
  Bddexpression* table[2] = {s.eq("b", s.v("a")), s.eq("c", s.v("b"))};
  EXPECT_EQ(PERT_original_version(2, table), 3);
  EXPECT_EQ(table[0]->earliest_date, 1);
  EXPECT_EQ(table[1]->earliest_date, 2);
  EXPECT_EQ(table[0]->getLateDate(), 1);
  EXPECT_EQ(PERT_original_version(0, table), 0);
  long a[3] = {2, 5, 3}, b[3] = {1, 1, 4};
  EXPECT_EQ(normalise_min_min(3, a, b), 3);
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(b[2], 3);
  // a cycle: reported on standard output
  table[0]->setBddExp(s.v("c"), 0, 0);
  testing::internal::CaptureStdout();
  EXPECT_EQ(PERT_original_version(2, table), -1);
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_EQ(out.rfind("CYCLE DE CAUSALITE SUR:\n", 0), 0u);
  EXPECT_NE(out.find("<b>"), std::string::npos);
  EXPECT_NE(out.find("<c>"), std::string::npos);
}
