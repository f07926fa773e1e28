// Equations: construction, copies, right-side changes and the reader table they keep exact.
#include <gtest/gtest.h>

#include "pert_test_util.h"

TEST(Equation, OrdinaryConstructorLearnsAndSetsLateDate) {
  test_system s;
  s.var("a");
  s.var("b");
  auto* e = new Bddexpression("x", s.w, s.v("x"), s.w->Bdd_and(s.v("a"), s.v("b")), 2, 5, 6);
  EXPECT_EQ(e->abstraction, 0);
  EXPECT_EQ(e->w, 1);
  EXPECT_EQ(e->usertype, 6);
  EXPECT_EQ(e->vars_dependance, s.ids({"a", "b"}));
  EXPECT_EQ(s.w->slot(s.id("x")), e);
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"x"}));
  EXPECT_EQ(e->getLateDate(), 5);
  EXPECT_EQ(e->getEarlyDate(), 2);
  // learning raised the level count to the constructor's earliest date (the late date came after)
  EXPECT_EQ(s.w->Nb_level(), 2);
}

TEST(Equation, WithoutSystemIsAbstractAndUnlearned) {
  test_system s;
  bdd a = s.v("a");
  Bddexpression e("x", nullptr, a, a, 0, 0);
  EXPECT_EQ(e.abstraction, 1);
  EXPECT_EQ(e.bdd_var.node(), nullptr);
  EXPECT_EQ(e.bdd_exp.node(), nullptr);
  EXPECT_EQ(e.getLateDate(), 0);
  Bddexpressionwood no_manager(static_cast<bddpp_manager*>(nullptr));
  Bddexpression f("x", &no_manager, a, a, 0, 0);
  EXPECT_EQ(f.abstraction, 1);
  EXPECT_TRUE(no_manager.ens_exp.empty());
}

TEST(Equation, NameFromManagerAndDefinitionText) {
  test_system s;
  auto* e = new Bddexpression(s.w, s.v("y"), s.v("a"), 0, 0);
  EXPECT_EQ(e->name, "y");
  auto* d = new Bddexpression("z", s.w, s.v("z"), s.v("a"), "ext", 0, 0, 4);
  EXPECT_EQ(d->abstraction, 1);
  EXPECT_TRUE(d->vars_dependance.empty());  // abstract: the rebuild leaves the given set
  EXPECT_EQ(d->bdd_exp, s.v("a"));           // the right side is stored all the same
}

TEST(Equation, AbstractFormsTakeTheirDependencesAndReaders) {
  test_system s;
  long a = s.var("a"), b = s.var("b"), x = s.var("x");
  std::set<long> deps{a, b}, readers{b};
  auto* e = new Bddexpression(x, s.w, &readers, &deps, "VALUE_SIGNAL", 0, 3);
  EXPECT_EQ(e->name, "x");
  EXPECT_EQ(e->abstraction, 1);
  EXPECT_EQ(e->bdd_exp.node(), nullptr);
  EXPECT_EQ(e->vars_dependance, deps);
  EXPECT_EQ(s.w->readers(a), std::set<long>{x});
  EXPECT_EQ(s.w->readers(x), readers);
  EXPECT_EQ(e->getLateDate(), 3);
  // an unknown id gives no variable: the equation is refused, not indexed out of range
  CaptureStderr();
  Bddexpression bad(99, s.w, deps, "T", 0, 0);
  EXPECT_NE(GetCapturedStderr().find("no left member in expression"), std::string::npos);
  EXPECT_EQ(bad.bdd_var.node(), nullptr);
}

TEST(Equation, AbstractDependencesOutsideTheSystemAreSkipped) {
  test_system s;
  long x = s.var("x");
  std::set<long> deps{-1, 0, 77};
  CaptureStderr();
  auto* e = new Bddexpression(x, s.w, deps, "VALUE_SIGNAL", 0, 0);
  std::string err = GetCapturedStderr();
  EXPECT_NE(err.find("dependance -1"), std::string::npos);
  EXPECT_NE(err.find("dependance 77"), std::string::npos);
  EXPECT_EQ(s.w->readers(0), std::set<long>{x});
  EXPECT_EQ(e->vars_dependance, deps);
}

TEST(Equation, AppendOrOneEmptiesTheDependencesAndReaders) {
  test_system s;
  auto* e = s.eq("x", s.w->Bdd_and(s.v("a"), s.v("b")));
  e->append_or_exp(s.w->Bdd_one());
  EXPECT_TRUE(e->vars_dependance.empty());
  EXPECT_TRUE(s.w->readers(s.id("a")).empty());
  EXPECT_TRUE(s.w->readers(s.id("b")).empty());
  e->setBddExp(s.v("c"));
  EXPECT_EQ(s.w->readers(s.id("c")), s.ids({"x"}));
  e->append_and_exp(s.v("a"));
  EXPECT_EQ(e->bdd_exp, s.w->Bdd_and(s.v("c"), s.v("a")));
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"x"}));
  e->append_not_exp();
  EXPECT_EQ(e->bdd_exp, s.w->Bdd_not(s.w->Bdd_and(s.v("c"), s.v("a"))));
  EXPECT_EQ(e->vars_dependance, s.ids({"a", "c"}));
}

TEST(Equation, SettersRefuseOrReportWithoutTheRightSystem) {
  test_system s;
  auto* e = s.eq("x", s.v("a"));
  CaptureStderr();
  e->setBddVar(s.m(), s.v("a"));
  e->setBddExp(s.m(), s.v("a"));
  EXPECT_EQ(GetCapturedStderr(),
            "In Bddexpression::setBddVar(bddpp_manager *, bdd): \n   wood already defined! Aborted  ...\n"
            "In Bddexpression::setBddExp(bddpp_manager *, bdd): \n   wood already defined! Aborted  ...\n"
            "   use only Bddexpression::setBddExp(bdd) !!!\n");
  Bddexpression free_eq;
  CaptureStderr();
  free_eq.append_or_exp(s.v("a"));
  free_eq.append_not_exp();
  EXPECT_EQ(GetCapturedStderr(),
            "In Bddexpression::append_or_exp(): \n   no wood defined! Aborted  ...\n"
            "In Bddexpression::append_not_exp(): \n   no wood defined! Aborted  ...\n");
  free_eq.setBddVar(s.m(), s.v("y"));
  free_eq.setBddExp(s.m(), s.w->Bdd_or(s.v("a"), s.v("b")));
  EXPECT_EQ(free_eq.abstraction, 0);
  EXPECT_EQ(free_eq.vars_dependance, s.ids({"a", "b"}));
  CaptureStderr();
  free_eq.setLateDate(3);
  EXPECT_EQ(GetCapturedStderr(), "internal error in Bddexpression::setLateDate(): no wood found!\n");
  free_eq = Bddexpression();
}

TEST(Equation, ExpDefAndComparison) {
  test_system s;
  auto* e = s.eq("x", s.v("a"));
  e->setExpDef("");
  EXPECT_EQ(e->abstraction, 0);
  Bddexpression copy(*e);
  copy.earliest_date = 9;
  copy.vars_dependance.clear();
  EXPECT_TRUE(copy == *e);  // dates and dependences are not compared
  copy.exp_def = "T";
  EXPECT_TRUE(copy != *e);
  e->setExpDef("T");
  EXPECT_EQ(e->abstraction, 1);
  EXPECT_EQ(e->bdd_exp, s.v("a"));
}

TEST(Equation, CopiesShareTheSystemAndAreNotLearned) {
  test_system s;
  auto* e = s.eq("x", s.v("a"));
  e->earliest_date = 4;
  Bddexpression c(*e);
  EXPECT_EQ(c.pw, s.w);
  EXPECT_EQ(c.bdd_exp, e->bdd_exp);
  EXPECT_EQ(c.earliest_date, 4);
  EXPECT_EQ(s.w->slot(s.id("x")), e);
  Bddexpression d;
  d = *e;
  EXPECT_TRUE(d == *e);
  d = d;
  EXPECT_TRUE(d == *e);
}

TEST(Equation, TranslationIntoAnotherManager) {
  // copies between managers keep variable indexes
  test_system src;
  for (const char* n : {"x", "a", "b"}) src.var(n);
  auto* e = src.eq("x", src.w->Bdd_or(src.v("a"), src.v("b")), 5);
  e->w = 3;
  test_system dst;
  for (const char* n : {"x", "a", "b"}) dst.var(n);
  auto* copy = new Bddexpression(src.w, dst.w, *e);
  EXPECT_EQ(dst.w->slot(dst.id("x")), copy);
  EXPECT_EQ(copy->bdd_exp, dst.w->Bdd_or(dst.v("a"), dst.v("b")));
  EXPECT_EQ(copy->usertype, 5);
  EXPECT_EQ(copy->w, 3);
  Bddexpression unlearned(dst.w, *e);
  EXPECT_EQ(unlearned.my_bddname(), "x");
  EXPECT_EQ(dst.w->slot(dst.id("x")), copy);
  // an equation of no system translates into an abstract copy instead of failing
  Bddexpression loose;
  loose.name = "l";
  Bddexpression none(dst.w, loose);
  EXPECT_EQ(none.bdd_var.node(), nullptr);
  EXPECT_EQ(none.name, "l");
}

TEST(Equation, LateDateNeedsAnInitialisedVariable) {
  test_system s;
  Bddexpression e(s.w);
  e.setLateDate(7);
  EXPECT_EQ(e.getLateDate(), 0);
  EXPECT_EQ(e.my_bddname(), "");
  EXPECT_EQ(e.set_of_index_used_variables(), std::set<long>{});
}

TEST(Equation, ShannonExpansion) {
  test_system s;
  long c = s.var("c");
  auto* e = s.eq("x", s.w->Bdd_and(s.v("c"), s.v("a")));
  long t = 0, el = 0;
  e->Shannon_expand(c, t, el);
  ASSERT_GE(t, 0);
  EXPECT_EQ(s.m()->Name_var_by_index(t), "x_c");
  EXPECT_EQ(s.m()->Name_var_by_index(el), "x_notc");
  EXPECT_EQ(e->bdd_exp, s.w->Bdd_ite(s.v("c"), s.v("x_c"), s.v("x_notc")));
  EXPECT_EQ(e->vars_dependance, (std::set<long>{c, t, el}));
  EXPECT_EQ(s.w->readers(s.id("a")), std::set<long>{});
  // a name already taken gets a numeric suffix, so two equations never share their copies
  auto* y = s.eq("y", s.w->Bdd_and(s.v("c"), s.v("a")));
  y->name = "x";
  long t2 = 0, e2 = 0;
  y->Shannon_expand(c, t2, e2);
  EXPECT_EQ(s.m()->Name_var_by_index(t2), "y_c");
  s.v("z_c");
  auto* z = s.eq("z", s.v("c"));
  z->Shannon_expand(c, t2, e2);
  EXPECT_EQ(s.m()->Name_var_by_index(t2), "z_c_1");
  // out of range, abstract: nothing
  long n = s.m()->Nb_bdd_vars();
  z->Shannon_expand(n, t2, e2);
  EXPECT_EQ(t2, -3);
  EXPECT_EQ(e2, -3);
  EXPECT_EQ(s.m()->Nb_bdd_vars(), n);
  z->setExpDef("T");
  z->Shannon_expand(c, t2, e2);
  EXPECT_EQ(t2, -3);
}
