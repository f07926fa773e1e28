// Equation systems: table sizing and growth, learning, forgetting, cleaning, look-ups and copies.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <vector>

#include "id_bits.h"
#include "shared_ids.h"
#include "shared_pages.h"
#include "pert_test_util.h"

TEST(Wood, TablesDoubleWithTheManager) {
  test_system s;
  EXPECT_EQ(s.w->nb_var_bdd, 0);
  EXPECT_EQ(s.w->nb_max_var_bdd, 1);
  s.var("v0");
  EXPECT_EQ(s.w->nb_max_var_bdd, 1);
  EXPECT_EQ(s.w->nb_var_bdd, 1);
  for (int i = 1; i < 5; ++i) s.var("v" + std::to_string(i));
  EXPECT_EQ(s.w->nb_max_var_bdd, 8);
  auto* e = s.eq("v4", s.w->Bdd_and(s.v("v0"), s.v("v1")));
  e->vars_dependance.clear();  // a growth rebuilds every equation's dependences
  for (int i = 5; i < 9; ++i) s.var("v" + std::to_string(i));
  EXPECT_EQ(s.w->nb_max_var_bdd, 16);
  EXPECT_EQ(s.w->nb_var_bdd, 9);
  EXPECT_EQ(e->vars_dependance, s.ids({"v0", "v1"}));
  // a wood made on a manager of five variables sizes its tables at once
  auto* m = new bddpp_manager();
  for (int i = 0; i < 5; ++i) m->New_var_last("u" + std::to_string(i));
  test_system t(new Bddexpressionwood(m));
  EXPECT_EQ(t.w->nb_max_var_bdd, 8);
  EXPECT_EQ(t.w->nb_var_bdd, 5);
}

TEST(Wood, LearningTwiceAndReplacing) {
  test_system s;
  auto* first = s.eq("x", s.v("a"));
  s.w->learn_expression(first);
  EXPECT_EQ(s.w->exp_number(), 1);
  auto* second = new Bddexpression("x", s.w, s.v("x"), s.v("b"), 0, 0);
  EXPECT_EQ(s.w->slot(s.id("x")), second);
  EXPECT_TRUE(s.w->readers(s.id("a")).empty());
  EXPECT_EQ(s.w->readers(s.id("b")), s.ids({"x"}));
  EXPECT_EQ(first->name, "x");  // the replaced equation still exists (the wood frees it at the end)
  EXPECT_EQ(s.w->exp_number(), 1);
  // learning the replaced one back takes its slot again
  s.w->learn_expression(first);
  EXPECT_EQ(s.w->slot(s.id("x")), first);
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"x"}));
}

TEST(Wood, LearningRefusals) {
  test_system s;
  CaptureStderr();
  s.w->learn_expression(nullptr);
  Bddexpression no_var("n", s.w, bdd(), s.w->Bdd_one(), 0, 0);
  EXPECT_EQ(GetCapturedStderr(),
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\nno expression !!!\n\n"
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\nno left member in expression\n\n");
  EXPECT_TRUE(s.w->ens_exp.empty());
  // a variable of a bigger manager than this wood's
  test_system big;
  for (int i = 0; i < 4; ++i) big.var("b" + std::to_string(i));
  auto* foreign = big.eq("b3", big.v("b0"));
  CaptureStderr();
  s.w->learn_expression(foreign);
  EXPECT_EQ(GetCapturedStderr(),
            "INTERNAL ERROR in Bddexpressionwood::learn_expression():\nbdd variable doesn't exist in Bdd manager\n\n");
}

TEST(Wood, ForgettingAndAbsoluteForgetting) {
  test_system s;
  s.eq("b", s.v("a"));
  s.eq("c", s.v("b"));
  s.w->latest(s.id("c")) = 4;
  s.w->forget_expression_by_bddid(s.id("b"));  // still read by c: nothing
  EXPECT_NE(s.at("b"), nullptr);
  s.w->forget_expression_by_bddid(s.id("c"));
  EXPECT_EQ(s.at("c"), nullptr);
  EXPECT_EQ(s.w->latest(s.id("c")), 0);
  EXPECT_TRUE(s.w->readers(s.id("b")).empty());
  EXPECT_EQ(s.w->ens_exp, s.ids({"b"}));
  s.w->absolute_forget_expression_by_bddid(s.id("b"));
  EXPECT_EQ(s.at("b"), nullptr);
  EXPECT_EQ(s.w->readers(s.id("a")), s.ids({"b"}));  // left as it was
  CaptureStderr();
  s.w->forget_expression_by_bddid(s.w->nb_var_bdd);
  s.w->absolute_forget_expression_by_bddid(-1);
  EXPECT_EQ(GetCapturedStderr(),
            "Error in Bddexpressionwood::forget_expression_by_bddid(): \n3 value not found ...\n"
            "Error in Bddexpressionwood::absolute_forget_expression_by_bddid(): \n-1 value not found ...\n");
}

TEST(Wood, CleanDropsUnreadConstantsOutsideTheKeepList) {
  test_system s;
  s.eq("k", s.w->Bdd_one());
  s.eq("d", s.w->Bdd_zero());
  s.eq("r", s.w->Bdd_one());
  s.eq("u", s.v("r"));
  std::list<long> keep{s.id("k")};
  s.w->clean(keep);
  EXPECT_EQ(s.w->ens_exp, s.ids({"k", "r", "u"}));
  EXPECT_EQ(s.at("d"), nullptr);
  s.w->ens_exp.insert(s.id("d"));
  CaptureStderr();
  s.w->clean(keep);
  EXPECT_EQ(GetCapturedStderr(),
            "Warning in Bddexpressionwood::clean():  Expression for id var 1 should be existed ...\n");
}

TEST(Wood, LookUps) {
  test_system s;
  for (const char* n : {"i0", "i1", "i2", "x"}) s.var(n);
  auto* x = s.eq("x", s.v("i0"));
  x->name = "eqx";
  auto* y = s.eq("y", s.v("i1"));
  EXPECT_EQ(s.w->exp_by_index(s.id("x")), x);
  EXPECT_EQ(s.w->exp_by_bdd(s.v("y")), y);
  EXPECT_EQ(s.w->exp_by_bddname("y"), y);
  EXPECT_EQ(s.w->exp_by_name("eqx"), x);
  EXPECT_EQ(s.w->Index_exp_by_name("eqx"), s.id("x"));
  EXPECT_EQ(s.w->Bddname_exp_by_index(s.id("x")), "x");
  EXPECT_EQ(s.w->Name_exp_by_index(s.id("x")), "eqx");
  EXPECT_EQ(s.w->Name_exp_by_index(0), "");
  EXPECT_EQ(s.w->Name_exp_by_bdd(s.v("x")), "eqx");
  EXPECT_EQ(s.w->Bddname_exp_by_bdd(s.v("i2")), "i2");
  EXPECT_EQ(s.w->exp(0), x);
  EXPECT_EQ(s.w->exp(1), y);
  EXPECT_EQ(s.w->exp_by_index(0), nullptr);  // an input: no message
  CaptureStderr();
  EXPECT_EQ(s.w->exp_by_index(-2), nullptr);
  EXPECT_EQ(s.w->exp_by_bddname("nope"), nullptr);
  EXPECT_EQ(s.w->exp_by_name("nope"), nullptr);
  EXPECT_EQ(s.w->Index_exp_by_name("nope"), -1);
  EXPECT_EQ(s.w->Bddname_exp_by_index(40), "");
  EXPECT_EQ(s.w->Name_exp_by_index(40), "");
  EXPECT_EQ(s.w->exp(2), nullptr);
  EXPECT_EQ(s.w->exp(-1), nullptr);
  EXPECT_EQ(GetCapturedStderr(),
            "ERROR in Bddexpressionwood::exp_by_index : id `-2' not found!\n"
            "ERROR in Bddexpressionwood::exp_by_bddname : `nope' not found!\n"
            "ERROR in Bddexpressionwood::exp_by_name : `nope' not found!\n"
            "ERROR in Bddexpressionwood::Index_exp_by_name : `nope' not found!\n"
            "ERROR: in Bddexpressionwood::Bddname_exp_by_index(): id 40 not found!\n"
            "ERROR: in Bddexpressionwood::Name_exp_by_index(): index 40 not found!\n"
            "ERROR in Bddexpressionwood::exp(): 2 bad number ...\npossible: {3,4}\n"
            "ERROR in Bddexpressionwood::exp(): -1 bad number ...\npossible: {3,4}\n");
  CaptureStderr();
  EXPECT_EQ(s.w->exp_by_bdd(s.w->Bdd_one()), nullptr);
  EXPECT_NE(GetCapturedStderr().find("ERROR in Bddexpressionwood::exp_by_bdd : bdd not found!\n"), std::string::npos);
}

TEST(Wood, CopyWithOwnManagerAndShared) {
  test_system s;
  auto* b = s.eq("b", s.w->Bdd_and(s.v("a"), s.v("c")));
  b->w = 4;
  s.w->latest(s.id("a")) = 2;
  s.w->nb_level = 3;
  test_system copy(new Bddexpressionwood(s.w));
  EXPECT_NE(copy.m(), s.m());
  EXPECT_EQ(copy.w->nb_level, 3);
  EXPECT_EQ(copy.w->ens_exp, s.w->ens_exp);
  EXPECT_EQ(copy.w->nb_max_var_bdd, s.w->nb_max_var_bdd);
  Bddexpression* cb = copy.at("b");
  ASSERT_NE(cb, nullptr);
  EXPECT_NE(cb, b);
  EXPECT_EQ(cb->pw, copy.w);
  EXPECT_EQ(cb->w, 4);
  EXPECT_EQ(cb->bdd_exp, copy.w->Bdd_and(copy.v("a"), copy.v("c")));
  EXPECT_EQ(copy.w->readers(copy.id("a")), copy.ids({"b"}));
  EXPECT_EQ(copy.w->latest(copy.id("a")), 2);
  s.w->set_common_bdd_manager(1);
  {
    Bddexpressionwood shared(s.w);
    EXPECT_EQ(shared.man, s.m());
    EXPECT_EQ(shared.slot(s.id("b"))->bdd_exp, b->bdd_exp);
  }
  s.w->set_common_bdd_manager(0);
}

TEST(Wood, CopyCoversVariablesAddedStraightIntoTheManager) {
  test_system s;
  s.eq("b", s.v("a"));
  for (int i = 0; i < 20; ++i) s.m()->New_var_last("late" + std::to_string(i));  // the wood has not grown
  ASSERT_EQ(s.w->nb_var_bdd, 2);
  test_system copy(new Bddexpressionwood(s.w));
  EXPECT_EQ(copy.w->nb_var_bdd, 22);
  EXPECT_GE(copy.w->nb_max_var_bdd, 22);
  EXPECT_EQ(copy.w->slot(21), nullptr);
  EXPECT_TRUE(copy.w->readers(21).empty());
  EXPECT_NE(copy.at("b"), nullptr);
}

TEST(Wood, AssignmentReplacesTheContents) {
  test_system s;
  s.eq("b", s.v("a"));
  test_system other;
  other.eq("z", other.v("y"));
  other.eq("q", other.v("z"));
  *other.w = *s.w;
  EXPECT_EQ(other.w->ens_exp, s.w->ens_exp);
  EXPECT_EQ(other.at("b")->bdd_exp, other.v("a"));
  EXPECT_EQ(other.w->nb_var_bdd, 2);
  *other.w = *other.w;
  EXPECT_EQ(other.w->exp_number(), 1);
  // sharing the manager: the copy takes it without destroying it
  s.w->set_common_bdd_manager(1);
  *other.w = *s.w;
  EXPECT_EQ(other.m(), s.m());
  other.w->set_common_bdd_manager(1);
  s.w->set_common_bdd_manager(0);
}

TEST(Wood, InsertedVariableShiftsTheTables) {
  test_system s;
  s.eq("b", s.v("a"));
  s.eq("c", s.v("b"));
  CaptureStderr();
  s.w->New_var_before_by_index(1, "n");  // the manager's insertion adds nothing: reported, unchanged
  std::string err = GetCapturedStderr();
  EXPECT_NE(err.find("Internal error in update_bdd_vars(nouv_index):\nawaited 4 variables, found: 3\n"),
            std::string::npos);
  EXPECT_EQ(s.w->nb_var_bdd, 3);
  // a manager that did add one variable: the slots from k move up by one
  s.m()->New_var_last("extra");
  s.w->update_bdd_vars(1);
  EXPECT_EQ(s.w->nb_var_bdd, 4);
  EXPECT_EQ(s.w->slot(1), nullptr);
  EXPECT_EQ(s.w->slot(2)->name, "b");
  EXPECT_EQ(s.w->slot(3)->name, "c");
  EXPECT_EQ(s.w->readers(0), std::set<long>{2});
  EXPECT_EQ(s.w->readers(2), std::set<long>{3});
  EXPECT_EQ(s.w->ens_exp, (std::set<long>{2, 3}));
}

TEST(Wood, AppendNotExpressionChecksItsId) {
  test_system s;
  auto* b = s.eq("b", s.v("a"));
  s.w->append_not_expression(s.id("b"));
  EXPECT_EQ(b->bdd_exp, s.w->Bdd_not(s.v("a")));
  s.w->append_not_expression(-1);
  s.w->append_not_expression(s.id("a"));
  s.w->append_not_expression(100);
  EXPECT_EQ(b->bdd_exp, s.w->Bdd_not(s.v("a")));
}

// The whole-set operations of the id sets a copy starts from agree with a node-based set.
TEST(Wood, IdSetBulkOperationsAgreeWithASet) {
  std::mt19937 rng(3);
  for (int round = 0; round < 200; ++round) {
    id_bits a, b;
    std::set<long> sa, sb;
    for (int k = 0; k < 60; ++k) {
      long x = static_cast<long>(rng() % 300), y = static_cast<long>(rng() % 200);
      a.insert(x), sa.insert(x), b.insert(y), sb.insert(y);
    }
    size_t n = rng() % 320;
    a.truncate(n);
    sa.erase(sa.lower_bound(static_cast<long>(n)), sa.end());
    ASSERT_TRUE(a == sa) << "truncate " << n;
    id_bits c;
    size_t m = rng() % 330;
    for (long s = 3; s < static_cast<long>(m); s += 7) c.insert(s), sa.insert(s);
    a.unite(c);
    ASSERT_TRUE(a == sa) << "unite " << m;
    a.intersect(b);
    std::set<long> both;
    for (long x : sa)
      if (sb.count(x)) both.insert(x);
    ASSERT_TRUE(a == both);
    ASSERT_EQ(a.size(), both.size());
  }
}

// Tables whose copies share pages read as plain tables copied whole: a copy of a prefix, edits
// on either side after the copy, shrinking and growing again.
TEST(Wood, SharedPagesReadAsTablesCopiedWhole) {
  std::mt19937 rng(5);
  for (int round = 0; round < 100; ++round) {
    shared_pages<long> a;
    std::vector<long> ra(static_cast<size_t>(rng() % 900));
    a.assign(ra.size());
    for (int k = 0; k < 200 && !ra.empty(); ++k) {
      size_t i = rng() % ra.size();
      a.edit(i) = ra[i] = static_cast<long>(rng() % 5);
    }
    size_t n = ra.empty() ? 0 : rng() % (ra.size() + 1), size = n + rng() % 600;
    shared_pages<long> b;
    b.share_prefix(a, n, size);
    std::vector<long> rb(ra.begin(), ra.begin() + static_cast<long>(n));
    rb.resize(size, 0);
    for (int k = 0; k < 100; ++k) {
      bool left = rng() % 2;
      std::vector<long>& r = left ? ra : rb;
      if (r.empty()) continue;
      size_t i = rng() % r.size();
      (left ? a : b).edit(i) = r[i] = static_cast<long>(rng() % 5);
    }
    size_t cut = rng() % (ra.size() + 1);
    a.resize(cut);
    ra.resize(cut);
    a.resize(cut + 300);
    ra.resize(cut + 300, 0);
    for (size_t i = 0; i < ra.size(); ++i) ASSERT_EQ(a[i], ra[i]) << "round " << round << " at " << i;
    for (size_t i = 0; i < rb.size(); ++i) ASSERT_EQ(b[i], rb[i]) << "round " << round << " at " << i;
  }
}

// Id sets shared by copies read as sets copied whole, whatever each holder adds (beside a set it
// shares, or into its own), erases, clears or reads as a std::set; a reference to a holder's
// own set sees its later additions.
TEST(Wood, SharedIdSetsReadAsSetsCopiedWhole) {
  std::mt19937 rng(9);
  for (int round = 0; round < 200; ++round) {
    std::vector<shared_ids> h(4);
    std::vector<std::set<long>> r(4);
    for (int k = 0; k < 300; ++k) {
      size_t i = rng() % 4, j = rng() % 4;
      long id = static_cast<long>(rng() % (round % 2 == 0 ? 40 : 400));
      switch (rng() % 8) {
        case 0: h[i] = h[j], r[i] = r[j]; break;
        case 1: h[i].erase(id), r[i].erase(id); break;
        case 2:
          if (rng() % 8 == 0) h[i].clear(), r[i].clear();
          break;
        case 3: ASSERT_EQ(h[i].get(), r[i]) << "round " << round; break;
        case 4: ASSERT_EQ(h[i] == h[j], r[i] == r[j]) << "round " << round; break;
        default: h[i].insert(id), r[i].insert(id); break;
      }
      ASSERT_EQ(h[i].size(), r[i].size()) << "round " << round;
      ASSERT_EQ(h[i].count(id), r[i].count(id)) << "round " << round;
      ASSERT_TRUE(std::equal(h[j].begin(), h[j].end(), r[j].begin(), r[j].end())) << "round " << round;
    }
    shared_ids own = std::set<long>{1, 3};
    const std::set<long>& seen = own.get();
    own.insert(2);
    EXPECT_EQ(seen, (std::set<long>{1, 2, 3}));
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(h[i].release(), r[i]);
  }
}
