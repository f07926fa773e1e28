// Boolean operations: node ids of the decompositions, terminal cases, derived connectives and
// the fatal reports.
#include <gtest/gtest.h>

#include <random>

#include "bdd_tables.h"
#include "bdd_test_util.h"
#include "bddpp.h"
#include "library_exit.h"

namespace {

struct Abc : testing::Test {
  bddpp_manager m;
  bdd a, b, c;
  void Vars(int n) {
    a = m.New_var_last("a");
    b = m.New_var_last("b");
    if (n > 2) c = m.New_var_last("c");
  }
};

}  // namespace

TEST_F(Abc, AndCreatesOneNode) {
  Vars(2);
  bdd f = m.Bdd_and(a, b);
  ASSERT_NE(f.node(), nullptr);
  EXPECT_EQ(f.node()->global_id(), 4);
  EXPECT_EQ(f.link_type(), 1);
  EXPECT_EQ(f.node()->then_node(), b.node());
  EXPECT_EQ(f.node()->else_node(), m.Bdd_node_one());
  EXPECT_EQ(f.node()->else_link_type(), -1);
  EXPECT_EQ(m.Bdd_total_size(), 5);
  // Asking again finds the same node.
  EXPECT_TRUE(m.Bdd_and(b, a) == f);
  EXPECT_EQ(m.Bdd_total_size(), 5);
}

TEST_F(Abc, XorIsTwoAndsThenOr) {
  Vars(2);
  bdd f = m.Bdd_xor(a, b);
  const auto& table = *m.internal_bdd_node_map;
  bdd_node* one = m.Bdd_node_one();
  bdd_node* n4 = table.find(0, b.node(), one, 1);     // a and not b, read complemented
  bdd_node* n5 = table.find(0, one, b.node(), -1);    // not a and b, read complemented
  ASSERT_NE(n4, nullptr);
  ASSERT_NE(n5, nullptr);
  EXPECT_EQ(n4->global_id(), 4);
  EXPECT_EQ(n5->global_id(), 5);
  EXPECT_EQ(f.node()->global_id(), 6);
  EXPECT_EQ(f.link_type(), -1);
  EXPECT_EQ(f.node()->then_node(), b.node());
  EXPECT_EQ(f.node()->else_node(), b.node());
  EXPECT_EQ(f.node()->else_link_type(), -1);
  EXPECT_EQ(m.Bdd_total_size(), 7);
  EXPECT_EQ(Table(m, f, 2), "0110");
  EXPECT_TRUE(m.Bdd_xnor(a, b) == m.Bdd_not(f));
  EXPECT_TRUE(m.Bdd_eq(a, b) == m.Bdd_not(f));
}

TEST_F(Abc, IteIsTwoAndsThenOr) {
  Vars(3);
  bdd f = m.Bdd_ite(a, b, c);
  bdd_node* one = m.Bdd_node_one();
  const auto& table = *m.internal_bdd_node_map;
  EXPECT_EQ(table.find(0, b.node(), one, -1)->global_id(), 5);  // a and b
  EXPECT_EQ(table.find(0, one, c.node(), -1)->global_id(), 6);  // not a and c
  EXPECT_EQ(f.node()->global_id(), 7);
  EXPECT_EQ(f.link_type(), 1);
  EXPECT_EQ(f.node()->then_node(), b.node());
  EXPECT_EQ(f.node()->else_node(), c.node());
  EXPECT_EQ(f.node()->else_link_type(), 1);
  EXPECT_EQ(m.Bdd_total_size(), 8);
}

TEST_F(Abc, TerminalCasesCreateNothing) {
  Vars(3);
  bdd f = m.Bdd_or(a, b);
  long total = m.Bdd_total_size();
  EXPECT_TRUE(m.Bdd_and(f, m.Bdd_not(f)) == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_or(f, m.Bdd_not(f)) == m.Bdd_one());
  EXPECT_TRUE(m.Bdd_and(f, m.Bdd_one()) == f);
  EXPECT_TRUE(m.Bdd_and(m.Bdd_one(), f) == f);
  EXPECT_TRUE(m.Bdd_and(f, m.Bdd_zero()) == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_or(f, m.Bdd_zero()) == f);
  EXPECT_TRUE(m.Bdd_or(m.Bdd_one(), f) == m.Bdd_one());
  EXPECT_TRUE(m.Bdd_and(f, f) == f);
  EXPECT_TRUE(m.Bdd_or(f, f) == f);
  EXPECT_EQ(m.Bdd_total_size(), total);
  // x and x' over two variables makes one node only.
  bdd g = m.Bdd_and(b, c);
  EXPECT_EQ(m.Bdd_total_size(), total + 1);
  EXPECT_EQ(g.node()->then_node(), c.node());
}

TEST_F(Abc, CofactorSteps) {
  Vars(3);
  bdd f = m.Bdd_and(a, m.Bdd_not(b));  // node: then b, else T plain, read complemented
  EXPECT_TRUE(m.Bdd_then(f) == m.Bdd_not(b));
  EXPECT_TRUE(m.Bdd_else(f) == m.Bdd_zero());
  bdd g = m.Bdd_not(m.Bdd_and(a, b));  // else edge complemented, read complemented
  EXPECT_TRUE(m.Bdd_else(g) == m.Bdd_one());
  EXPECT_EQ(m.Bdd_else(g).link_type(), 1);
  // A constant is its own cofactor.
  EXPECT_TRUE(m.Bdd_then(m.Bdd_zero()) == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_else(m.Bdd_zero()) == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_then(m.Bdd_one()) == m.Bdd_one());
  EXPECT_TRUE(m.Bdd_else(m.Bdd_one()) == m.Bdd_one());
}

TEST_F(Abc, DerivedConnectivesAndTests) {
  Vars(3);
  EXPECT_EQ(Table(m, m.Bdd_nand(a, b), 2), "1110");
  EXPECT_EQ(Table(m, m.Bdd_nor(a, b), 2), "1000");
  EXPECT_EQ(Table(m, m.Bdd_implication(a, b), 2), "1011");
  EXPECT_EQ(Table(m, m.Bdd_ite(-1, 0, b, c), 3), Table(m, m.Bdd_ite(m.Bdd_not(a), b, c), 3));
  EXPECT_TRUE(m.Bdd_ite(1, -1, b, c) == b);
  EXPECT_TRUE(m.Bdd_ite(-1, -1, b, c) == c);
  EXPECT_TRUE(m.Bdd_ite(1, 2, m.Bdd_one(), m.Bdd_zero()) == c);

  bdd f = m.Bdd_or(a, b);
  EXPECT_EQ(m.Bdd_equiv(f, m.Bdd_or(b, a)), 1);
  EXPECT_EQ(m.Bdd_equiv(f, a), 0);
  EXPECT_EQ(m.Bdd_imply(a, f), 1);
  EXPECT_EQ(m.Bdd_imply(f, a), 0);
  EXPECT_EQ(m.Bdds_excl(a, m.Bdd_not(a)), 1);
  EXPECT_EQ(m.Bdds_exclude(a, b), 0);
  // The tests build the xnor/or/and, so they take node ids.
  long total = m.Bdd_total_size();
  m.Bdd_equiv(a, c);
  EXPECT_GT(m.Bdd_total_size(), total);
}

// Random formulas against their truth tables.
TEST(BddOps, RandomFormulasMatchTruthTables) {
  bddpp_manager m;
  const int n = 6;
  Make_vars(m, n);
  std::mt19937 rng(12345);
  std::vector<std::pair<bdd, std::string>> pool;
  for (int i = 0; i < n; ++i) pool.emplace_back(m.Bdd_var_by_index(i), Table(m, m.Bdd_var_by_index(i), n));
  for (int step = 0; step < 400; ++step) {
    auto& x = pool[rng() % pool.size()];
    auto& y = pool[rng() % pool.size()];
    auto& z = pool[rng() % pool.size()];
    int op = static_cast<int>(rng() % 5);
    bdd r;
    std::string t(x.second.size(), '0');
    for (size_t k = 0; k < t.size(); ++k) {
      bool p = x.second[k] == '1', q = y.second[k] == '1', s = z.second[k] == '1';
      bool v = op == 0 ? (p && q) : op == 1 ? (p || q) : op == 2 ? (p != q) : op == 3 ? (p ? q : s) : !(p || q);
      t[k] = v ? '1' : '0';
    }
    if (op == 0) r = m.Bdd_and(x.first, y.first);
    if (op == 1) r = m.Bdd_or(x.first, y.first);
    if (op == 2) r = m.Bdd_xor(x.first, y.first);
    if (op == 3) r = m.Bdd_ite(x.first, y.first, z.first);
    if (op == 4) r = m.Bdd_nor(x.first, y.first);
    ASSERT_EQ(Table(m, r, n), t) << "step " << step;
    // Canonical: equal tables are equal handles.
    for (auto& e : pool) {
      if (e.second == t) {
        ASSERT_TRUE(e.first == r);
      }
    }
    pool.emplace_back(r, t);
  }
}

// And/or with an operand of another manager give the node that and/or of its copy give, and
// keep the copy out of the manager where the result does not need it.
TEST(BddOps, AndOrWithAnOperandOfTheOriginalEqualThoseOfItsCopy) {
  bddpp_manager original;
  const int n = 6;
  Make_vars(original, n);
  std::mt19937 rng(77);
  auto random_function = [&](bddpp_manager& m) {
    bdd f = m.Bdd_var_by_index(static_cast<long>(rng() % n));
    for (int k = static_cast<int>(rng() % 7); k > 0; --k) {
      bdd g = m.Bdd_var_by_index(static_cast<long>(rng() % n));
      if (rng() % 2) g = m.Bdd_not(g);
      f = rng() % 2 ? m.Bdd_and(f, g) : m.Bdd_or(f, g);
    }
    if (rng() % 8 == 0) f = rng() % 2 ? m.Bdd_one() : m.Bdd_zero();
    return rng() % 2 ? m.Bdd_not(f) : f;
  };
  for (int round = 0; round < 300; ++round) {
    bdd f = random_function(original);
    bddpp_manager copy(&original);
    bdd g = random_function(copy);
    bdd conjunction = copy.Bdd_and_from(&original, f, g);
    bdd disjunction = copy.Bdd_or_from(&original, f, g);
    bdd f_copied = Bdd_isomorphe(&copy, &original, f);
    ASSERT_EQ(conjunction, copy.Bdd_and(f_copied, g)) << "round " << round;
    ASSERT_EQ(disjunction, copy.Bdd_or(f_copied, g)) << "round " << round;
    ASSERT_EQ(Table(copy, disjunction, n), Table(copy, copy.Bdd_or(f_copied, g), n));
  }
  // x0 or (x0 and x1 and ...): the copy of the second operand is not made.
  bdd chain = original.Bdd_var_by_index(0);
  for (int i = 1; i < n; ++i) chain = original.Bdd_and(chain, original.Bdd_var_by_index(i));
  bddpp_manager copy(&original);
  bdd x0 = copy.Bdd_var_by_index(0);
  long made = copy.internal_next_node_id;
  EXPECT_EQ(x0, copy.Bdd_or_from(&original, chain, x0));
  EXPECT_EQ(made, copy.internal_next_node_id);
}

TEST(BddOpsExit, NullReferenceReports) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        m.Bdd_and(a, bdd());
      }()),
      1,
      "^" + Literal_regex("ERROR: call bddpp_manager::Bdd_and() with null reference\nBdd_and(") + "0x[0-9a-f]+,0" +
          Literal_regex(")\n") + "$");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        m.Bdd_or(bdd(), a);
      }()),
      1, "^" + Literal_regex("ERROR: call bddpp_manager::Bdd_or() with null reference\n") + "$");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        m.Bdd_ite(1, 5, a, a);
      }()),
      1,
      "^" + Literal_regex("ERROR: abnormal index in bddpp_manager::Bdd_ite()\n"
                          "ERROR: call bddpp_manager::Bdd_and() with null reference\n"));
}

TEST(BddOpsExit, HandlesOfAnotherManagerAreRefused) {
  const std::string bad = Literal_regex("bad manager: an operand belongs to another bddpp_manager\n");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m, other;
        bdd a = m.New_var_last("a");
        bdd z = other.New_var_last("z");
        m.Bdd_and(a, z);
      }()),
      1, Literal_regex("ERROR: call bddpp_manager::Bdd_and() with null reference\n") + ".*" + bad);
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m, other;
        bdd a = m.New_var_last("a");
        bdd z = other.New_var_last("z");
        m.Bdd_or(z, a);
      }()),
      1, bad);
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m, other;
        bdd a = m.New_var_last("a");
        bdd z = other.New_var_last("z");
        m.Bdd_xor(a, z);
      }()),
      1, bad);
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m, other;
        bdd a = m.New_var_last("a");
        bdd z = other.New_var_last("z");
        m.Bdd_ite(z, a, a);
      }()),
      1, bad);
}
