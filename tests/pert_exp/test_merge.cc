// Inclusion of an instance's system under a suffix, suppression of one local, used variables.
#include <gtest/gtest.h>

#include "pert_test_util.h"

TEST(Merge, IncludeInTheSameManager) {
  test_system s;
  s.var("x");
  s.var("a");
  s.var("b");
  auto* e = s.eq("x", s.w->Bdd_and(s.v("a"), s.v("b")), 5);
  e->name = "eqx";
  e->earliest_date = 2;
  s.w->latest(s.id("x")) = 1;
  s.w->nb_level = 4;
  Bddexpressionwood host(s.m());
  host.set_common_bdd_manager(1);
  std::string suffix = "_1";
  host.Include_wood_instance(*s.w, suffix);
  EXPECT_EQ(s.m()->Name_var_by_index(3), "x_1");
  EXPECT_EQ(s.m()->Name_var_by_index(4), "a_1");
  EXPECT_EQ(s.m()->Name_var_by_index(5), "b_1");
  Bddexpression* copy = host.slot(3);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(copy->name, "eqx_1");
  EXPECT_EQ(copy->bdd_exp, s.w->Bdd_and(s.v("a_1"), s.v("b_1")));
  EXPECT_EQ(copy->usertype, 5);
  EXPECT_EQ(copy->earliest_date, 2);
  EXPECT_EQ(host.latest(3), 1);
  EXPECT_EQ(host.Nb_level(), 4);
  EXPECT_EQ(host.readers(4), std::set<long>{3});
  EXPECT_EQ(s.w->ens_exp, std::set<long>{0});  // the instance keeps its equations
  EXPECT_EQ(s.w->nb_var_bdd, 6);
  // a second inclusion reuses the variables; its copies take the slots of the first ones
  host.Include_wood_instance(*s.w, suffix);
  EXPECT_EQ(s.m()->Nb_bdd_vars(), 6);
  EXPECT_NE(host.slot(3), copy);
  EXPECT_EQ(host.exp_number(), 1);
}

TEST(Merge, IncludeAbstractEquationInTheSameManager) {
  test_system s;
  long a = s.var("a"), x = s.var("x");
  std::set<long> deps{a};
  auto* abs = new Bddexpression(x, s.w, deps, "EXT", 1, 0);
  abs->usertype = 6;
  s.eq("r", s.v("x"));
  Bddexpressionwood host(s.m());
  host.set_common_bdd_manager(1);
  std::string suffix = "@M_i1";
  host.Include_wood_instance(*s.w, suffix);
  long xc = s.id("x@M_i1"), ac = s.id("a@M_i1"), rc = s.id("r@M_i1");
  Bddexpression* c = host.slot(xc);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->abstraction, 1);
  EXPECT_EQ(c->usertype, 0);
  EXPECT_EQ(c->vars_dependance, std::set<long>{ac});
  EXPECT_EQ(host.readers(xc), std::set<long>{rc});  // the instance's reader, renamed
  EXPECT_EQ(host.readers(ac), std::set<long>{xc});
  EXPECT_EQ(host.slot(rc)->bdd_exp, s.v("x@M_i1"));
}

TEST(Merge, IncludeFromAnotherManager) {
  test_system inst;
  long a = inst.var("a");
  inst.var("unused");
  inst.var("b");
  inst.eq("x", inst.w->Bdd_or(inst.v("a"), inst.v("b")), 3);
  std::set<long> deps{a};
  auto* abs = new Bddexpression(inst.var("d"), inst.w, deps, "EXT", 0, 0);
  abs->usertype = 4;
  inst.w->nb_level = 7;
  test_system host;
  host.var("h");
  std::string suffix = "_2";
  host.w->Include_wood_instance(*inst.w, suffix);
  EXPECT_EQ(host.id("unused_2"), -1);
  ASSERT_NE(host.at("x_2"), nullptr);
  EXPECT_EQ(host.at("x_2")->bdd_exp, host.w->Bdd_or(host.v("a_2"), host.v("b_2")));
  EXPECT_EQ(host.at("x_2")->usertype, 3);
  ASSERT_NE(host.at("d_2"), nullptr);
  EXPECT_EQ(host.at("d_2")->usertype, 4);
  EXPECT_EQ(host.at("d_2")->vars_dependance, host.ids({"a_2"}));
  EXPECT_EQ(host.w->Nb_level(), 7);
  // a stale dependence set does not leave a variable of the right side without its copy
  test_system stale;
  Bddexpression* y = stale.eq("y", stale.w->Bdd_and(stale.v("p"), stale.v("q")));
  y->vars_dependance = {stale.id("p"), -1};
  test_system host2;
  host2.w->Include_wood_instance(*stale.w, suffix);
  ASSERT_NE(host2.at("y_2"), nullptr);
  EXPECT_EQ(host2.at("y_2")->bdd_exp, host2.w->Bdd_and(host2.v("p_2"), host2.v("q_2")));
}

TEST(Merge, EmptyInstanceOnlyRaisesTheLevelCount) {
  test_system inst;
  inst.var("a");
  inst.w->nb_level = 3;
  test_system host;
  std::string suffix = "_1";
  host.w->Include_wood_instance(*inst.w, suffix);
  EXPECT_EQ(host.m()->Nb_bdd_vars(), 0);
  EXPECT_EQ(host.w->Nb_level(), 3);
}

TEST(Merge, UsedVariablesReportMissingEquations) {
  test_system s;
  s.eq("x", s.v("a"));
  s.w->ens_exp.insert(s.id("a"));
  CaptureStderr();
  EXPECT_EQ(s.w->Set_of_index_used_variables(), s.ids({"x", "a"}));
  EXPECT_EQ(GetCapturedStderr(),
            "internal error in Bddexpressionwood::Set_of_index_used_variables(): expression not found!!!"
            "   about id:0\n");
}

TEST(Merge, SuppressLocal) {
  test_system s;
  s.eq("l", s.w->Bdd_and(s.v("a"), s.v("b")));
  s.eq("r", s.w->Bdd_or(s.v("l"), s.v("c")));
  s.w->reader_set(s.id("l")).insert(s.id("c"));  // a reader without equation
  s.w->suppress_local(s.id("l"));
  EXPECT_EQ(s.at("l"), nullptr);
  EXPECT_EQ(s.at("r")->bdd_exp, s.w->Bdd_or(s.w->Bdd_and(s.v("a"), s.v("b")), s.v("c")));
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"r"}));
  EXPECT_EQ(s.w->ens_exp, s.ids({"r"}));
  // a self-dependence is reported and nothing changes
  s.eq("z", s.w->Bdd_and(s.v("z"), s.v("a")));
  CaptureStderr();
  s.w->suppress_local(s.id("z"));
  EXPECT_EQ(GetCapturedStderr().rfind("ERROR: detected self-dependance about variable : 5 !!!\nin associated wood:\n", 0),
            0u);
  EXPECT_NE(s.at("z"), nullptr);
  // an abstract local is not substituted
  std::set<long> deps{s.id("a")};
  new Bddexpression(s.var("q"), s.w, deps, "EXT", 0, 0);
  s.eq("rq", s.v("q"));
  s.w->suppress_local(s.id("q"));
  EXPECT_NE(s.at("q"), nullptr);
}

// A fork's copy stands for the system as it was copied, whatever the original does after;
// merging back an unchanged copy a second time makes no node; the original records what
// changed after each copy was taken.
TEST(Merge, ForkCopyKeepsItsStateAndMergesBackWithoutNewNodes) {
  test_system s;
  bddpp_manager* m = s.m();
  s.eq("a", m->Bdd_or(m->Bdd_and(s.v("x"), s.v("y")), s.v("z")));
  s.eq("b", m->Bdd_and(s.v("y"), m->Bdd_not(s.v("z"))));
  s.at("a")->append_or_exp(s.v("u"));  // a pending term, kept as such by the copy
  bdd a_then = s.at("a")->my_bdd_exp();
  s.at("a")->append_or_exp(s.v("v"));

  test_system fork(new Bddexpressionwood(s.w, true));
  uint64_t taken = s.w->capture();
  EXPECT_EQ(s.at("a")->stamp(), fork.at("a")->copied_stamp());
  EXPECT_EQ(s.at("a"), fork.at("a")->copied_from());

  s.at("a")->setBddExp(s.v("x"));  // the original changes after the copy
  EXPECT_EQ(std::vector<long>{s.id("a")}, s.w->changed_since(taken));
  bdd a_copied = Bdd_isomorphe_by_name(m, fork.m(), fork.at("a")->my_bdd_exp());
  EXPECT_EQ(m->Bdd_or(a_then, s.v("v")), a_copied);
  bdd b_copied = fork.at("b")->my_bdd_exp();  // read after the original changed: as copied
  EXPECT_EQ(m->Bdd_and(s.v("y"), m->Bdd_not(s.v("z"))), Bdd_isomorphe_by_name(m, fork.m(), b_copied));
  EXPECT_EQ(s.at("b"), fork.at("b")->copied_from());  // reading changes nothing

  // b unchanged on both sides: the first merge back may make nodes, the second makes none.
  Bddexpression* b = s.at("b");
  b->merge_right_side(1, *fork.at("b"));
  long nodes = m->internal_next_node_id;
  uint64_t stamp = b->stamp();
  b->merge_right_side(1, *fork.at("b"));
  EXPECT_EQ(nodes, m->internal_next_node_id);
  EXPECT_EQ(stamp, b->stamp());
}

// Terms appended in fork copies to an equation they never read, in a copy of a copy as well,
// merge back by name: variables made in the copies reach the original, and a constant right
// side absorbs the terms as the eager build does.
TEST(Merge, TermsAppendedToAnUnreadCopyMergeBackByName) {
  test_system s;
  bddpp_manager* m = s.m();
  s.eq("a", m->Bdd_and(s.v("x"), s.v("y")));
  s.at("a")->append_or_exp(s.v("u"));  // pending when copied
  s.eq("b", m->Bdd_one());

  test_system c1(new Bddexpressionwood(s.w, true));
  c1.at("a")->append_or_exp(c1.m()->Bdd_and(c1.v("p"), c1.v("x")));  // p: made in c1
  test_system c2(new Bddexpressionwood(c1.w, true));
  c2.at("a")->append_or_exp(c2.v("q"));
  c2.at("b")->append_or_exp(c2.v("q"));
  EXPECT_TRUE(c2.at("b")->set_of_var_dependances().empty());
  c1.at("a")->merge_right_side(1, *c2.at("a"));
  s.at("a")->merge_right_side(1, *c1.at("a"));

  test_system c3(new Bddexpressionwood(s.w, true));
  bdd copied = s.at("a")->my_bdd_exp();
  c3.at("a")->append_or_exp(c3.v("r"));
  // Read, the copy folds the original's right side with its term where that side lies.
  EXPECT_EQ(m->Bdd_or(copied, s.v("r")), Bdd_isomorphe_by_name(m, c3.m(), c3.at("a")->my_bdd_exp()));
  s.at("a")->merge_right_side(1, *c3.at("a"));
  s.at("b")->merge_right_side(1, *c2.at("b"));

  bdd expected = m->Bdd_or(m->Bdd_or(m->Bdd_and(s.v("x"), s.v("y")), s.v("u")),
                           m->Bdd_or(m->Bdd_and(s.v("p"), s.v("x")), m->Bdd_or(s.v("q"), s.v("r"))));
  EXPECT_EQ(expected, s.at("a")->my_bdd_exp());
  EXPECT_EQ(s.ids({"x", "y", "u", "p", "q", "r"}), s.at("a")->set_of_var_dependances());
  EXPECT_EQ(1u, s.w->readers(s.id("q")).count(s.id("a")));
  EXPECT_EQ(m->Bdd_one(), s.at("b")->my_bdd_exp());
  EXPECT_TRUE(s.at("b")->set_of_var_dependances().empty());
}

// Copies of an earlier state of an equation, as the branches of one parallel hold it: once one
// merged back leaving the equation as it was, the others' merges are void (no node, no change),
// until the equation changes or the operator differs.
TEST(Merge, CopiesOfAnEarlierStateMergeBackVoidOnceOneDid) {
  test_system s;
  bddpp_manager* m = s.m();
  s.eq("a", s.v("x"));
  s.at("a")->append_or_exp(s.v("u"));
  test_system first(new Bddexpressionwood(s.w, true));
  test_system second(new Bddexpressionwood(s.w, true));
  Bddexpression* a = s.at("a");
  a->append_or_exp(s.v("v"));  // an earlier branch's merge
  uint64_t origin = first.at("a")->copied_stamp();
  ASSERT_EQ(origin, second.at("a")->copied_stamp());
  ASSERT_NE(origin, a->stamp());
  EXPECT_FALSE(a->absorbed_state(origin));

  uint64_t before = a->stamp();
  a->merge_right_side(1, *first.at("a"));
  ASSERT_EQ(before, a->stamp());
  a->note_absorbed(origin, before, 1);
  EXPECT_TRUE(a->absorbs(origin, 1));
  EXPECT_FALSE(a->absorbs(origin, 2));
  EXPECT_FALSE(a->absorbs(origin + 1, 1));

  long nodes = m->internal_next_node_id;
  a->merge_right_side(1, *second.at("a"));
  EXPECT_EQ(nodes, m->internal_next_node_id);
  EXPECT_EQ(before, a->stamp());

  a->append_or_exp(s.v("w"));
  EXPECT_FALSE(a->absorbs(origin, 1));
  // A merge that changes the equation is not noted.
  before = a->stamp();
  a->merge_right_side(1, *first.at("a"));
  a->note_absorbed(origin, before, 1);
  EXPECT_EQ(before == a->stamp(), a->absorbs(origin, 1));
}

// A fork's copy, and a copy of that copy, read every equation as it was when they were made,
// whichever side changes or drops it first; a change in a copy leaves the other systems'
// dependences and readers as they were.
TEST(Merge, ForkCopiesOfCopiesReadTheStateOfTheirFork) {
  test_system s;
  bddpp_manager* m = s.m();
  s.eq("a", m->Bdd_and(s.v("x"), s.v("y")));
  s.at("a")->append_or_exp(s.v("u"));  // pending
  s.eq("b", m->Bdd_or(s.v("a"), s.v("z")));
  s.eq("c", m->Bdd_not(s.v("x")));
  s.eq("d", m->Bdd_and(s.v("y"), s.v("z")));
  bdd a0 = m->Bdd_or(m->Bdd_and(s.v("x"), s.v("y")), s.v("u"));
  bdd b0 = m->Bdd_or(s.v("a"), s.v("z"));
  auto in_s = [&](test_system& t, const char* name) {
    return Bdd_isomorphe_by_name(m, t.m(), t.at(name)->my_bdd_exp());
  };

  test_system c1(new Bddexpressionwood(s.w, true));
  test_system c2(new Bddexpressionwood(c1.w, true));
  s.at("a")->setBddExp(s.v("x"));
  s.w->absolute_forget_expression_by_bddid(s.id("c"));
  c1.at("b")->append_or_exp(c1.v("u"));
  s.at("d")->append_and_exp(s.v("x"));

  EXPECT_EQ(nullptr, s.at("c"));
  for (test_system* copy : {&c1, &c2}) {
    EXPECT_EQ(a0, in_s(*copy, "a"));
    EXPECT_EQ(m->Bdd_not(s.v("x")), in_s(*copy, "c"));
    EXPECT_EQ(m->Bdd_and(s.v("y"), s.v("z")), in_s(*copy, "d"));
  }
  EXPECT_EQ(b0, in_s(c2, "b"));
  EXPECT_EQ(m->Bdd_or(b0, s.v("u")), in_s(c1, "b"));
  EXPECT_EQ(s.ids({"a", "z"}), s.at("b")->set_of_var_dependances());
  EXPECT_EQ(c2.ids({"a", "z"}), c2.at("b")->set_of_var_dependances());
  EXPECT_EQ(0u, s.w->readers(s.id("u")).count(s.id("b")));
  EXPECT_EQ(0u, c2.w->readers(c2.id("u")).count(c2.id("b")));
  EXPECT_EQ(1u, c1.w->readers(c1.id("u")).count(c1.id("b")));
}
