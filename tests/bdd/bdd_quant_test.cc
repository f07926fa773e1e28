// Supports, predicates, restriction, quantification, composition, associations, satisfying
// cubes, evaluation, literals and truth tables.
#include <gtest/gtest.h>

#include <random>

#include "bdd_tables.h"
#include "bdd_test_util.h"
#include "bddpp.h"
#include "library_exit.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

namespace {

struct Xyzw : testing::Test {
  bddpp_manager m;
  bdd x, y, z, w;
  void SetUp() override {
    x = m.New_var_last("x");
    y = m.New_var_last("y");
    z = m.New_var_last("z");
    w = m.New_var_last("w");
  }
  bdd Not(const bdd& f) { return m.Bdd_not(f); }
  bdd And(const bdd& f, const bdd& g) { return m.Bdd_and(f, g); }
  bdd Or(const bdd& f, const bdd& g) { return m.Bdd_or(f, g); }
};

}  // namespace

TEST_F(Xyzw, SupportsAndDependence) {
  bdd f = And(x, Not(z));
  EXPECT_EQ(m.set_of_index_depend_on(f), (std::set<long>{0, 2}));
  EXPECT_TRUE(m.set_of_index_depend_on(m.Bdd_one()).empty());
  EXPECT_TRUE(m.support_is(f, {0, 2}));
  EXPECT_FALSE(m.support_is(f, {0, 1, 2}));
  EXPECT_FALSE(m.support_is(f, {0, 3}));
  EXPECT_TRUE(m.support_is(Or(f, Not(f)), {}));
  bddpp_manager other;
  bdd foreign = other.New_var_last("q");
  EXPECT_FALSE(m.support_is(foreign, {0}));
  CaptureStderr();
  EXPECT_TRUE(m.set_of_index_depend_on(foreign).empty());
  EXPECT_EQ(m.Bdd_depends_on(foreign, x), 0);
  EXPECT_EQ(GetCapturedStderr(),
            "Warning: call  bddpp_manager::set_of_index_depend_on() with a bad manager\n"
            "Error in bddpp_manager::Bdd_node_depends_on():  bad Bdd manager or bdd(s) not initialized!\n");
  int present[4] = {7, 7, 7, 7};
  m.Present_variables(f, present);
  EXPECT_EQ(std::vector<int>(present, present + 4), (std::vector<int>{1, 0, 1, 0}));
  bdd g = Or(y, z), h = And(y, w);
  EXPECT_EQ(m.exists_common_variables(f, g), 1);
  bdd yw = h;
  EXPECT_EQ(m.exists_common_variables(f, yw), 0);
  EXPECT_EQ(m.Bdd_depends_on(f, z), 1);
  EXPECT_EQ(m.Bdd_depends_on(f, Not(z)), 1);
  EXPECT_EQ(m.Bdd_depends_on(f, y), 0);
  EXPECT_EQ(m.Bdd_depends_on(m.Bdd_one(), y), 0);
  EXPECT_EQ(m.Bdd_depends_on(z, z), 1);
}

// Supports of a chain over 10^5 variables, asked at the root and then at a node in the middle,
// a shared sub-graph reached twice, and the or of two chains that meet: supports are exact,
// walked without recursion and kept only where asked (a support per node would take gigabytes).
TEST(BddSupport, LongChainsAndSharedGraphs) {
  bddpp_manager m;
  const long n = 100000;
  std::vector<bdd> v;
  for (long i = 0; i < n; ++i) v.push_back(m.New_var_last("v" + std::to_string(i)));
  std::vector<bdd> chain(n + 1, m.Bdd_one());  // chain[i] = v_i & ... & v_(n-1)
  for (long i = n - 1; i >= 0; --i) chain[i] = m.Bdd_and(v[i], chain[i + 1]);
  std::set<long> all = m.set_of_index_depend_on(chain[0]);
  ASSERT_EQ(all.size(), static_cast<size_t>(n));
  EXPECT_EQ(*all.begin(), 0);
  EXPECT_EQ(*all.rbegin(), n - 1);
  EXPECT_EQ(m.Bdd_depends_on(chain[0], v[n - 1]), 1);
  EXPECT_EQ(chain[n / 2].node()->var_index_dep_size(), n - n / 2);
  EXPECT_EQ(chain[n / 2].node()->var_index_dep(n / 2 - 1), 0);
  EXPECT_EQ(chain[n / 2 - 1].node()->var_index_dep_size(), n - n / 2 + 1);
  // odd = v1 & v3 & ..., shared below both arms of x = v0 ? chain[2] : odd-part.
  bdd odd = m.Bdd_one();
  for (long i = 9; i >= 1; i -= 2) odd = m.Bdd_and(v[i], odd);
  bdd arms = m.Bdd_ite(v[0], m.Bdd_and(v[2], odd), m.Bdd_or(v[4], odd));
  EXPECT_EQ(m.set_of_index_depend_on(arms), (std::set<long>{0, 1, 2, 3, 4, 5, 7, 9}));
  bdd both = m.Bdd_or(chain[n - 10], odd);
  std::set<long> want{1, 3, 5, 7, 9};
  for (long i = n - 10; i < n; ++i) want.insert(i);
  EXPECT_EQ(m.set_of_index_depend_on(both), want);
}

TEST_F(Xyzw, Predicates) {
  EXPECT_EQ(m.Bdd_is_var(x), 1);
  EXPECT_EQ(m.Bdd_is_var(Not(x)), 0);
  EXPECT_EQ(m.Bdd_is_negvar(Not(x)), 1);
  EXPECT_EQ(m.Bdd_is_var(m.Bdd_one()), 0);
  EXPECT_EQ(m.Bdd_is_var(And(x, y)), 0);
  EXPECT_EQ(m.Bdd_is_var(bdd()), 0);
  EXPECT_EQ(m.Bdd_is_tautology(m.Bdd_one(), 5), 1);
  EXPECT_EQ(m.Bdd_is_tautology(m.Bdd_zero(), 1), 0);
  EXPECT_EQ(m.Bdd_is_tautology(m.Bdd_zero(), 0), 1);
  EXPECT_EQ(m.Bdd_is_tautology(m.Bdd_zero()), 1);
  EXPECT_EQ(m.Bdd_is_tautology(x), 0);
  EXPECT_EQ(m.Bdd_is_zero_tautologic(m.Bdd_zero()), 1);
  EXPECT_EQ(m.Bdd_is_one_tautologic(m.Bdd_zero()), 0);
  EXPECT_EQ(m.Bdd_is_cube(m.Bdd_one()), 1);
  EXPECT_EQ(m.Bdd_is_cube(m.Bdd_zero()), 1);
  EXPECT_EQ(m.Bdd_is_cube(And(x, Not(y))), 1);
  EXPECT_EQ(m.Bdd_is_cube(And(Not(x), And(z, Not(w)))), 1);
  EXPECT_EQ(m.Bdd_is_cube(Or(x, y)), 0);
  EXPECT_EQ(m.Bdd_is_cube(m.Bdd_xor(x, y)), 0);
}

TEST_F(Xyzw, Restriction) {
  bdd f = m.Bdd_ite(x, And(y, z), y);
  long total = m.Bdd_total_size();
  EXPECT_TRUE(m.Bdd_cube_reduce(f, z) == y);
  EXPECT_EQ(m.Bdd_total_size(), total);
  EXPECT_TRUE(m.Bdd_cube_reduce(f, m.Bdd_one()) == f);
  EXPECT_TRUE(m.Bdd_cube_reduce(f, m.Bdd_zero()) == f);
  EXPECT_TRUE(m.Bdd_cube_reduce(f, And(x, Not(z))) == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_cube_reduce(Not(f), And(x, z)) == Not(y));
  EXPECT_TRUE(m.Bdd_cube_reduce(f, w) == f);
  // The literal-array form.
  int lits[4] = {2, 2, 1, 2};
  int link = 1;
  bdd_node* r = m.Bdd_cube_reduce(1, f.node(), lits, link);
  EXPECT_TRUE(bdd(&m, link, r) == y);
  // Random functions: restriction agrees with evaluation.
  std::mt19937 rng(7);
  for (int trial = 0; trial < 50; ++trial) {
    bdd g = m.Bdd_zero();
    for (int k = 0; k < 4; ++k) {
      unsigned code = rng() % 16;
      bdd vars[4] = {x, y, z, w};
      g = Or(g, m.Minterm(static_cast<int>(code), 4, vars));
    }
    bdd cube = And(Not(y), w);
    bdd gr = m.Bdd_cube_reduce(g, cube);
    for (unsigned long k = 0; k < 16; ++k) {
      unsigned long forced = (k & ~0xAul) | 0x8ul;  // y = 0, w = 1
      ASSERT_EQ(Value_at(m, gr, k), Value_at(m, g, forced));
    }
  }
}

TEST_F(Xyzw, ReduceUnderAssumptions) {
  bdd f = m.Bdd_xor(x, And(y, z));
  EXPECT_TRUE(m.Bdd_reduce(f, w) == f);  // disjoint supports
  EXPECT_TRUE(m.Bdd_reduce(f, And(x, Not(y))) == m.Bdd_one());
  // A non-cube assumption conjoins the restrictions to the cubes Bdd_satisfy picks.
  bdd c = Or(x, y);
  bdd expect = And(m.Bdd_cube_reduce(f, x), m.Bdd_cube_reduce(f, And(Not(x), y)));
  EXPECT_TRUE(m.Bdd_reduce(f, c) == expect);
  // Which need not agree with f on c: f = x under x or y gives 0.
  EXPECT_TRUE(m.Bdd_reduce(x, c) == m.Bdd_zero());
  int lits[4] = {1, 2, 0, 2};
  EXPECT_TRUE(m.Bdd_eval(f, lits) == m.Bdd_one());
}

TEST_F(Xyzw, Quantification) {
  bdd f = Or(And(x, y), And(Not(x), z));
  bdd ex = m.Bdd_exist(f, x);
  EXPECT_TRUE(ex == Or(y, z));
  EXPECT_TRUE(m.Bdd_exist(f, Not(x)) == ex);
  EXPECT_TRUE(m.Bdd_exist(f, And(x, y)) == f);
  EXPECT_TRUE(m.Bdd_exist(f, w) == f);
  EXPECT_TRUE(m.Bdd_forall(f, x) == And(y, z));
  EXPECT_TRUE(m.Bdd_forall(f, Not(x)) == And(y, z));
  EXPECT_TRUE(m.Bdd_forall(f, m.Bdd_one()) == f);
}

TEST_F(Xyzw, ComposeReplaceAndKeepFirst) {
  CaptureStderr();
  EXPECT_TRUE(m.Bdd_compose(x, Not(x), y) == m.Bdd_zero());
  EXPECT_EQ(GetCapturedStderr(), "Warning in bddpp_manager::Bdd_compose(): second parametre is not a variable!\n");
  bdd f = Or(And(x, y), m.Bdd_xor(z, w));
  bdd g = And(Not(y), w);
  for (int var = 0; var < 4; ++var) {
    bdd v = m.Bdd_var_by_index(var);
    for (bdd h : {f, Not(f)}) {
      bdd r = m.Bdd_compose(h, v, g);
      for (unsigned long k = 0; k < 16; ++k) {
        unsigned long gk = static_cast<unsigned long>(Value_at(m, g, k));
        unsigned long sub = (k & ~(1ul << var)) | (gk << var);
        ASSERT_EQ(Value_at(m, r, k), Value_at(m, h, sub)) << var << " " << k;
      }
    }
  }
  EXPECT_TRUE(m.Bdd_compose(m.Bdd_one(), x, y) == m.Bdd_one());

  long identity[4] = {0, 1, 2, 3};
  EXPECT_TRUE(m.Bdd_replace_vars(f, identity) == f);
  long swap[4] = {1, 0, 3, 2};
  bdd s = m.Bdd_replace_vars(f, swap);
  EXPECT_TRUE(s == Or(And(y, x), m.Bdd_xor(w, z)));
  long drop[4] = {0, -1, 2, 3};  // y set true
  EXPECT_TRUE(m.Bdd_replace_vars(And(x, y), drop) == x);
  EXPECT_TRUE(m.Bdd_replace_vars(m.Bdd_zero(), swap) == m.Bdd_zero());

  bdd x0x3 = And(x, w);
  EXPECT_TRUE(m.Bdd_keep_first_variables(x0x3, 2) == x);
  EXPECT_TRUE(m.Bdd_keep_first_variables(Not(x0x3), 2) == m.Bdd_one());
  EXPECT_TRUE(m.Bdd_keep_first_variables(m.Bdd_zero(), 0) == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_keep_first_variables(f, 4) == f);
}

TEST_F(Xyzw, AssociationsFollowLinks) {
  int self = 5;
  bdd f = Or(x, And(y, w));
  EXPECT_TRUE(m.Bdd_follow_assoc(f, &self) == f);
  EXPECT_EQ(self, 3);
  EXPECT_TRUE(m.Bdd_follow_assoc(m.Bdd_zero(), &self) == m.Bdd_zero());
  EXPECT_EQ(self, -1);
  EXPECT_TRUE(m.Bdd_follow_assoc(y, &self) == y);
  EXPECT_EQ(self, 1);

  // x stands for not(y and z): the complement is kept with the entry.
  bdd e = Not(And(y, z));
  m.Bdd_assoc_bdd_to_var(e, x);
  EXPECT_TRUE(m.Bdd_follow_assoc(x, &self) == e);
  EXPECT_EQ(self, -1);
  bdd r = m.Bdd_follow_assoc(Or(x, w), &self);
  EXPECT_TRUE(r == Or(e, w));
  EXPECT_EQ(self, 3);
  // A later association is substituted into existing ones: z stands for w.
  m.Bdd_assoc_bdd_to_var(w, z);
  EXPECT_TRUE(m.Bdd_follow_assoc(x, &self) == Not(And(y, w)));
  // Same constants on both sides do nothing.
  m.Bdd_assoc_bdd_to_var(m.Bdd_one(), m.Bdd_one());
}

TEST(BddQuantExit, AssociationToANonVariable) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        m.Bdd_assoc_bdd_to_var(a, m.Bdd_not(a));
      }()),
      1,
      "^" + Literal_regex("error in bddpp_manager::Bdd_assoc_bdd_to_var():\n     second parameter is not a var !\n"
                          "replace from: !a by expression: a\n") + "$");
}

TEST_F(Xyzw, SimplifyAndSatisfy) {
  EXPECT_TRUE(m.Bdd_simplify(And(x, y), And(Not(x), y)) == x);
  EXPECT_TRUE(m.Bdd_simplify(m.Bdd_zero(), x) == m.Bdd_zero());
  bdd f = And(x, And(y, z));
  bdd c = And(Not(x), Not(z));
  bdd s = m.Bdd_simplify(f, c);
  EXPECT_EQ(m.Bdds_excl(s, c), 1);
  EXPECT_EQ(m.Bdd_imply(f, s), 1);
  // Kept as the identity for non-constants.
  EXPECT_TRUE(m.Bdd_simplify2(f, c) == f);
  EXPECT_TRUE(m.Bdd_simplify2(m.Bdd_one(), c) == m.Bdd_one());

  EXPECT_TRUE(m.Bdd_satisfy(Or(x, y)) == x);
  EXPECT_TRUE(m.Bdd_satisfy(And(Not(x), y)) == And(Not(x), y));
  EXPECT_TRUE(m.Bdd_satisfy(m.Bdd_zero()) == m.Bdd_one());
  EXPECT_TRUE(m.Bdd_satisfy(m.Bdd_one()) == m.Bdd_one());
  EXPECT_TRUE(m.Bdd_satisfy(Not(Or(x, w))) == And(Not(x), Not(w)));
  int lits[4] = {2, 2, 2, 2};
  EXPECT_EQ(m.Bdd_OneSat(Or(Not(y), z).node(), -1, lits), 1);  // not(not y or z) = y and not z
  EXPECT_EQ(std::vector<int>(lits, lits + 4), (std::vector<int>{2, 1, 0, 2}));
}

TEST_F(Xyzw, ThreeValuedEvaluation) {
  std::vector<int> ctx = {2, 2, 2, 2};
  EXPECT_EQ(m.Bdd_eval_for_literal(m.Bdd_one(), ctx.data()), 1);
  EXPECT_EQ(m.Bdd_eval_for_literal(m.Bdd_zero(), ctx.data()), 0);
  EXPECT_EQ(m.Bdd_eval_for_literal(x, ctx.data()), 2);
  EXPECT_EQ(m.Bdd_eval_for_literal(Or(x, Not(x)), ctx.data()), 1);
  bdd xy = Or(x, y);
  ctx = {1, 2, 2, 2};
  EXPECT_EQ(m.Bdd_eval_for_literal(xy, ctx.data()), 1);
  ctx = {2, 1, 2, 2};
  EXPECT_EQ(m.Bdd_eval_for_literal(xy, ctx.data()), 1);
  ctx = {2, 0, 2, 2};
  EXPECT_EQ(m.Bdd_eval_for_literal(xy, ctx.data()), 2);
  ctx = {2, 0, 2, 2};
  EXPECT_EQ(m.Bdd_eval_for_literal(And(x, y), ctx.data()), 0);
  for (int odd : {3, 5, -1}) {
    ctx = {odd, 1, 2, 2};
    EXPECT_EQ(m.Bdd_eval_for_literal(xy, ctx.data()), 1);
    EXPECT_EQ(m.Bdd_eval_for_literal(x, ctx.data()), 0);
  }
  // A variable the function does not test never matters.
  ctx = {1, 1, 2, 2};
  EXPECT_EQ(m.Bdd_eval_for_literal(And(x, y), ctx.data()), 1);
  // The checked form gives the same answers within the context.
  EXPECT_EQ(m.Bdd_eval_for_literal(And(x, y), ctx.data(), 4), 1);
  // Against brute force over every context in {0,1,2}^4.
  bdd f = Or(And(x, m.Bdd_xor(y, z)), And(Not(x), Not(w)));
  for (int code = 0; code < 81; ++code) {
    int c = code;
    for (int i = 0; i < 4; ++i) {
      ctx[i] = c % 3;
      c /= 3;
    }
    int seen = -1;
    for (unsigned long k = 0; k < 16; ++k) {
      bool fits = true;
      for (int i = 0; i < 4; ++i)
        if (ctx[i] != 2 && static_cast<int>((k >> i) & 1) != ctx[i]) fits = false;
      if (!fits) continue;
      int v = Value_at(m, f, k);
      seen = seen < 0 ? v : (seen == v ? v : 2);
    }
    ASSERT_EQ(m.Bdd_eval_for_literal(f, ctx.data()), seen) << code;
  }
}

TEST(BddEvalExit, UnknownTypeAndShortContext) {
  const std::string text = "^" + Literal_regex("error in bddpp_manager::Bdd_eval(): unknown bdd type ...\n") + "$";
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        Make_vars(m, 3);
        bdd f = m.Bdd_and(m.Bdd_var_by_index(0), m.Bdd_var_by_index(2));
        int ctx[3] = {1, 1, 1};
        m.Bdd_eval_for_literal(f, ctx, 2);  // variable 2 lies past the context
      }()),
      1, text);
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        int ctx[1] = {1};
        m.Bdd_eval_for_literal(bdd(), ctx);
      }()),
      1, text);
}

TEST_F(Xyzw, LiteralsMintermsAndTruthTables) {
  bdd vars3[3] = {x, y, z};
  EXPECT_TRUE(m.Minterm(5, 3, vars3) == And(And(x, Not(y)), z));
  EXPECT_TRUE(m.Minterm(-1, 3, vars3) == m.Bdd_zero());
  EXPECT_TRUE(m.Minterm(3, 0, vars3) == m.Bdd_one());

  int all2[4] = {2, 2, 2, 2};
  EXPECT_TRUE(m.Literals_to_bdd(all2) == m.Bdd_one());
  int some[4] = {0, 2, 1, 7};
  EXPECT_TRUE(m.Literals_to_bdd(some) == And(Not(x), z));
  int back[4] = {9, 9, 9, 9};
  m.Bdd_to_literals(And(Not(x), And(z, Not(w))), back);
  EXPECT_EQ(std::vector<int>(back, back + 4), (std::vector<int>{0, 2, 1, 0}));
  m.Bdd_to_literals(m.Bdd_zero(), back);
  EXPECT_EQ(std::vector<int>(back, back + 4), (std::vector<int>{2, 2, 2, 2}));
  CaptureStderr();
  m.Bdd_node_to_literals(1, nullptr, back);
  EXPECT_EQ(GetCapturedStderr(), "Warning: bddpp_manager::Bdd_node_to_literals() call with a NULL bdd node !\n");

  char out[17] = {0};
  bdd ab[2] = {x, y};
  m.Truth_table(And(x, y), 2, ab, out);
  EXPECT_EQ(std::string(out, 4), "0001");
  std::fill(out, out + 16, 0);
  m.Truth_table(And(x, y), 1, ab, out);
  EXPECT_EQ(std::string(out), "0?");
  m.Truth_table(m.Bdd_one(), 0, ab, out);
  EXPECT_EQ(out[0], '1');
  bdd tt[4];
  m.Bdd_truth_table(And(x, z), 2, ab, tt);
  EXPECT_TRUE(tt[0] == m.Bdd_zero());
  EXPECT_TRUE(tt[1] == z);
  EXPECT_TRUE(tt[3] == z);
  // Out-of-range sizes are refused and write nothing.
  std::fill(out, out + 16, 'x');
  CaptureStderr();
  m.Truth_table(x, 31, ab, out);
  m.Truth_table(x, -1, ab, out);
  m.Bdd_truth_table(x, 40, ab, tt);
  std::string err = GetCapturedStderr();
  EXPECT_EQ(std::string(out, 16), std::string(16, 'x'));
  EXPECT_NE(err.find("Truth_table(): 31 variables, out of range 0..30!"), std::string::npos);
  EXPECT_NE(err.find("Bdd_truth_table(): 40 variables"), std::string::npos);
}

TEST_F(Xyzw, AwaitedVariables) {
  bdd f = And(x, Not(y));
  EXPECT_EQ(m.Variable_awaited(f, 1), 1);
  EXPECT_EQ(m.Variable_awaited(f, 2), 0);
  EXPECT_EQ(m.Variable_awaited(f, 4), 0);
  EXPECT_EQ(m.Variable_awaited(f, -1), 0);
  EXPECT_EQ(m.Variable_true_awaited(f, 1), 0);
  EXPECT_EQ(m.Variable_false_awaited(f, 1), 1);
  EXPECT_EQ(m.Variable_true_awaited(f, 0), 1);
  EXPECT_EQ(m.Variable_false_awaited(f, 0), 0);
  EXPECT_EQ(m.Variable_true_awaited(f, 2), 0);
  EXPECT_EQ(m.Variable_false_awaited(f, 2), 0);
}

TEST(BddQuantExit, FatalReports) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        m.New_var_last("a");
        int lits[1];
        m.Bdd_to_literals(m.Bdd_one(), lits);
      }()),
      1,
      "^" + Literal_regex("ERROR in  bddpp_manager::Bdd_node_to_literals() :\nconstant 1 is not a literal ...\n") + "$");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        int lits[1];
        m.Bdd_OneSat(nullptr, 1, lits);
      }()),
      1, "^" + Literal_regex("ERROR: call bddpp_manager::Bdd_OneSat() with null reference\n") + "$");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        m.Bdd_cube_reduce(bdd(), a);
      }()),
      1, "^" + Literal_regex("Error in Bdd_cube_reduce(): bdd has a Null pointer!\n") + "$");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        m.Bdd_cube_reduce(a, bdd());
      }()),
      1,
      "^" + Literal_regex("Error in Bdd_cube_reduce(): assertion has a Null pointer!\n") + "$");
}
