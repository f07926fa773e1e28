// Dependence closures, critical paths, the reader table and the inlining of one local.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "library_exit.h"
#include "pert_test_util.h"

namespace {

// The depth-bounded critical paths written recursively.
long ref_down(Bddexpressionwood* w, long v, long depth, long acc) {
  if (w->readers(v).empty()) return acc;
  long m = 0;
  for (long r : w->readers(v)) {
    Bddexpression* e = w->slot(r);
    if (e == nullptr) continue;
    if (depth < w->nb_var_bdd) m = std::max(m, ref_down(w, r, depth + 1, e->w));
  }
  return acc + m;
}

long ref_up(Bddexpressionwood* w, long v, long depth, long acc) {
  Bddexpression* e = w->slot(v);
  if (e == nullptr) return acc;
  long m = e->w;
  for (long d : std::set<long>(e->vars_dependance))
    if (w->slot(d)) m = std::max(m, ref_up(w, d, depth + 1, e->w));
  return acc + m;
}

// b := a, c := b & a.
struct small_system {
  test_system s;
  long a, b, c;
  small_system() {
    a = s.var("a");
    b = s.var("b");
    c = s.var("c");
    s.eq("b", s.v("a"));
    s.eq("c", s.w->Bdd_and(s.v("b"), s.v("a")));
  }
};

}  // namespace

TEST(Dependences, ClosuresAndCriticalPathsByHand) {
  small_system t;
  Bddexpressionwood* w = t.s.w;
  std::set<long> none;
  EXPECT_EQ(w->down_dependances(t.a, 0, none), (std::set<long>{t.b, t.c}));
  EXPECT_EQ(w->up_dependances(t.c, 0, none), (std::set<long>{t.a, t.b}));
  EXPECT_EQ(w->down_critical_path(t.a, 0, 0), 2);
  EXPECT_EQ(w->up_critical_path(t.c, 0, 0), 2);
  w->slot(t.b)->w = 5;
  EXPECT_EQ(w->down_critical_path(t.a, 0, 10), 16);
  EXPECT_EQ(w->up_critical_path(t.c, 0, 0), 6);
  EXPECT_EQ(w->up_critical_path(t.a, 0, 3), 3);  // an input
  std::set<long> acc{99};
  EXPECT_EQ(w->up_dependances(t.b, 0, acc), (std::set<long>{t.a, 99}));
}

TEST(Dependences, MemoisedPathsMatchTheRecursiveWalk) {
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> coin(0, 99);
  for (int round = 0; round < 40; ++round) {
    test_system s;
    // the bounded walk on a cyclic graph is exponential: small ones only
    int n = round % 2 == 0 ? 6 + round % 10 : 4 + round % 5;
    for (int i = 0; i < n; ++i) s.var("v" + std::to_string(i));
    for (int i = 0; i < n; ++i) {
      if (coin(rng) < 30) continue;
      bdd f = s.w->Bdd_one();
      for (int j = 0; j < n; ++j)
        // acyclic rounds read lower ids only
        if ((round % 2 == 0 ? j < i : j != i) && coin(rng) < 25) f = s.w->Bdd_and(f, s.w->Bdd_var_by_index(j));
      s.eq("v" + std::to_string(i), f)->w = coin(rng) % 4 - 1;
    }
    for (long v = 0; v < n; ++v) {
      for (long depth : {0L, 1L, static_cast<long>(n) - 2}) {
        CaptureStderr();
        long ours = s.w->down_critical_path(v, depth, 2);
        std::string warned = GetCapturedStderr();
        EXPECT_EQ(ours, ref_down(s.w, v, depth, 2)) << "round " << round << " v " << v << " depth " << depth;
        if (round % 2 == 0 && depth <= 1) {
          EXPECT_EQ(warned, "");
        }
        if (round % 2 == 0) {
          EXPECT_EQ(s.w->up_critical_path(v, 0, 1), ref_up(s.w, v, 0, 1)) << "round " << round << " v " << v;
        }
      }
    }
  }
}

// A change in a wood whose readers close a cycle through twenty diamonds (2^20 paths around it)
// warns once, at once (the down walk after a change reads nothing but the warning), before the
// up walk reports the self-dependence and ends the process.
TEST(DependencesExitTest, ChangeOnACycleOfDiamondsWarnsOnce) {
  auto change = [] {
    test_system s;
    const int k = 20;
    for (int i = 0; i <= k; ++i) s.var("x" + std::to_string(i));
    s.eq("x0", s.v("x" + std::to_string(k)));
    for (int i = 1; i <= k; ++i) {
      std::string prev = "x" + std::to_string(i - 1), n = std::to_string(i);
      s.eq("a" + n, s.v(prev));
      s.eq("b" + n, s.m()->Bdd_not(s.v(prev)));
      s.eq("x" + n, s.m()->Bdd_or(s.v("a" + n), s.v("b" + n)));
    }
    s.at("x0")->append_or_exp(s.v("q"));
  };
  EXPECT_LIBRARY_EXIT(change(), 1,
                      "^WARNING in Bddexpressionwood::down_critical_path\\(\\):\n"
                      "   possible infinite recursion due to a signals cycle\n"
                      "ERROR: detected self-dependance");
}

TEST(Dependences, CycleWarningsOfTheBoundedWalks) {
  test_system s;
  long x = s.var("x"), y = s.var("y");
  s.eq("x", s.v("y"));
  s.eq("y", s.v("x"));
  CaptureStderr();
  long path = s.w->down_critical_path(x, 0, 0);
  EXPECT_EQ(GetCapturedStderr(),
            "WARNING in Bddexpressionwood::down_critical_path():\n"
            "   possible infinite recursion due to a signals cycle\n");
  EXPECT_EQ(path, 2);
  std::set<long> none;
  EXPECT_EQ(s.w->down_dependances(x, 0, none), (std::set<long>{x, y}));
  CaptureStderr();
  EXPECT_EQ(s.w->down_dependances(x, 5, none), (std::set<long>{y}));
  EXPECT_EQ(GetCapturedStderr(),
            "WARNING in Bddexpressionwood::down_dependances():\n"
            "   possible infinite recusion due to a signals cycle\n");
  CaptureStderr();
  EXPECT_EQ(s.w->up_dependances(x, 5, none), (std::set<long>{y}));
  EXPECT_EQ(GetCapturedStderr(),
            "WARNING in Bddexpressionwood::up_dependances():\n"
            "   possible infinite recursion due to a signals cycle\n");
}

TEST(Dependences, UpCriticalPathInlinesALocalPastTheBound) {
  test_system s;
  long i = s.var("i"), x = s.var("x"), y = s.var("y");
  (void)i;
  s.eq("x", s.w->Bdd_and(s.v("y"), s.v("i")));
  s.eq("y", s.w->Bdd_or(s.v("x"), s.v("i")));
  s.w->up_critical_path(x, 0, 1);
  // the cycle is broken by substituting one of its equations into its readers
  bool x_reads_y = s.w->slot(x)->vars_dependance.count(y) != 0;
  bool y_reads_x = s.w->slot(y)->vars_dependance.count(x) != 0;
  EXPECT_FALSE(x_reads_y && y_reads_x);
}

TEST(Dependences, AbstractLocalInACycleStopsTheWalk) {
  test_system s;
  long x = s.var("x"), y = s.var("y");
  std::set<long> deps{y};
  new Bddexpression(x, s.w, deps, "EXT", 0, 0);
  s.eq("y", s.v("x"));
  CaptureStderr();
  long r = s.w->up_critical_path(x, 0, 1);
  std::string err = GetCapturedStderr();
  EXPECT_NE(err.find("WARNING in Bddexpressionwood::up_critical_path():"), std::string::npos);
  EXPECT_GT(r, 0);
  EXPECT_EQ(s.w->slot(y)->vars_dependance, std::set<long>{x});
}

TEST(Dependences, UselessLocalAndCoherenceCheck) {
  small_system t;
  Bddexpressionwood* w = t.s.w;
  CaptureStderr();
  w->coherence_dependances_check(std::cout);
  EXPECT_EQ(GetCapturedStderr(), "");
  w->useless_local(t.b);
  EXPECT_EQ(w->slot(t.c)->bdd_exp, t.s.v("a"));
  EXPECT_TRUE(w->readers(t.b).empty());
  EXPECT_EQ(w->readers(t.a), std::set<long>{t.c});
  EXPECT_NE(w->slot(t.b), nullptr);
  CaptureStderr();
  w->coherence_dependances_check(std::cout);
  EXPECT_EQ(GetCapturedStderr(), "incoherence sur table des amonts pour la variable 0: calcule: {1,2} trouve{2}\n");
  w->internal_global_build_dependances();
  EXPECT_EQ(w->readers(t.a), (std::set<long>{t.b, t.c}));
}

TEST(Dependences, UselessLocalLeavesAbstractEquationsAlone) {
  test_system s;
  long a = s.var("a"), x = s.var("x");
  std::set<long> deps{a};
  new Bddexpression(x, s.w, deps, "EXT", 0, 0);
  s.eq("r", s.v("x"));
  s.w->useless_local(x);
  EXPECT_EQ(s.at("r")->bdd_exp, s.v("x"));
  EXPECT_EQ(s.w->readers(x), s.ids({"r"}));
  // an abstract reader keeps its variable too
  auto* b = s.eq("b", s.v("a"));
  std::set<long> rdeps{s.id("b")};
  new Bddexpression(s.var("q"), s.w, rdeps, "EXT", 0, 0);
  s.w->useless_local(s.id("b"));
  EXPECT_EQ(s.w->readers(s.id("b")), s.ids({"q"}));
  EXPECT_EQ(b->bdd_exp, s.v("a"));
}

TEST(DependencesExitTest, UselessLocalOfASelfDependence) {
  test_system s;
  long x = s.var("x");
  auto* e = s.eq("x", s.w->Bdd_and(s.v("x"), s.v("a")));
  (void)e;
  EXPECT_LIBRARY_EXIT(s.w->useless_local(x), 1,
                      "ERROR: detected self-dependance about variable : 0 !!!\n"
                      "in associated wood:\nwood Bddexpression");
}

TEST(Dependences, PrintedDependenceTree) {
  small_system t;
  std::ostringstream os;
  t.s.w->stat_early_dep(os, t.c);
  EXPECT_EQ(os.str(),
            "c (2)\n"
            "   | a (0)\n"
            "   | b (1)\n"
            "      | a (0) -->\n");
  std::list<long> seen{t.a};
  std::ostringstream os2;
  t.s.w->internal_stat_early_dep(os2, t.b, 1, &seen);
  EXPECT_EQ(os2.str(), "   | b (1)\n      | a (0) -->\n");
  EXPECT_EQ(seen, (std::list<long>{t.a, t.b}));
}

TEST(Dependences, SetReencoding) {
  long table[4] = {0, 5, 2, 5};
  EXPECT_EQ(set_reencoding({1, 3}, table), std::set<long>{5});
  EXPECT_EQ(set_reencoding({0, 2}, table), (std::set<long>{0, 2}));
}

TEST(Dependences, SettersKeepTheReaderTableExact) {
  std::mt19937 rng(3);
  std::uniform_int_distribution<int> pick(0, 11);
  test_system s;
  for (int i = 0; i < 12; ++i) s.var("v" + std::to_string(i));
  std::vector<Bddexpression*> eqs;
  for (int i = 6; i < 12; ++i) eqs.push_back(s.eq("v" + std::to_string(i), s.w->Bdd_var_by_index(i - 6)));
  for (int step = 0; step < 60; ++step) {
    Bddexpression* e = eqs[static_cast<size_t>(step % 6)];
    bdd g = s.w->Bdd_var_by_index(pick(rng) % 6);
    if (step % 3 == 0) e->append_or_exp(g);
    if (step % 3 == 1) e->append_and_exp(s.w->Bdd_not(g));
    if (step % 3 == 2) e->setBddExp(g);
  }
  CaptureStderr();
  s.w->coherence_dependances_check(std::cout);
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(Dependences, MergedRightSidesKeepTheExactSupport) {
  // Or and and merges with right sides of disjoint, overlapping and absorbing supports: the
  // dependences stay the support of the right side, and the reader table stays exact.
  std::mt19937 rng(5);
  std::uniform_int_distribution<int> pick(0, 5), kind(0, 9);
  test_system s;
  for (int i = 0; i < 6; ++i) s.var("v" + std::to_string(i));
  bddpp_manager* m = s.m();
  std::vector<Bddexpression*> eqs;
  for (int i = 6; i < 9; ++i) eqs.push_back(s.eq("v" + std::to_string(i), s.w->Bdd_var_by_index(i - 6)));
  for (int step = 0; step < 300; ++step) {
    Bddexpression* e = eqs[static_cast<size_t>(step % 3)];
    bdd x = s.w->Bdd_var_by_index(pick(rng)), y = s.w->Bdd_var_by_index(pick(rng));
    int k = kind(rng);
    bdd g = k == 0 ? m->Bdd_one() : k == 1 ? m->Bdd_zero() : k < 5 ? x : k < 8 ? m->Bdd_and(x, m->Bdd_not(y)) : m->Bdd_or(x, y);
    if (step % 7 == 6)
      e->setBddExp(g);
    else if (step % 2 == 0)
      e->append_or_exp(g);
    else
      e->append_and_exp(g);
    ASSERT_EQ(e->vars_dependance, m->set_of_index_depend_on(e->bdd_exp)) << "step " << step;
  }
  CaptureStderr();
  s.w->coherence_dependances_check(std::cout);
  EXPECT_EQ(GetCapturedStderr(), "");
}

TEST(Dependences, PendingTermsSettleToTheEagerSupportAndReaders) {
  // Or-terms that overlap the right side, some cancelling a variable (a & c | !a & c = c):
  // once settled (dating), the pending build has the eager build's right sides, dependences
  // and reader table.
  for (int deferred = 0; deferred < 2; ++deferred) {
    Bddexpression::defer_appends = deferred != 0;
    test_system s;
    bdd a = s.v("a"), b = s.v("b"), c = s.v("c");
    s.eq("x", s.w->Bdd_and(s.v("y"), c));
    Bddexpression* y = s.eq("y", b);
    y->append_or_exp(s.w->Bdd_and(s.w->Bdd_not(b), a));
    y->append_or_exp(s.w->Bdd_and(b, a));
    y->append_or_exp(s.v("d"));
    Bddexpression* u = s.eq("u", s.w->Bdd_and(a, c));
    u->append_or_exp(s.w->Bdd_and(s.w->Bdd_not(a), c));
    u->append_or_exp(s.v("y"));
    s.w->compute_dates();
    EXPECT_EQ(y->vars_dependance, s.ids({"a", "b", "d"})) << deferred;
    EXPECT_EQ(u->vars_dependance, s.ids({"c", "y"})) << deferred;
    EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"y"})) << deferred;
    EXPECT_EQ(s.w->readers(s.id("y")), s.ids({"x", "u"})) << deferred;
    EXPECT_EQ(u->bdd_exp, s.w->Bdd_or(c, s.v("y")));
    CaptureStderr();
    s.w->coherence_dependances_check(std::cout);
    EXPECT_EQ(GetCapturedStderr(), "");
  }
  Bddexpression::defer_appends = true;
}
