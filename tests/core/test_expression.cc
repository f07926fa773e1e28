#include "expression.h"

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <utility>

#include "Bddexpression.h"
#include "module.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {

// A four-valued constant as (status, value).
struct Quad {
  bool s, v;
  bool operator==(const Quad& o) const { return s == o.s && v == o.v; }
};
const Quad T{true, false}, F{false, true}, B{false, false}, E{true, true};
const Quad kAll[] = {T, F, B, E};

std::string name_of(Quad q) { return q == T ? "true" : q == F ? "false" : q == B ? "bottom" : "error"; }

// Two signals A and B of one module; rails are read back at every assignment of their variables.
class Rails : public ::testing::Test {
 protected:
  void SetUp() override {
    m = new Module("M");
    w = m->getBddWood();
    a = new Signal("A", m, w);
    b = new Signal("B", m, w);
  }

  // f with A's and B's current variables fixed to qa and qb.
  bool at(bdd f, Signal* x, Quad qx, Signal* y, Quad qy) {
    f = w->Bdd_compose(f, x->getBddStatus(m, w), qx.s ? w->Bdd_one() : w->Bdd_zero());
    f = w->Bdd_compose(f, x->getBddValue(m, w), qx.v ? w->Bdd_one() : w->Bdd_zero());
    f = w->Bdd_compose(f, y->getBddStatus(m, w), qy.s ? w->Bdd_one() : w->Bdd_zero());
    f = w->Bdd_compose(f, y->getBddValue(m, w), qy.v ? w->Bdd_one() : w->Bdd_zero());
    if (f == w->Bdd_one()) return true;
    EXPECT_TRUE(f == w->Bdd_zero()) << "rail not constant after fixing both signals";
    return false;
  }

  // The node's rails agree with expected() on all 16 pairs of values of A and B.
  void check(Expression* e, const std::function<Quad(Quad, Quad)>& expected) {
    bdd s = e->getBddStatus(m, w);
    bdd v = e->getBddValue(m, w);
    for (Quad qa : kAll)
      for (Quad qb : kAll) {
        Quad got{at(s, a, qa, b, qb), at(v, a, qa, b, qb)};
        EXPECT_EQ(name_of(got), name_of(expected(qa, qb))) << "A=" << name_of(qa) << " B=" << name_of(qb);
      }
  }

  Module* m;
  Bddexpressionwood* w;
  Signal* a;
  Signal* b;
};

// Pointwise definitions of the operators on the four values.
Quad quad_or(Quad x, Quad y) { return {x.s || y.s, x.v && y.v}; }
Quad quad_and(Quad x, Quad y) { return {x.s && y.s, x.v || y.v}; }
Quad quad_not(Quad x) { return x == T ? F : x == F ? T : x; }
Quad quad_np(Quad x) { return x == T ? F : x == E ? E : T; }

TEST_F(Rails, EveryNodeOverAllSixteenPairs) {
  check(new OrExpression(a, b), quad_or);
  check(new AndExpression(a, b), quad_and);
  check(new NotExpression(a), [](Quad x, Quad) { return quad_not(x); });
  check(new NpExpression(a), [](Quad x, Quad) { return quad_np(x); });
  check(new ThenExpression(a, b), [](Quad g, Quad x) { return g == T ? x : B; });
  check(new ElseExpression(a, b), [](Quad g, Quad x) { return g == T ? B : x; });
  check(new CondExpression(b, a), [](Quad c, Quad x) { return c == T ? x : B; });
  check(new TrueExpression(), [](Quad, Quad) { return T; });
  check(new FalseExpression(), [](Quad, Quad) { return F; });
  check(new BottomExpression(), [](Quad, Quad) { return B; });
  check(new ErrorExpression(), [](Quad, Quad) { return E; });
  // Disjunction of the dual-rail code: true absorbs, false is neutral.
  EXPECT_EQ(quad_or(T, F), T);
  EXPECT_EQ(quad_and(T, F), F);
}

TEST_F(Rails, InitialRailsReadOccurrenceZero) {
  a->is_local = true;
  b->is_local = true;
  long a0 = a->getBddStatusId(m, w);
  long b0 = b->getBddValueId(m, w);
  a->newOccurrence(w, m);
  b->newOccurrence(w, m);
  CondExpression cond(b, a);
  bdd expected_status = w->Bdd_and(w->Bdd_and(a->getInitialBddStatus(m, w), w->Bdd_not(a->getInitialBddValue(m, w))),
                                   b->getInitialBddStatus(m, w));
  EXPECT_TRUE(cond.getInitialBddStatus(m, w) == expected_status);
  EXPECT_TRUE(a->getInitialBddStatus(m, w) == w->Bdd_var_by_index(a0));
  EXPECT_TRUE(b->getInitialBddValue(m, w) == w->Bdd_var_by_index(b0));
  std::set<long> deps = w->set_of_index_depend_on(cond.getInitialBddValue(m, w));
  EXPECT_EQ(deps, (std::set<long>{a0, a0 + 1, b0}));
  // The current rails read the new occurrences.
  EXPECT_EQ(w->set_of_index_depend_on(cond.getBddValue(m, w)).count(a0), 0u);
  // Every node's initial rails are its current rails with each signal read at occurrence 0.
  auto at_zero = [&](bdd f) {
    for (auto [s, id0] : {std::make_pair(a, a0), std::make_pair(b, b0 - 1)}) {
      f = w->Bdd_compose(f, s->getBddStatus(m, w), w->Bdd_var_by_index(id0));
      f = w->Bdd_compose(f, s->getBddValue(m, w), w->Bdd_var_by_index(id0 + 1));
    }
    return f;
  };
  Expression* nodes[] = {new OrExpression(a, b),   new AndExpression(a, b),  new NotExpression(a),
                         new NpExpression(a),      new ThenExpression(a, b), new ElseExpression(a, b),
                         new CondExpression(b, a), new TrueExpression(),     new FalseExpression(),
                         new BottomExpression(),   new ErrorExpression(),
                         new AndExpression(new NotExpression(a), new ElseExpression(b, new NpExpression(a)))};
  for (Expression* e : nodes) {
    std::ostringstream name;
    e->print(name);
    EXPECT_TRUE(e->getInitialBddStatus(m, w) == at_zero(e->getBddStatus(m, w))) << name.str();
    EXPECT_TRUE(e->getInitialBddValue(m, w) == at_zero(e->getBddValue(m, w))) << name.str();
  }
}

TEST_F(Rails, PrintAndSumOfProducts) {
  std::ostringstream os;
  OrExpression(a, new TrueExpression()).print(os);
  EXPECT_EQ(os.str(), "( +  1 )");
  os.str("");
  NotExpression(new NpExpression(new AndExpression(new FalseExpression(), new BottomExpression()))).print(os);
  EXPECT_EQ(os.str(), "~np( 0  *  bottom )");
  os.str("");
  ThenExpression(new ErrorExpression(), b).print(os);
  ElseExpression(a, b).print(os);
  CondExpression(a, b).print(os);
  EXPECT_EQ(os.str(), "(SET_then( error , ))(SET_else(, ))(Cond(, ))");
  os.str("");
  NotExpression(a).printBddValue(os, m, w);
  EXPECT_EQ(os.str(), "_s_A");
}

TEST(Expression, AbstractRailsThrow) {
  BinaryExpression bare(nullptr, nullptr);
  try {
    bare.getInitialBddValue(nullptr, nullptr);
    FAIL();
  } catch (const AbstractMethodCallException& e) {
    EXPECT_STREQ(e.class_name(), "Expression");
    EXPECT_STREQ(e.method_name(), "getBddValue");
  }
  try {
    bare.getInitialBddStatus(nullptr, nullptr);
    FAIL();
  } catch (const AbstractMethodCallException& e) {
    EXPECT_STREQ(e.method_name(), "getBddStatus");
  }
  EXPECT_EQ(bare.duplicate(), nullptr);
}

// What plus and mult give on two constants, by name ("this"/"other" when an operand is returned).
std::string fold(Expression* x, Expression* y, bool is_plus) {
  Expression* r = is_plus ? x->plus(y, nullptr) : x->mult(y, nullptr);
  if (r == x) return "this";
  if (r == y) return "other";
  if (r->isErrorExpr()) return "new error";
  if (r->isBottomExpr()) return "new bottom";
  if (dynamic_cast<OrExpression*>(r) != nullptr) return "or";
  if (dynamic_cast<AndExpression*>(r) != nullptr) return "and";
  return "?";
}

TEST(Expression, PlusAndMultTable) {
  Expression* c[] = {new TrueExpression(), new FalseExpression(), new BottomExpression(), new ErrorExpression()};
  // rows: this = true, false, bottom, error; columns: other in the same order.
  const char* plus[4][4] = {{"this", "new error", "this", "other"},
                            {"new error", "other", "this", "other"},
                            {"other", "other", "other", "other"},
                            {"this", "this", "this", "this"}};
  const char* mult[4][4] = {{"other", "new bottom", "other", "this"},
                            {"new bottom", "this", "other", "this"},
                            {"this", "this", "this", "this"},
                            {"other", "other", "other", "other"}};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 4; ++j) {
      Expression* other = c[j]->duplicate();
      EXPECT_EQ(fold(c[i], other, true), plus[i][j]) << i << " plus " << j;
      EXPECT_EQ(fold(c[i], other, false), mult[i][j]) << i << " mult " << j;
    }
  // A non-constant node folds the neutral and absorbing constants.
  Expression* n = new NotExpression(new TrueExpression());
  const char* node_plus[4] = {"other", "this", "this", "other"};
  const char* node_mult[4] = {"this", "other", "other", "this"};
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(fold(n, c[j], true), node_plus[j]) << j;
    EXPECT_EQ(fold(n, c[j], false), node_mult[j]) << j;
  }
  Expression* n2 = new NpExpression(n);
  EXPECT_EQ(fold(n, n2, true), "or");
  EXPECT_EQ(fold(n, n2, false), "and");
  EXPECT_EQ(fold(c[0], n, true), "this");   // true plus anything not false
  EXPECT_EQ(fold(c[1], n, true), "other");  // false plus anything not true
}

TEST_F(Rails, DuplicateAndCurrentExpression) {
  Expression* shared = new NotExpression(a);
  auto* tree = new OrExpression(shared, shared);
  auto* copy = static_cast<OrExpression*>(tree->duplicate());
  EXPECT_NE(copy->left, copy->right);
  EXPECT_NE(copy->left, shared);
  auto* leaf = static_cast<Signal*>(static_cast<NotExpression*>(copy->left)->expr);
  EXPECT_NE(leaf, a);
  EXPECT_EQ(leaf->occurrence_table, a->occurrence_table);
  auto* cond = static_cast<CondExpression*>(CondExpression(b, a).duplicate());
  EXPECT_NE(cond->getCond(), a);
  EXPECT_EQ(cond->getCond()->getInternalName(), "A");

  // Or/And/Not/Np rebuild themselves; guarded forms and leaves are returned as they are.
  Expression* current = tree->buildCurrentExpression(nullptr, m);
  EXPECT_NE(current, tree);
  EXPECT_EQ(static_cast<NotExpression*>(static_cast<OrExpression*>(current)->left)->expr, a);
  auto* then = new ThenExpression(tree, a);
  EXPECT_EQ(then->buildCurrentExpression(nullptr, m), then);
  EXPECT_EQ(a->buildCurrentExpression(nullptr, m), a);

  Equation eq(a, tree);
  EXPECT_EQ(eq.getSignal(), a);
  EXPECT_EQ(eq.getExpression(), tree);
}

}  // namespace
