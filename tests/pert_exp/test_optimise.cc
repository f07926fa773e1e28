// Optimisations of an equation system, each on a small system worked by hand.
#include <gtest/gtest.h>

#include <sstream>

#include "library_exit.h"
#include "pert_test_util.h"

namespace {
const int kInterface = 5;  // an output status kind
std::list<int> keep_interface() { return std::list<int>{kInterface}; }
}  // namespace

TEST(Optimise, ConstantPropagationRunsToAFixedPoint) {
  test_system s;
  s.eq("k", s.w->Bdd_one());
  s.eq("x", s.w->Bdd_or(s.v("k"), s.v("a")));  // becomes one once k is propagated
  s.eq("y", s.w->Bdd_and(s.v("x"), s.v("b")));
  s.eq("z", s.w->Bdd_not(s.v("y")));
  s.eq("lonely", s.w->Bdd_zero());
  s.w->constants_propagation();
  EXPECT_EQ(s.at("k"), nullptr);
  EXPECT_EQ(s.at("x"), nullptr);
  EXPECT_EQ(s.at("y")->bdd_exp, s.v("b"));
  EXPECT_EQ(s.at("z")->bdd_exp, s.w->Bdd_not(s.v("y")));
  EXPECT_NE(s.at("lonely"), nullptr);  // unread constants are neither propagated nor removed
  EXPECT_EQ(s.w->ens_exp, s.ids({"y", "z", "lonely"}));
  EXPECT_EQ(s.w->readers(s.id("b")), s.ids({"y"}));
  EXPECT_TRUE(s.w->readers(s.id("a")).empty());
}

TEST(Optimise, ReadersOfSeveralConstantsAreReducedByAllOfThem) {
  // r reads both constants; t becomes a constant through them and is propagated in turn.
  test_system s;
  bddpp_manager* m = s.m();
  s.eq("k1", m->Bdd_one());
  s.eq("k0", m->Bdd_zero());
  s.eq("r", m->Bdd_or(m->Bdd_and(s.v("k1"), s.v("a")), m->Bdd_and(s.v("k0"), s.v("b"))));
  s.eq("q", m->Bdd_and(s.v("r"), s.v("k1")));
  s.eq("t", m->Bdd_or(m->Bdd_and(s.v("k1"), s.v("k0")), m->Bdd_and(s.v("k0"), s.v("b"))));
  s.eq("u", m->Bdd_or(s.v("t"), m->Bdd_not(s.v("a"))));
  s.w->constants_propagation();
  EXPECT_EQ(s.w->ens_exp, s.ids({"r", "q", "u"}));
  EXPECT_EQ(s.at("r")->bdd_exp, s.v("a"));
  EXPECT_EQ(s.at("q")->bdd_exp, s.v("r"));
  EXPECT_EQ(s.at("u")->bdd_exp, m->Bdd_not(s.v("a")));
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"r", "u"}));
}

TEST(Optimise, KeptConstantLosesItsReadersOnly) {
  test_system s;
  s.eq("o", s.w->Bdd_zero(), kInterface);
  s.eq("r", s.w->Bdd_or(s.v("o"), s.v("a")));
  std::list<int> keep = keep_interface();
  s.w->constants_propagation(keep);
  EXPECT_NE(s.at("o"), nullptr);
  EXPECT_TRUE(s.w->readers(s.id("o")).empty());
  EXPECT_EQ(s.at("r")->bdd_exp, s.v("a"));
}

TEST(Optimise, AbstractReadersAreLeftAsTheyAre) {
  test_system s;
  s.eq("k", s.w->Bdd_one());
  std::set<long> deps{s.id("k")};
  auto* q = new Bddexpression(s.var("q"), s.w, deps, "EXT", 0, 0);
  s.w->constants_propagation();
  EXPECT_EQ(s.at("k"), nullptr);
  EXPECT_EQ(q->vars_dependance, deps);
}

TEST(Optimise, WireSuppression) {
  test_system s;
  s.eq("w", s.v("a"));                            // a wire
  s.eq("two", s.w->Bdd_and(s.v("a"), s.v("b")));  // reads two: not a wire
  s.eq("r", s.w->Bdd_and(s.v("w"), s.v("two")));
  s.eq("o", s.v("r"), kInterface);                // a wire of a kept kind
  s.eq("p", s.v("o"));
  std::list<int> keep = keep_interface();
  s.w->latest(s.id("w")) = 3;
  s.w->suppress_wires(keep);
  EXPECT_EQ(s.at("w"), nullptr);
  EXPECT_EQ(s.w->latest(s.id("w")), 0);
  EXPECT_EQ(s.at("r")->bdd_exp, s.w->Bdd_and(s.v("a"), s.v("two")));
  EXPECT_NE(s.at("two"), nullptr);
  EXPECT_NE(s.at("o"), nullptr);
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"two", "r"}));
  // dates by critical paths, and a level count that covers them
  EXPECT_EQ(s.at("two")->earliest_date, 2);
  EXPECT_EQ(s.at("r")->earliest_date, 3);
  EXPECT_EQ(s.at("p")->earliest_date, 5);
  EXPECT_EQ(s.w->latest(s.id("two")), 3);
  EXPECT_EQ(s.w->latest(s.id("p")), 0);
  EXPECT_EQ(s.w->Nb_level(), 6);
  EXPECT_EQ(s.w->earliest_sort().size(), 4u);
}

TEST(Optimise, WireChainsAreSubstitutedWhateverTheOrderOfTheirIds) {
  // Ids in this order: e reads the later wire w3, r reads w1 and the later w3, m becomes a
  // wire once w1 and w2 are gone, q reads m, o (kept) reads e.
  test_system s;
  for (const char* n : {"a", "b", "c", "e", "w1", "r", "w2", "w3", "m", "q", "o"}) s.v(n);
  bddpp_manager* m = s.m();
  s.eq("e", m->Bdd_not(s.v("w3")));
  s.eq("w1", m->Bdd_not(s.v("a")));
  s.eq("r", m->Bdd_or(m->Bdd_and(s.v("w1"), s.v("b")), m->Bdd_and(s.v("w3"), s.v("c"))));
  s.eq("w2", s.v("w1"));
  s.eq("w3", m->Bdd_not(s.v("w2")));
  s.eq("m", m->Bdd_and(s.v("w1"), s.v("w2")));
  s.eq("q", m->Bdd_and(s.v("m"), s.v("c")));
  s.eq("o", m->Bdd_or(m->Bdd_or(s.v("r"), s.v("q")), m->Bdd_and(s.v("e"), s.v("b"))), kInterface);
  std::list<int> keep = keep_interface();
  s.w->suppress_wires(keep);
  bdd not_a = m->Bdd_not(s.v("a"));
  EXPECT_EQ(s.w->ens_exp, s.ids({"r", "q", "o"}));
  EXPECT_EQ(s.at("r")->bdd_exp, m->Bdd_or(m->Bdd_and(not_a, s.v("b")), m->Bdd_and(s.v("a"), s.v("c"))));
  EXPECT_EQ(s.at("q")->bdd_exp, m->Bdd_and(not_a, s.v("c")));
  EXPECT_EQ(s.at("o")->bdd_exp, m->Bdd_or(m->Bdd_or(s.v("r"), s.v("q")), m->Bdd_and(not_a, s.v("b"))));
  EXPECT_EQ(s.at("o")->vars_dependance, s.ids({"a", "b", "r", "q"}));
}

TEST(Optimise, WireWithAnAbstractReaderStays) {
  test_system s;
  s.eq("w", s.v("a"));
  std::set<long> deps{s.id("w")};
  new Bddexpression(s.var("q"), s.w, deps, "EXT", 0, 0);
  s.w->suppress_wires();
  EXPECT_NE(s.at("w"), nullptr);
  EXPECT_EQ(s.w->readers(s.id("w")), s.ids({"q"}));
}

TEST(OptimiseExitTest, WireReadingItselfIsKeptAndItsCycleReported) {
  // Substituting x := x into its readers would leave them reading an undefined variable; the
  // loop stays, and the critical-path dating ends on it with the self-dependence error.
  test_system s;
  s.eq("loop", s.v("loop"));
  s.eq("r", s.v("loop"));
  EXPECT_LIBRARY_EXIT(s.w->suppress_wires(), 1,
                      "ERROR: detected self-dependance about variable : 0 !!!");
  s.w->suppress_locals();
  EXPECT_NE(s.at("loop"), nullptr);
  EXPECT_EQ(s.at("r")->bdd_exp, s.v("loop"));
}

TEST(Optimise, UnreadConstantsAfterWireSuppressionStayInTheOrder) {
  test_system s;
  s.eq("c", s.w->Bdd_one());
  s.eq("d", s.w->Bdd_zero());
  s.w->compute_dates();
  ASSERT_EQ(s.w->Nb_level(), 1);
  s.w->suppress_wires();
  EXPECT_EQ(s.at("c")->earliest_date, 2);
  EXPECT_EQ(s.w->earliest_sort().size(), 2u);
  EXPECT_GE(s.w->Nb_level(), 3);
}

TEST(Optimise, InterfaceEquationMadeConstantInsideSuppressionIsKept) {
  test_system s;
  s.eq("k", s.w->Bdd_one());
  s.eq("w", s.v("k"));                                          // a wire of a constant
  s.eq("o", s.w->Bdd_or(s.v("w"), s.v("a")), kInterface);  // becomes constant one
  s.eq("r", s.w->Bdd_and(s.v("o"), s.v("b")));
  std::list<int> keep = keep_interface();
  s.w->suppress_wires(keep);
  ASSERT_NE(s.at("o"), nullptr);
  EXPECT_EQ(s.at("o")->bdd_exp, s.w->Bdd_one());
  EXPECT_EQ(s.at("r")->bdd_exp, s.v("b"));
}

TEST(Optimise, LocalSuppression) {
  test_system s;
  s.eq("l", s.w->Bdd_and(s.v("a"), s.v("b")));
  s.eq("r", s.w->Bdd_or(s.v("l"), s.v("c")));
  s.eq("o", s.v("l"), kInterface);
  s.eq("self", s.w->Bdd_and(s.v("self"), s.v("a")));
  s.eq("rs", s.v("self"));
  std::list<int> keep = keep_interface();
  s.w->suppress_locals(keep);
  EXPECT_EQ(s.at("l"), nullptr);
  EXPECT_EQ(s.at("r")->bdd_exp, s.w->Bdd_or(s.w->Bdd_and(s.v("a"), s.v("b")), s.v("c")));
  EXPECT_EQ(s.at("o")->bdd_exp, s.w->Bdd_and(s.v("a"), s.v("b")));
  EXPECT_EQ(s.at("o")->vars_dependance, s.ids({"a", "b"}));
  EXPECT_EQ(s.w->readers(s.id("b")), s.ids({"r", "o"}));
  EXPECT_NE(s.at("self"), nullptr);
  // an abstract local stays
  test_system t;
  std::set<long> deps{t.var("a")};
  new Bddexpression(t.var("x"), t.w, deps, "EXT", 0, 0);
  t.eq("r", t.v("x"));
  t.w->suppress_locals();
  EXPECT_NE(t.at("x"), nullptr);
  EXPECT_EQ(t.at("r")->bdd_exp, t.v("x"));
}

TEST(Optimise, ReductionUnderAConditionAndQuantification) {
  test_system s;
  s.eq("x", s.w->Bdd_and(s.v("a"), s.v("b")));
  s.eq("y", s.w->Bdd_or(s.v("a"), s.v("c")));
  s.eq("z", s.w->Bdd_and(s.v("x"), s.v("c")));
  s.w->reduce_expressions(s.w->Bdd_one());
  EXPECT_EQ(s.at("x")->bdd_exp, s.w->Bdd_and(s.v("a"), s.v("b")));
  s.w->reduce_expressions(s.v("a"));
  EXPECT_EQ(s.at("x")->bdd_exp, s.v("b"));
  EXPECT_EQ(s.at("y")->bdd_exp, s.w->Bdd_one());  // read by nobody: stays
  EXPECT_TRUE(s.w->readers(s.id("a")).empty());
  s.w->reduce_expressions_when_var_forgotten_by_exist_op(s.id("b"));
  EXPECT_EQ(s.at("x"), nullptr);
  EXPECT_EQ(s.at("z")->bdd_exp, s.v("c"));
  s.eq("u", s.w->Bdd_or(s.v("d"), s.v("e")));
  s.w->reduce_expressions_when_var_forgotten_by_forall_op(s.id("d"));
  EXPECT_EQ(s.at("u")->bdd_exp, s.v("e"));
  EXPECT_EQ(s.w->readers(s.id("d")), std::set<long>{});
  EXPECT_EQ(s.w->readers(s.id("e")), s.ids({"u"}));
}

TEST(Optimise, LoopBreaking) {
  test_system s;
  int ok = -1;
  s.var("i");
  s.eq("p", s.v("i"));
  EXPECT_TRUE(s.w->loop_breaking({s.id("i")}, ok).empty());
  EXPECT_EQ(ok, 1);
  // x := i ? y : 0, y := i ? 0 : x  is a false loop once i is known
  s.eq("x", s.w->Bdd_and(s.v("i"), s.v("y")));
  s.eq("y", s.w->Bdd_and(s.w->Bdd_not(s.v("i")), s.v("x")));
  std::set<long> created = s.w->loop_breaking({s.id("i")}, ok);
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(created.size(), 4u);
  EXPECT_TRUE(s.w->loop_detection().empty());
  // the two equations of the loop keep apart copies
  for (long c : created) EXPECT_NE(s.w->slot(c), nullptr);
  // a loop that reads no eligible free variable
  test_system t;
  t.eq("x", t.v("y"));
  t.eq("y", t.v("x"));
  EXPECT_TRUE(t.w->loop_breaking({}, ok).empty());
  EXPECT_EQ(ok, 0);
}

TEST(Optimise, GlobalTautology) {
  test_system s;
  EXPECT_EQ(s.w->global_tautology(), 1);
  s.eq("k", s.w->Bdd_one());
  s.eq("x", s.w->Bdd_and(s.v("k"), s.w->Bdd_zero()));
  EXPECT_EQ(s.w->global_tautology(), 1);
  s.eq("y", s.v("a"));
  EXPECT_EQ(s.w->global_tautology(), 0);
}

TEST(Optimise, AbstractSystemText) {
  test_system s;
  s.var("a");
  s.eq("b", s.v("a"));
  auto* c = s.eq("c", s.w->Bdd_and(s.v("b"), s.v("a")));
  c->exp_def = "F";
  long renumber[3] = {0, -1, 1};
  std::set<long> kept{0, 2};
  std::ostringstream os;
  s.w->Put_jxa(os, renumber, kept, 0);
  EXPECT_EQ(os.str(), "0 : {}:1, {1}:2;\n1 : {0}:3, {}:0[\"F\"];\n");
  std::ostringstream os2;
  s.w->Put_jxa(os2, renumber, kept, 0, "M");
  EXPECT_EQ(os2.str(), "0 : {}:1, {1}:2[\"M.jxc:0\"];\n1 : {0}:3, {}:0[\"M.jxc:1\"];\n");
}
