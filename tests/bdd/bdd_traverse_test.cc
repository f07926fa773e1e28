// Marks and numbering, sizes, consistency, statistics, node records, the structure dump,
// copies between managers and the guards on large shared graphs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <regex>
#include <sstream>

#include "bdd_tables.h"
#include "bdd_test_util.h"
#include "bddpp.h"
#include "library_exit.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(BddTraverse, SizesAndNumbering) {
  bddpp_manager m;
  bdd x = m.New_var_last("x");
  bdd y = m.New_var_last("y");
  EXPECT_EQ(m.Bdd_size(m.Bdd_one()), 1);
  EXPECT_EQ(m.Bdd_size(x), 2);
  bdd f = m.Bdd_and(x, y);
  EXPECT_EQ(m.Bdd_size(f), 3);
  EXPECT_EQ(m.Bdd_size(m.Bdd_not(f)), 3);
  EXPECT_EQ(f.node()->local_id(), 0);
  EXPECT_EQ(y.node()->local_id(), 1);
  EXPECT_EQ(m.Bdd_node_one()->local_id(), 2);
  // Marked nodes are skipped; a second numbering without clearing finds nothing.
  EXPECT_EQ(m.Bdd_incremental_id(f.node(), 10), 10);
  CaptureStderr();
  EXPECT_EQ(m.Bdd_incremental_id(nullptr, 4), 4);
  EXPECT_EQ(GetCapturedStderr(), "Warning: call bddpp_manager::Bdd_incremental_id() with null reference!\n");
  m.Bdd_clear_marks(f);
  EXPECT_EQ(f.node()->is_marked() + y.node()->is_marked() + m.Bdd_node_one()->is_marked(), 0);
  x.node()->mark();
  m.Bdd_global_clear_marks();
  EXPECT_EQ(x.node()->is_marked(), 0);
  m.Bdd_clear_marks(static_cast<bdd_node*>(nullptr));
  EXPECT_EQ(m.Bdd_total_size(), 5);
}

TEST(BddTraverse, Consistency) {
  bddpp_manager m;
  Make_vars(m, 5);
  bdd f = m.Bdd_ite(m.Bdd_var_by_index(0), m.Bdd_xor(m.Bdd_var_by_index(2), m.Bdd_var_by_index(4)),
                    m.Bdd_var_by_index(3));
  EXPECT_EQ(m.Bdd_is_correct(f), 1);
  EXPECT_EQ(m.Bdd_is_correct(m.Bdd_zero()), 1);
  EXPECT_EQ(f.node()->local_id(), 1);  // numbered from 1
  CaptureStderr();
  EXPECT_EQ(m.Bdd_is_correct(bdd()), 0);
  EXPECT_EQ(GetCapturedStderr(), "Warning: call  bddpp_manager::Bdd_is_correct() with a null reference!\n");
  // A node outside the table, or a broken order, is not correct.
  bdd_node stray(&m, 999, 1, 0, -1, m.Bdd_var_by_index(3).node(), m.Bdd_node_one());
  EXPECT_EQ(stray.is_correct(), 1);  // it entered the table itself
  m.Map_suppress(&stray);
  EXPECT_EQ(stray.is_correct(), 0);
  bdd_node* then_child = f.node()->internal_then;
  f.node()->internal_then = f.node();
  EXPECT_EQ(f.node()->is_correct(), 0);
  f.node()->internal_then = then_child;
  EXPECT_EQ(f.node()->is_correct(), 1);
}

TEST(BddTraverse, CorrectPastTheSignatureSignBit) {
  bddpp_manager m;
  const long n = (1L << 18) + 2;
  for (long i = 0; i < n; ++i) m.New_node_var_last("v" + std::to_string(i));
  bdd p = m.Bdd_var_by_index(n - 2), q = m.Bdd_var_by_index(n - 1);
  bdd f = m.Bdd_and(p, m.Bdd_not(q));
  EXPECT_LT(f.node()->signature(), 0);
  EXPECT_EQ(m.Bdd_is_correct(f), 1);
  EXPECT_EQ(m.Bdd_is_correct(p), 1);
}

TEST(BddTraverse, StatsFormat) {
  bddpp_manager m;
  std::ostringstream os;
  m.Bdd_stats(os);
  std::regex empty(
      "BDD MANAGER statistics:\nmemory adress: 0x[0-9a-f]+ Version: 3\\.4c\nbdd constant number: 1\n-: 1 --> -1\n"
      "bdd variables number: 0\n\nMap:\nglobal id: var_index then_node else_node else_link_type \\(refs number\\)\n"
      "Map Nodes number: 0 --> useless: 0\nGlobal references number :0\n-{46}\n");
  EXPECT_TRUE(std::regex_match(os.str(), empty)) << os.str();
  m.New_node_var_last("a");
  std::ostringstream os2;
  m.Bdd_stats(os2);
  std::string s = os2.str();
  EXPECT_NE(s.find("bdd variables number: 1\nIndex: name --> signature\n0: a --> 8388610\n\nMap:\n"), std::string::npos);
  EXPECT_NE(s.find("(refs number)\n2: 8388610 (1)\nMap Nodes number: 1 --> useless: 0\nGlobal references number :1\n"),
            std::string::npos);
}

TEST(BddTraverse, StatsListsEntriesBySignature) {
  bddpp_manager m;
  Make_vars(m, 3);
  bdd f = m.Bdd_or(m.Bdd_var_by_index(2), m.Bdd_var_by_index(0));
  bdd g = m.Bdd_and(m.Bdd_var_by_index(1), m.Bdd_var_by_index(2));
  std::ostringstream os;
  m.Bdd_stats(os);
  std::istringstream in(os.str());
  std::string line;
  std::vector<long> keys;
  bool in_map = false;
  while (std::getline(in, line)) {
    if (line.rfind("global id:", 0) == 0) {
      in_map = true;
      continue;
    }
    if (line.rfind("Map Nodes", 0) == 0) break;
    if (in_map) keys.push_back(std::stol(line.substr(line.find(": ") + 2)));
  }
  EXPECT_EQ(keys.size(), 5u);
  EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
}

TEST(BddTraverse, NodeRecords) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  bdd b = m.New_var_last("b");
  bdd f = m.Bdd_and(a, b);
  m.Bdd_size(f);
  std::ostringstream os;
  m.Print_bdd_node(os, f.node());
  os << "|";
  Print_bdd_node(os, m.Bdd_node_one());
  os << "|";
  long renumber[2] = {5, 7};
  m.Print_bdd_node(os, f.node(), renumber);
  os << "|";
  m.Print_bdd_node(os, m.Bdd_node_one(), renumber);
  m.Print_bdd_node(os, nullptr);
  Print_bdd_node(os, nullptr);
  EXPECT_EQ(os.str(), "0: 0:1:2,-1|2: -1:-3:-3,1|0: 5:1:2,-1|2: -1:-3:-3,1");
  std::ostringstream ad;
  m.Print_bdd_node_with_adress(ad, m.Bdd_node_one());
  EXPECT_TRUE(std::regex_match(ad.str(), std::regex("0x[0-9a-f]+: -1:-3:-3,1")));
}

TEST(BddTraverseExit, RecordWithoutFileNumber) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        bdd b = m.New_var_last("sig_b");
        bdd f = m.Bdd_and(a, b);
        m.Bdd_size(f);
        long renumber[2] = {0, -1};
        std::ostringstream os;
        m.Print_bdd_node(os, b.node(), renumber);
      }()),
      1, Literal_regex("variable sig_b (index 1) has no file number"));
}

TEST(BddStructure, DumpForms) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  bdd b = m.New_var_last("b");
  bdd f = m.Bdd_and(a, b);
  std::ostringstream os;
  m.Print_bdd_structure(os, f);
  EXPECT_EQ(os.str(),
            "if a (node: 0,index: 0)\n  b (node: 1,index: 1)\nelse (not a)\n  not(\n      1 (node: 2,index: -1)\n     )\n");
  std::ostringstream neg;
  m.Print_bdd_structure(neg, m.Bdd_not(f));
  EXPECT_EQ(neg.str(),
            "not(\n     if a (node: 0,index: 0)\n       b (node: 1,index: 1)\n     else (not a)\n       not(\n"
            "           1 (node: 2,index: -1)\n          )\n   )\n");
  std::ostringstream var;
  m.Print_bdd_structure(var, b);
  EXPECT_EQ(var.str(), "b (node: 0,index: 1)\n");
  // xor of a and b: the then and else children are the same node.
  bdd x = m.Bdd_xor(a, b);
  std::ostringstream xs;
  m.Print_bdd_structure(xs, m.Bdd_not(x));
  EXPECT_EQ(xs.str(), "if a (node: 0,index: 0)\n  b (node: 1,index: 1)\nelse (not a)\n  not(\n      b (node: 1,index: 1)\n     )\n");
  // A shared non-variable node is written once, then referred to.
  bdd c = m.New_var_last("c");
  bdd bc = m.Bdd_or(b, c);
  bdd g = m.Bdd_xor(a, bc);
  std::ostringstream gs;
  m.Print_bdd_structure(gs, g);
  EXPECT_NE(gs.str().find("already found node: 1\n"), std::string::npos) << gs.str();
  std::ostringstream cs;
  m.Chars('*', 3, cs);
  m.Chars('*', 0, cs);
  m.Chars('*', -2, cs);
  EXPECT_EQ(cs.str(), "***");
}

// ----- copies -----

TEST(BddCopy, ByNameCreatesVariablesInWalkOrder) {
  bddpp_manager m2;
  bdd a = m2.New_var_last("a");
  bdd b = m2.New_var_last("b");
  bdd c = m2.New_var_last("c");
  bdd f = m2.Bdd_ite(a, b, c);
  bddpp_manager m1;
  m1.New_var_last("c");  // already there: kept at index 0
  bdd g = Bdd_isomorphe_by_name(&m1, &m2, f);
  ASSERT_EQ(m1.Nb_bdd_vars(), 3);
  EXPECT_EQ(m1.Name_var_by_index(1), "a");
  EXPECT_EQ(m1.Name_var_by_index(2), "b");
  // f(a,b,c) in m1's order (c, a, b).
  for (unsigned long k = 0; k < 8; ++k) {
    unsigned long cv = k & 1, av = (k >> 1) & 1, bv = (k >> 2) & 1;
    ASSERT_EQ(Value_at(m1, g, k), Value_at(m2, f, av | (bv << 1) | (cv << 2)));
  }
  bddpp_manager m3;
  bdd h = Bdd_isomorphe_by_name(&m3, &m2, m2.Bdd_not(f));
  EXPECT_EQ(m3.Name_var_by_index(0), "a");
  EXPECT_EQ(m3.Name_var_by_index(1), "b");
  EXPECT_EQ(m3.Name_var_by_index(2), "c");
  EXPECT_EQ(Table(m3, h, 3), Table(m2, m2.Bdd_not(f), 3));
  EXPECT_TRUE(Bdd_isomorphe_by_name(&m3, &m2, m2.Bdd_zero()) == m3.Bdd_zero());
}

// A copy by name builds a node over a constant child, or against the target's order, as
// or(and(not x, else), and(x, then)) would: the same nodes requested in the same order, so the
// same node ids. Checked against that construction over random functions copied one after the
// other into two managers alike, the target's variable order reversed in part.
TEST(BddCopy, ByNameRequestsTheNodesOfTheAndOrConstruction) {
  std::mt19937 rng(7);
  bddpp_manager src;
  Make_vars(src, 6, "v");
  bddpp_manager copied, built;
  for (bddpp_manager* t : {&copied, &built})
    for (int i : {2, 1, 0, 3, 4, 5}) t->New_var_last("v" + std::to_string(i));
  std::map<bdd_node*, std::pair<bdd_node*, int>> memo;
  // The construction, node by node (else read through its link).
  std::function<std::pair<bdd_node*, int>(bdd_node*)> build = [&](bdd_node* n) -> std::pair<bdd_node*, int> {
    if (n == src.internal_bdd_node_one) return {built.internal_bdd_node_one, 1};
    auto known = memo.find(n);
    if (known != memo.end()) return known->second;
    long v = built.Index_var_by_name(src.Name_var_by_index(n->internal_var_index));
    auto t = build(n->internal_then);
    auto e = build(n->internal_else);
    bdd_node* one = built.internal_bdd_node_one;
    std::pair<bdd_node*, int> r;
    if (t.first != one && e.first != one && v < t.first->internal_var_index && v < e.first->internal_var_index) {
      int link = 1;
      r.first = built.Find_or_create_bdd_node(v, 1, n->internal_else_link_type, t.first, e.first, link);
      r.second = link;
    } else {
      bdd x = built.Bdd_var_by_index(v);
      bdd tt(&built, 1, t.first);
      bdd ee(&built, n->internal_else_link_type, e.first);
      bdd a = built.Bdd_and(built.Bdd_not(x), ee);
      bdd b = built.Bdd_and(x, tt);
      bdd o = built.Bdd_or(a, b);
      r = {o.node(), o.link_type()};
    }
    return memo[n] = r;
  };
  for (int round = 0; round < 400; ++round) {
    bdd f = src.Bdd_var_by_index(static_cast<long>(rng() % 6));
    for (int k = static_cast<int>(rng() % 6); k > 0; --k) {
      bdd g = src.Bdd_var_by_index(static_cast<long>(rng() % 6));
      if (rng() % 2) g = src.Bdd_not(g);
      f = rng() % 2 ? src.Bdd_and(f, g) : src.Bdd_or(f, g);
    }
    if (rng() % 2) f = src.Bdd_not(f);
    memo.clear();
    auto expected = build(f.node());
    bdd got = Bdd_isomorphe_by_name(&copied, &src, f);
    ASSERT_EQ(got.node()->internal_global_id, expected.first->internal_global_id) << "round " << round;
    ASSERT_EQ(got.link_type(), f.link_type() * expected.second) << "round " << round;
    ASSERT_EQ(copied.internal_bdd_node_map->size(), built.internal_bdd_node_map->size()) << "round " << round;
    ASSERT_EQ(Table(copied, got, 6), Table(built, bdd(&built, f.link_type() * expected.second, expected.first), 6));
  }
}

// Within one manager, a copy by name gives the function itself after asking for the nodes of
// the and/or construction, as a copy between managers does (the same nodes, in the same order:
// a twin manager built alike numbers them alike); copied again, or as part of a larger
// function, it asks for nothing more.
TEST(BddCopy, ByNameWithinAManagerAsksForTheNodesOnce) {
  std::mt19937 rng(11);
  bddpp_manager self, twin;
  Make_vars(self, 6, "v");
  Make_vars(twin, 6, "v");
  for (int round = 0; round < 400; ++round) {
    int var = static_cast<int>(rng() % 6);
    bdd f = self.Bdd_var_by_index(var), g = twin.Bdd_var_by_index(var);
    for (int k = static_cast<int>(rng() % 6); k > 0; --k) {
      int other = static_cast<int>(rng() % 6);
      bool negated = rng() % 2, conjunction = rng() % 2;
      bdd x = self.Bdd_var_by_index(other), y = twin.Bdd_var_by_index(other);
      if (negated) x = self.Bdd_not(x), y = twin.Bdd_not(y);
      f = conjunction ? self.Bdd_and(f, x) : self.Bdd_or(f, x);
      g = conjunction ? twin.Bdd_and(g, y) : twin.Bdd_or(g, y);
    }
    ASSERT_EQ(f.node()->internal_global_id, g.node()->internal_global_id);
    bdd got = Bdd_isomorphe_by_name(&self, &self, f);
    bddpp_manager scratch;  // the twin's nodes, copied out: the copy back asks for every one
    for (int i = 0; i < 6; ++i) scratch.New_var_last("v" + std::to_string(i));
    bdd expected = Bdd_isomorphe_by_name(&twin, &scratch, Bdd_isomorphe(&scratch, &twin, g));
    ASSERT_EQ(got, f) << "round " << round;
    ASSERT_EQ(expected, g) << "round " << round;
    ASSERT_EQ(self.internal_next_node_id, twin.internal_next_node_id) << "round " << round;
    long made = self.internal_next_node_id;
    ASSERT_EQ(Bdd_isomorphe_by_name(&self, &self, f), f);
    ASSERT_EQ(made, self.internal_next_node_id) << "round " << round;
  }
}

TEST(BddCopy, ByMapAndByEqualIndex) {
  bddpp_manager m2;
  Make_vars(m2, 4);
  bdd f = m2.Bdd_or(m2.Bdd_and(m2.Bdd_var_by_index(0), m2.Bdd_var_by_index(1)),
                    m2.Bdd_and(m2.Bdd_not(m2.Bdd_var_by_index(2)), m2.Bdd_var_by_index(3)));
  bddpp_manager m1;
  Make_vars(m1, 4, "y");
  long reverse[4] = {3, 2, 1, 0};
  bdd g = Bdd_isomorphe(&m1, &m2, f, reverse);
  bdd_node* gn = Bdd_isomorphe(&m1, &m2, f.node(), reverse);
  EXPECT_EQ(gn, g.node());
  EXPECT_EQ(g.link_type(), f.link_type());
  for (unsigned long k = 0; k < 16; ++k) {
    unsigned long r = 0;
    for (int i = 0; i < 4; ++i) r |= ((k >> i) & 1ul) << (3 - i);
    ASSERT_EQ(Value_at(m1, g, r), Value_at(m2, f, k));
  }
  bdd nf = m2.Bdd_not(f);
  EXPECT_TRUE(Bdd_isomorphe(&m1, &m2, nf, reverse) == m1.Bdd_not(g));

  bddpp_manager copy(&m2);
  bdd e = Bdd_isomorphe(&copy, &m2, m2.Bdd_not(f));
  EXPECT_EQ(e.link_type(), -1);
  EXPECT_EQ(copy.Bdd_size(e), m2.Bdd_size(f));
  EXPECT_EQ(Table(copy, e, 4), Table(m2, nf, 4));
  EXPECT_EQ(copy.Bdd_is_correct(e), 1);
  std::ostringstream d1, d2;
  m2.Print_bdd_structure(d1, nf);
  copy.Print_bdd_structure(d2, e);
  EXPECT_EQ(d1.str(), d2.str());
  bdd zero = m2.Bdd_zero();
  EXPECT_TRUE(Bdd_isomorphe(&copy, &m2, zero, reverse) == copy.Bdd_zero());

  CaptureStderr();
  bdd bad = Bdd_isomorphe(&m1, nullptr, f, reverse);
  bdd none;
  bdd bad2 = Bdd_isomorphe(&m1, &m2, none, reverse);
  EXPECT_EQ(GetCapturedStderr(), "ERROR: Bad call of Bdd_isomorphe() !\nERROR: Bad call of Bdd_isomorphe() !\n");
  EXPECT_TRUE(bad == m1.Bdd_zero());
  EXPECT_TRUE(bad2 == m1.Bdd_zero());
}

TEST(BddCopyExit, EqualIndexIntoAManagerLackingTheVariable) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m2, m1;
        Make_vars(m2, 3);
        m1.New_var_last("x0");
        bdd f = m2.Bdd_and(m2.Bdd_var_by_index(0), m2.Bdd_var_by_index(2));
        Bdd_isomorphe(&m1, &m2, f);
      }()),
      1, Literal_regex("index 2 is not a variable of this manager"));
}

TEST(BddCopyExit, ReplaceWithAMapEntryOutsideTheVariables) {
  EXPECT_LIBRARY_EXIT(([] {
                bddpp_manager m;
                Make_vars(m, 2);
                long map[2] = {0, 9};
                m.Bdd_replace_vars(m.Bdd_and(m.Bdd_var_by_index(0), m.Bdd_var_by_index(1)), map);
                      }()),
                      1,
                      "^" + Literal_regex("calling bddpp_manager::Bdd_var_by_index() with index= 9 :out of range!\n"
                                  "ERROR: call bddpp_manager::Bdd_and() with null reference\n"));
}

// ----- large shared graphs: every walk must be linear in the nodes, not the paths -----

TEST(BddGuards, ParityTraversals) {
  const int n = kParityVars;
  bddpp_manager m;
  Make_vars(m, n);
  bdd p = Parity(m, n);
  EXPECT_EQ(m.Bdd_size(p), n + 1);
  EXPECT_EQ(m.Bdd_is_correct(p), 1);
  EXPECT_EQ(p.node()->is_correct(), 1);

  std::vector<int> ctx(n, 2);
  EXPECT_EQ(m.Bdd_eval_for_literal(p, ctx.data()), 2);
  EXPECT_EQ(m.Bdd_eval_for_literal(p, ctx.data(), n), 2);
  std::mt19937 rng(3);
  for (int trial = 0; trial < 20; ++trial) {
    int parity = 0;
    for (int i = 0; i < n; ++i) {
      ctx[i] = static_cast<int>(rng() % 2);
      parity ^= ctx[i];
    }
    ASSERT_EQ(m.Bdd_eval_for_literal(p, ctx.data()), parity);
    ctx[rng() % n] = 2;
    ASSERT_EQ(m.Bdd_eval_for_literal(p, ctx.data()), 2);
  }

  // x0 := x1 cancels both.
  bdd c = m.Bdd_compose(p, m.Bdd_var_by_index(0), m.Bdd_var_by_index(1));
  bdd rest = m.Bdd_zero();
  for (int i = 2; i < n; ++i) rest = m.Bdd_xor(rest, m.Bdd_var_by_index(i));
  EXPECT_TRUE(c == rest);

  std::vector<long> reverse(n);
  for (int i = 0; i < n; ++i) reverse[i] = n - 1 - i;
  EXPECT_TRUE(m.Bdd_replace_vars(p, reverse.data()) == p);
  EXPECT_TRUE(m.Bdd_keep_first_variables(p, n / 2) == m.Bdd_one());
  bdd e = m.Bdd_exist(p, m.Bdd_var_by_index(n / 2));
  EXPECT_TRUE(e == m.Bdd_one());

  bddpp_manager copy(&m);
  bdd q = Bdd_isomorphe(&copy, &m, p);
  EXPECT_EQ(copy.Bdd_size(q), n + 1);
  bddpp_manager mapped;
  Make_vars(mapped, n);
  bdd r = Bdd_isomorphe(&mapped, &m, p, reverse.data());
  EXPECT_EQ(mapped.Bdd_size(r), n + 1);
  bdd_node* rn = Bdd_isomorphe(&mapped, &m, p.node(), reverse.data());
  EXPECT_EQ(rn, r.node());
  bddpp_manager named;
  bdd s = Bdd_isomorphe_by_name(&named, &m, p);
  EXPECT_EQ(named.Nb_bdd_vars(), n);
  EXPECT_EQ(named.Bdd_size(s), n + 1);
  EXPECT_EQ(named.Bdd_eval_for_literal(s, ctx.data()), 2);

  std::ostringstream os;
  m.Print_bdd_structure(os, p);
  const std::string dump = os.str();
  EXPECT_EQ(std::count(dump.begin(), dump.end(), '\n'), 5 * n - 2);
}

// Nodes made past 2^22 global ids stay canonical (the display key would collide there).
TEST(BddGuards, GlobalIdsPastTheKeyLimit) {
  bddpp_manager m;
  const int n = 8;
  Make_vars(m, n);
  m.internal_next_node_id = (1L << 22) - 10;
  std::mt19937 rng(99);
  std::map<std::string, bdd> by_table;
  std::vector<bdd> pool;
  for (int i = 0; i < n; ++i) pool.push_back(m.Bdd_var_by_index(i));
  for (int step = 0; step < 3000; ++step) {
    const bdd& f = pool[rng() % pool.size()];
    const bdd& g = pool[rng() % pool.size()];
    bdd r = (rng() % 2) ? m.Bdd_and(f, m.Bdd_not(g)) : m.Bdd_xor(f, g);
    std::string t = Table(m, r, n);
    auto it = by_table.find(t);
    if (it == by_table.end()) {
      by_table.emplace(t, r);
    } else {
      ASSERT_TRUE(it->second == r) << "step " << step;
    }
    pool.push_back(r);
  }
  EXPECT_GT(m.Bdd_total_size(), (1L << 22) + 100);
  for (auto& e : by_table) ASSERT_EQ(m.Bdd_is_correct(e.second), 1);
}

// The same computation gives the same node ids and node count with or without the computed
// table and memos (the other mode runs this test with the same numbers).
TEST(BddGuards, NodeIdFingerprint) {
  bddpp_manager m;
  const int n = 10;
  Make_vars(m, n);
  auto v = [&](int i) { return m.Bdd_var_by_index(i); };
  std::vector<long> ids;
  bdd p = Parity(m, n);
  ids.push_back(p.node()->global_id());
  bdd f = m.Bdd_one();
  for (int i = 0; i + 2 < n; ++i) f = m.Bdd_and(f, m.Bdd_or(v(i), m.Bdd_xor(v(i + 1), v(i + 2))));
  ids.push_back(f.node()->global_id());
  bdd g = m.Bdd_compose(f, v(3), m.Bdd_and(v(0), v(9)));
  ids.push_back(g.node()->global_id());
  bdd h = m.Bdd_exist(m.Bdd_and(g, m.Bdd_and(v(5), v(6))), v(5));
  ids.push_back(h.node()->global_id());
  std::vector<long> rev(n);
  for (int i = 0; i < n; ++i) rev[i] = n - 1 - i;
  bdd r = m.Bdd_replace_vars(h, rev.data());
  ids.push_back(r.node()->global_id());
  bdd k = m.Bdd_keep_first_variables(m.Bdd_and(f, r), 6);
  ids.push_back(k.node()->global_id());
  bdd s = m.Bdd_reduce(m.Bdd_xor(f, p), m.Bdd_or(v(1), v(4)));
  ids.push_back(s.node()->global_id());
  bdd t = m.Bdd_simplify(m.Bdd_and(f, v(0)), m.Bdd_and(m.Bdd_not(v(0)), v(7)));
  ids.push_back(t.node()->global_id());
  bddpp_manager other;
  Make_vars(other, n, "o");
  bdd u = Bdd_isomorphe(&other, &m, r, rev.data());
  ids.push_back(u.node()->global_id());
  ids.push_back(m.Bdd_total_size());
  ids.push_back(other.Bdd_total_size());
  std::ostringstream os;
  for (long id : ids) os << id << " ";
  EXPECT_EQ(os.str(), "218 318 389 399 424 435 545 2 50 577 51 ");
}
