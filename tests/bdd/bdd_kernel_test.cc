// Nodes, handles, the unique table, the manager and its variables.
#include <gtest/gtest.h>

#include <climits>
#include <memory>
#include <sstream>
#include <thread>

#include "bdd_tables.h"
#include "bdd_test_util.h"
#include "bddpp.h"
#include "library_exit.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(BddManager, NewManagerAndCapacityDoubling) {
  bddpp_manager m;
  EXPECT_EQ(m.Nb_bdd_vars(), 0);
  EXPECT_EQ(m.Bdd_total_size(), 2);
  EXPECT_EQ(m.internal_max_bdd_vars, 16);
  EXPECT_EQ(m.Bdd_node_one()->global_id(), 1);
  EXPECT_EQ(m.Bdd_version(), "3.4c");
  EXPECT_EQ(Bdd_version(), "3.4c");

  Make_vars(m, 17, "v");
  EXPECT_EQ(m.internal_max_bdd_vars, 32);
  EXPECT_EQ(m.Nb_bdd_vars(), 17);
  EXPECT_EQ(m.Bdd_total_size(), 19);
  for (int i = 0; i < 17; ++i) {
    EXPECT_EQ(m.Name_var_by_index(i), "v" + std::to_string(i));
    EXPECT_EQ(m.Index_var_by_name("v" + std::to_string(i)), i);
    EXPECT_EQ(m.internal_assoc_var_table[i], m.internal_variables_table[i]);
    EXPECT_EQ(m.internal_variables_table[i]->global_id(), i + 2);
  }
  // A repeated name gives the same node and creates nothing, also when the tables are full.
  Make_vars(m, 32 - 17, "w");
  bdd again = m.New_var_last("v3");
  EXPECT_EQ(again.node(), m.internal_variables_table[3]);
  EXPECT_EQ(m.Nb_bdd_vars(), 32);
  EXPECT_EQ(m.New_var_last("w0").node(), m.internal_variables_table[17]);
  EXPECT_EQ(m.Nb_bdd_vars(), 32);
}

TEST(BddManager, CopyConstructorCopiesVariablesOnly) {
  bddpp_manager m;
  Make_vars(m, 3);
  bdd f = m.Bdd_and(m.Bdd_var_by_index(0), m.Bdd_var_by_index(2));
  m.Rename_var("renamed", "x1");
  bddpp_manager c(&m);
  EXPECT_EQ(c.Nb_bdd_vars(), 3);
  EXPECT_EQ(c.internal_max_bdd_vars, 16);
  EXPECT_EQ(c.Name_var_by_index(1), "renamed");
  EXPECT_EQ(c.Index_var_by_name("x1"), 1);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(c.internal_variables_table[i]->global_id(), i + 2);
    EXPECT_EQ(c.Bdd_if_id(c.Bdd_var_by_index(i)), i);
    EXPECT_EQ(c.internal_assoc_var_table[i], c.internal_variables_table[i]);
  }
  EXPECT_EQ(c.Bdd_total_size(), 5);
  EXPECT_EQ(c.internal_bdd_node_map->size(), 3u);
}

// A fork's copy makes a variable's own node when first asked for, and answers as a copy that
// made them all: the same functions, variables, associations and new variables.
TEST(BddManager, CopyMakingOwnNodesOnFirstUseAnswersAsAFullCopy) {
  bddpp_manager m;
  Make_vars(m, 20, "v");
  bddpp_manager full(&m), lazy(&m, true);
  EXPECT_EQ(lazy.Made_var_node(5), nullptr);
  bdd_node* made = lazy.Bdd_var_by_index(5).node();
  EXPECT_EQ(made, lazy.Made_var_node(5));
  EXPECT_EQ(lazy.Bdd_if_id(lazy.Bdd_var_by_index(19)), 19);
  {
    bdd f = m.Bdd_or(m.Bdd_and(m.Bdd_var_by_index(3), m.Bdd_var_by_index(7)), m.Bdd_not(m.Bdd_var_by_index(12)));
    bdd in_full = Bdd_isomorphe_by_name(&full, &m, f);
    bdd in_lazy = Bdd_isomorphe_by_name(&lazy, &m, f);
    EXPECT_EQ(f, Bdd_isomorphe_by_name(&m, &lazy, in_lazy));
    EXPECT_EQ(full.Print_sop_to_String("+", ".", "!", "", in_full, 1),
              lazy.Print_sop_to_String("+", ".", "!", "", in_lazy, 1));
    for (bddpp_manager* c : {&full, &lazy}) {
      int self = -2;
      bdd x = c->Bdd_var_by_index(9);
      EXPECT_EQ(x, c->Bdd_follow_assoc(x, &self));
      EXPECT_EQ(self, 9);
      c->Bdd_assoc_bdd_to_var(c->Bdd_and(c->Bdd_var_by_index(1), c->Bdd_var_by_index(2)), c->Bdd_var_by_index(0));
      bdd g = c->Bdd_follow_assoc(c->Bdd_or(c->Bdd_var_by_index(0), c->Bdd_var_by_index(4)), &self);
      EXPECT_EQ(c->Print_sop_to_String("+", ".", "!", "", g, 1), "v1.v2+v4");
    }
    bdd w = lazy.New_var_last("w");
    EXPECT_EQ(w.node(), lazy.Bdd_var_by_index(20).node());
  }
}

// Creation names stay the look-up keys in a copy, through renamings on either side and the
// growth of the index.
TEST(BddManager, CopyFindsVariablesByCreationName) {
  bddpp_manager m;
  Make_vars(m, 40, "v");
  m.Rename_var("renamed", "v7");
  bddpp_manager c(&m);
  c.Rename_var("again", "v30");
  Make_vars(c, 60, "w");
  EXPECT_EQ(c.Nb_bdd_vars(), 100);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(c.Index_var_by_name("v" + std::to_string(i)), i);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(c.Index_var_by_name("w" + std::to_string(i)), 40 + i);
  EXPECT_EQ(c.Index_var_by_name("renamed"), -1);
  EXPECT_EQ(c.New_var_last("v30").node(), c.internal_variables_table[30]);
  EXPECT_EQ(c.Name_var_by_index(30), "again");
  EXPECT_EQ(m.Name_var_by_index(30), "v30");
  EXPECT_EQ(m.Index_var_by_name("w0"), -1);
  EXPECT_EQ(m.Nb_bdd_vars(), 40);
  EXPECT_EQ(c.Nb_bdd_vars(), 100);
  // The source's names changed after the copy, and variables it adds, stay its own; so do a
  // fork's copy's.
  bddpp_manager fork(&m, true);
  m.Rename_var("later", "v8");
  Make_vars(m, 2, "x");
  fork.Replace_char_in_all_names('v', 'u');
  EXPECT_EQ(c.Name_var_by_index(8), "v8");
  EXPECT_EQ(fork.Name_var_by_index(8), "u8");
  EXPECT_EQ(m.Name_var_by_index(9), "v9");
  EXPECT_EQ(m.Name_var_by_index(40), "x0");
  EXPECT_EQ(c.Name_var_by_index(40), "w0");
  EXPECT_EQ(fork.Nb_bdd_vars(), 40);
  // Names entered after a copy, in place or after the source's table grew, are found only by
  // the manager that entered them, through copies of copies too.
  EXPECT_EQ(fork.Index_var_by_name("x0"), -1);
  fork.New_var_last("x1");
  Make_vars(m, 300, "y");
  bddpp_manager nested(&fork, true);
  Make_vars(fork, 3, "z");
  nested.New_var_last("z2");
  for (bddpp_manager* k : {&fork, &nested}) {
    EXPECT_EQ(k->Index_var_by_name("x1"), 40);
    EXPECT_EQ(k->Index_var_by_name("x0"), -1);
    EXPECT_EQ(k->Index_var_by_name("y0"), -1);
    EXPECT_EQ(k->Index_var_by_name("v39"), 39);
  }
  EXPECT_EQ(fork.Index_var_by_name("z2"), 43);
  EXPECT_EQ(nested.Index_var_by_name("z2"), 41);
  EXPECT_EQ(nested.Index_var_by_name("z0"), -1);
  EXPECT_EQ(m.Index_var_by_name("x1"), 41);
  EXPECT_EQ(m.Index_var_by_name("y299"), 341);
  EXPECT_EQ(m.Index_var_by_name("z2"), -1);
}

TEST(BddNode, SignatureFormulaAndAccessors) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  bdd b = m.New_var_last("b");
  bdd_node* na = a.node();
  EXPECT_EQ(na->signature(), 8388610);  // ((0<<22|1)<<22|1)<<1|0
  EXPECT_EQ(bdd_node_signature(-1, 1, nullptr, nullptr), -1);
  EXPECT_EQ(bdd_node_signature(-3, 1, nullptr, nullptr), -3);
  bdd f = m.Bdd_and(a, b);
  bdd_node* n = f.node();
  EXPECT_EQ(n->signature(), static_cast<long>(((0ul << 22 | 3) << 22 | 1) << 1));
  EXPECT_EQ(n->var_index(), 0);
  EXPECT_EQ(n->var_index_dep(), (std::set<long>{0, 1}));
  EXPECT_EQ(n->var_index_dep(1), 1);
  EXPECT_EQ(n->var_index_dep(2), 0);
  EXPECT_EQ(n->var_index_dep_size(), 2);
  EXPECT_EQ(m.Bdd_node_one()->var_index_dep().size(), 0u);
  EXPECT_EQ(n->then_node(), b.node());
  EXPECT_EQ(n->else_node(), m.Bdd_node_one());
  EXPECT_EQ(n->else_link_type(), -1);
  n->local_id(7);
  EXPECT_EQ(n->local_id(), 7);
  n->mark();
  EXPECT_EQ(n->is_marked(), 1);
  n->clear_mark();
  EXPECT_EQ(n->is_marked(), 0);
  // Equal nodes compare structurally, whatever their ids.
  bdd_node copy(nullptr, 99, 0, 0, -1, b.node(), m.Bdd_node_one());
  EXPECT_TRUE(copy == *n);
  EXPECT_EQ(copy.var_index_dep(), n->var_index_dep());
  bdd_node detached;
  EXPECT_EQ(detached.signature(), -3);
  EXPECT_EQ(detached.var_index(), -3);
  EXPECT_EQ(detached.my_manager(), nullptr);
  EXPECT_EQ(detached.is_correct(), 0);
}

// A count that reaches INT32_MAX stays there: such a node is never collected.
TEST(BddNode, ReferenceCountsSaturate) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  bdd_node* n = a.node();
  n->internal_nb_refs = INT32_MAX - 1;
  n->inc_nbrefs();
  EXPECT_EQ(n->nbrefs(), INT32_MAX);
  n->inc_nbrefs();
  n->dec_nbrefs();
  n->dec_nbrefs();
  EXPECT_EQ(n->nbrefs(), INT32_MAX);
  n->internal_nb_refs = 2;
  n->dec_nbrefs();
  EXPECT_EQ(n->nbrefs(), 1);
}

// A node finds its manager through the manager's storage: over many storage chunks, in a copy,
// in managers made where a destroyed one was, and in other threads; a caller's node through its
// own record, detached when its manager goes.
TEST(BddNode, ManagerFoundFromTheNode) {
  auto chain = [](bddpp_manager& m, int n) {
    std::vector<bdd> v;
    for (int i = 0; i < n; ++i) v.push_back(m.New_var_last("v" + std::to_string(i)));
    bdd f = m.Bdd_zero();
    for (int i = n - 1; i >= 0; --i) f = m.Bdd_xor(v[i], f);
    return f;
  };
  auto all_owned = [](bddpp_manager& m) {
    int wrong = 0;
    m.internal_bdd_node_map->for_each([&](bdd_node* n) { wrong += n->my_manager() != &m; });
    return wrong + (m.Bdd_node_one()->my_manager() != &m);
  };
  bddpp_manager a;
  bdd f = chain(a, 20000);
  ASSERT_GT(a.internal_bdd_node_map->size(), 60000u);
  EXPECT_EQ(all_owned(a), 0);
  bdd_node* stray;
  {
    bddpp_manager copy(&a);
    EXPECT_EQ(all_owned(copy), 0);
    EXPECT_EQ(f.node()->my_manager(), &a);
    stray = new bdd_node(&copy, 999, 1, 0, -1, copy.Bdd_var_by_index(3).node(), copy.Bdd_node_one());
    EXPECT_EQ(stray->my_manager(), &copy);
  }
  EXPECT_EQ(stray->my_manager(), nullptr);
  delete stray;
  for (int round = 0; round < 3; ++round) {
    bddpp_manager b;
    bdd g = chain(b, 500);
    EXPECT_EQ(all_owned(b), 0);
    EXPECT_EQ(g.node()->local_id(), 0);
    g.node()->local_id(round + 1);
    EXPECT_EQ(g.node()->local_id(), round + 1);
  }
  int wrong_in_thread = -1;
  std::thread([&] {
    bddpp_manager c;
    bdd g = chain(c, 300);
    wrong_in_thread = all_owned(c) + all_owned(a);
  }).join();
  EXPECT_EQ(wrong_in_thread, 0);
  bdd_node detached;
  EXPECT_EQ(detached.my_manager(), nullptr);
}

TEST(BddHandle, CountingCopyAssignAndEquality) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  bdd b = m.New_var_last("b");
  int ca = a.node()->nbrefs();
  {
    bdd c(a);
    EXPECT_EQ(a.node()->nbrefs(), ca + 1);
    c = a;  // same node: unchanged
    EXPECT_EQ(a.node()->nbrefs(), ca + 1);
    c = c;
    EXPECT_EQ(a.node()->nbrefs(), ca + 1);
    int cb = b.node()->nbrefs();
    c = b;
    EXPECT_EQ(a.node()->nbrefs(), ca);
    EXPECT_EQ(b.node()->nbrefs(), cb + 1);
  }
  bdd empty;
  EXPECT_EQ(empty.link_type(), 0);
  EXPECT_EQ(empty.node(), nullptr);
  EXPECT_EQ(empty.manager_ref(), nullptr);
  bdd taken;
  taken = a;
  EXPECT_EQ(a.node()->nbrefs(), ca + 1);
  EXPECT_TRUE(taken == a);
  EXPECT_TRUE(m.Bdd_not(a) != a);
  EXPECT_EQ(m.Bdd_not(a).node(), a.node());

  std::ostringstream os;
  os << a;
  EXPECT_NE(os.str().find(", link type =1, adr node= "), std::string::npos);
  EXPECT_EQ(os.str().substr(os.str().size() - 25), ", node signature: 8388610");
  std::ostringstream es;
  es << empty;
  EXPECT_EQ(es.str().substr(es.str().size() - 2), ", ");
}

TEST(BddFindOrCreate, NormalisationAndReuse) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  bdd b = m.New_var_last("b");
  bdd_node* one = m.Bdd_node_one();
  int link = 1;
  EXPECT_EQ(m.Find_or_create_bdd_node(0, 1, -1, one, one, link), a.node());
  EXPECT_EQ(link, 1);
  EXPECT_EQ(m.Find_or_create_bdd_node(0, 1, 1, one, one, link), one);
  link = 1;
  EXPECT_EQ(m.Find_or_create_bdd_node(-1, -1, 1, nullptr, nullptr, link), one);
  EXPECT_EQ(link, -1);
  link = 1;
  EXPECT_EQ(m.Find_or_create_bdd_node(-2, 1, 1, one, one, link), nullptr);
  EXPECT_EQ(m.Bdd_total_size(), 4);

  link = 1;
  bdd_node* n = m.Find_or_create_bdd_node(0, -1, 1, b.node(), one, link);
  EXPECT_EQ(link, -1);
  EXPECT_EQ(n->else_link_type(), -1);
  EXPECT_EQ(n->global_id(), 4);
  EXPECT_EQ(n->nbrefs(), 1);
  int link2 = 1;
  bdd_node* n2 = m.Find_or_create_bdd_node(0, 1, -1, b.node(), one, link2);
  EXPECT_EQ(n2, n);
  EXPECT_EQ(link2, 1);
  EXPECT_EQ(n->nbrefs(), 2);
  EXPECT_EQ(m.Bdd_total_size(), 5);
}

TEST(BddFindOrCreateExit, OrderViolationAndUnknownVariable) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        bdd b = m.New_var_last("b");
        int link = 1;
        m.Find_or_create_bdd_node(1, 1, 1, b.node(), a.node(), link);
      }()),
      1,
      "^" + Literal_regex("FATAL ERROR: Bad call of bddpp_manager::Find_or_create_bdd_node():\n"
                          "  index 1 is not less than  its then node index (1)\n") + "$");
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        bdd a = m.New_var_last("a");
        bdd b = m.New_var_last("b");
        int link = 1;
        m.Find_or_create_bdd_node(1, 1, 1, m.Bdd_node_one(), a.node(), link);
      }()),
      1, Literal_regex("  index 1 is not less than  its else node index (0)\n"));
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m;
        m.New_var_last("a");
        int link = 1;
        m.Find_or_create_bdd_node(3, 1, -1, m.Bdd_node_one(), m.Bdd_node_one(), link);
      }()),
      1, Literal_regex("index 3 is not a variable of this manager"));
}

TEST(BddUniqueTable, GcKeepsLiveNodesAndAssociations) {
  bddpp_manager m;
  Make_vars(m, 4);
  bdd x0 = m.Bdd_var_by_index(0), x1 = m.Bdd_var_by_index(1), x2 = m.Bdd_var_by_index(2);
  bdd kept = m.Bdd_and(x1, x2);
  bdd_node* assoc_node;
  {
    bdd g = m.Bdd_or(x1, x2);
    m.Bdd_assoc_bdd_to_var(g, m.Bdd_var_by_index(3));
    assoc_node = g.node();
  }
  bdd_node* garbage;
  {
    bdd h = m.Bdd_and(x0, x2);
    garbage = h.node();
  }
  garbage->internal_nb_refs = 0;
  assoc_node->internal_nb_refs = 0;
  size_t before = m.internal_bdd_node_map->size();
  m.Bdd_gc();
  EXPECT_EQ(m.internal_bdd_node_map->size(), before - 1);
  EXPECT_EQ(m.internal_bdd_node_map->find(0, x2.node(), m.Bdd_node_one(), -1), nullptr);
  EXPECT_EQ(m.internal_assoc_var_table[3], assoc_node);
  EXPECT_EQ(m.Bdd_is_correct(kept), 1);
  // Own nodes stay even with no count.
  x0.node()->internal_nb_refs = 0;
  m.Bdd_gc();
  EXPECT_EQ(m.Bdd_var_by_index(0).node(), m.internal_variables_table[0]);
  // The same function afterwards gets a fresh node and id, and results stay right.
  bdd again = m.Bdd_and(x0, x2);
  EXPECT_EQ(Table(m, again, 3), "00000101");
  EXPECT_EQ(m.Bdd_is_correct(again), 1);
}

// Many keys through several growths, then erasures in creation order and re-insertions: every
// probe chain must stay whole, including the ones that wrap past the table's end.
TEST(BddUniqueTable, EraseAndGrowthKeepEveryKeyReachable) {
  bdd_node leaf;
  std::vector<std::unique_ptr<bdd_node>> nodes;
  bdd_unique_table table;
  const int n = 20000;
  auto key_else = [&](int i) { return i == 0 ? &leaf : nodes[i / 2].get(); };
  for (int i = 0; i < n; ++i) {
    nodes.emplace_back(new bdd_node(nullptr, i + 2, i % 7, 1, (i & 1) ? 1 : -1, &leaf, key_else(i)));
    table.insert_or_replace(nodes.back().get());
  }
  ASSERT_EQ(table.size(), static_cast<size_t>(n));
  auto present = [&](int i) {
    return table.find(i % 7, &leaf, key_else(i), (i & 1) ? 1 : -1) == nodes[i].get();
  };
  for (int i = 0; i < n; i += 3) table.erase(i % 7, &leaf, key_else(i), (i & 1) ? 1 : -1);
  EXPECT_EQ(table.size(), static_cast<size_t>(n - (n + 2) / 3));
  int wrong = 0;
  for (int i = 0; i < n; ++i) wrong += present(i) != (i % 3 != 0);
  EXPECT_EQ(wrong, 0);
  for (int i = 0; i < n; i += 3) table.insert_or_replace(nodes[i].get());
  wrong = 0;
  for (int i = 0; i < n; ++i) wrong += !present(i);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(table.nodes().size(), static_cast<size_t>(n));
}

TEST(BddUniqueTable, DupAndFreeWarn) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  CaptureStderr();
  bdd d = m.Bdd_dup(a);
  m.Bdd_free(a);
  EXPECT_EQ(GetCapturedStderr(),
            "Warning: bddpp_manager::Bdd_dup() is became useless ...\nbddpp_manager::Bdd_free() is now became useless\n");
  EXPECT_TRUE(d == a);
}

TEST(BddLookups, FailureValuesAndTexts) {
  bddpp_manager m, other;
  bdd a = m.New_var_last("a");
  bdd b = m.New_var_last("b");
  bdd foreign = other.New_var_last("z");

  EXPECT_EQ(m.Bdd_if_index(m.Bdd_one()), -1);
  EXPECT_EQ(m.Bdd_if_index(b), 1);
  EXPECT_EQ(m.Index_var_by_bdd(m.Bdd_not(b)), 1);
  CaptureStderr();
  EXPECT_EQ(m.Bdd_if_index(foreign), -3);
  EXPECT_EQ(m.Bdd_if_index(bdd()), -3);
  EXPECT_EQ(GetCapturedStderr(),
            "Error in bddpp_manager::Bdd_if_index(): bad Bdd manager or bdd not initialized!\n"
            "Error in bddpp_manager::Bdd_if_index(): bad Bdd manager or bdd not initialized!\n");

  EXPECT_EQ(m.Bdd_if_id(b), 1);
  EXPECT_EQ(m.Id_var_by_bdd(a), 0);
  EXPECT_EQ(m.Bdd_if_id(m.Bdd_zero()), -1);
  CaptureStderr();
  EXPECT_EQ(m.Bdd_if_id(foreign), -3);
  EXPECT_EQ(GetCapturedStderr(), "Error in bddpp_manager::Bdd_if_id(): bad Bdd manager or bdd not initialized!\n");
  m.internal_idtoindex_table.at(1) = 0;  // no id maps to index 1 any more
  CaptureStderr();
  EXPECT_EQ(m.Bdd_if_id(b), -3);
  EXPECT_EQ(GetCapturedStderr(), "Warning in bddpp_manager::Bdd_if_id(): id not found!\n");
  m.internal_idtoindex_table.at(1) = 1;

  EXPECT_TRUE(m.Bdd_var_by_index(-1) == m.Bdd_one());
  CaptureStderr();
  bdd out = m.Bdd_var_by_index(2);
  EXPECT_EQ(GetCapturedStderr(), "calling bddpp_manager::Bdd_var_by_index() with index= 2 :out of range!\n");
  EXPECT_EQ(out.node(), nullptr);
  CaptureStderr();
  EXPECT_EQ(m.Bdd_if_index(out), -3);
  GetCapturedStderr();
  CaptureStderr();
  EXPECT_TRUE(m.Bdd_var_by_id(-1) == m.Bdd_zero());
  EXPECT_EQ(GetCapturedStderr(), "calling bddpp_manager::Bdd_var_by_id() with id= -1 :out of range!\n");
  EXPECT_TRUE(m.Bdd_var_by_id(1) == b);

  EXPECT_TRUE(m.Bdd_var_by_name("b") == b);
  EXPECT_TRUE(m.Bdd_var_by_name("zz") == m.Bdd_zero());
  EXPECT_EQ(m.Index_var_by_name("zz"), -1);
  EXPECT_EQ(m.Id_var_by_name("b"), 1);
  EXPECT_EQ(m.Id_var_by_name("zz"), -1);

  EXPECT_EQ(m.Name_var_by_bdd(m.Bdd_one()), "1");
  EXPECT_EQ(m.Name_var_by_bdd(m.Bdd_zero()), "0");
  EXPECT_EQ(m.Name_var_by_bdd(m.Bdd_and(a, b)), "a");

  bdd f = m.Bdd_and(m.Bdd_not(a), b);
  EXPECT_TRUE(m.Bdd_if(f) == a);
  CaptureStderr();
  EXPECT_TRUE(m.Bdd_if(m.Bdd_one()) == m.Bdd_zero());
  EXPECT_EQ(GetCapturedStderr(), "\ncalling bddpp_manager::Bdd_if() with bdd index= -1 :out of range!\n");
}

TEST(BddLookupsExit, NameOfForeignHandle) {
  EXPECT_LIBRARY_EXIT(
      ([] {
        bddpp_manager m, other;
        m.New_var_last("a");
        bdd z = other.New_var_last("z");
        m.Name_var_by_bdd(z);
      }()),
      1,
      Literal_regex("error in bddpp_manager::Name_var_by_bdd()\nbdd defined by: adr manager= ") + ".*" +
          Literal_regex(", is not correct ...\n(typebdd = 0)\n"));
}

TEST(BddNames, RenamingAndFilters) {
  bddpp_manager m;
  m.New_var_last("a");
  m.New_var_last("_s_x");
  m.New_var_last("p@q");
  m.Rename_var("b", "a");
  EXPECT_EQ(m.Name_var_by_index(0), "b");
  EXPECT_EQ(m.Index_var_by_name("a"), 0);
  EXPECT_EQ(m.Index_var_by_name("b"), -1);
  CaptureStderr();
  m.Rename_var("b", "_s_x");
  EXPECT_EQ(GetCapturedStderr(), "in bdd_manager::Rename_var(): WARNING b ALREADY DEFINED !\nrenaming process aborted ...\n");
  EXPECT_EQ(m.Name_var_by_index(1), "_s_x");
  CaptureStderr();
  m.Rename_var("c", "nothing");
  EXPECT_EQ(GetCapturedStderr(), "in bdd_manager::Rename_var(): WARNING nothing NOT FOUND !\nrenaming process aborted ...\n");

  m.Replace_char_in_all_names('@', '_');
  EXPECT_EQ(m.Name_var_by_index(2), "p_q");
  m.No_begin_underscore_name();
  EXPECT_EQ(m.Name_var_by_index(1), "v_s_x");
  m.Change_name_by_index(2, "r");
  m.Change_name_by_id(0, "s");
  EXPECT_EQ(m.Name_var_by_index(2), "r");
  EXPECT_EQ(m.Name_var_by_index(0), "s");

  // Out-of-range indexes are refused instead of read.
  CaptureStderr();
  EXPECT_EQ(m.Name_var_by_index(3), "");
  EXPECT_EQ(m.Name_var_by_index(-1), "");
  m.Change_name_by_index(7, "t");
  m.Change_name_by_id(-2, "t");
  std::string err = GetCapturedStderr();
  EXPECT_NE(err.find("Name_var_by_index(): index 3 out of range!"), std::string::npos);
  EXPECT_NE(err.find("Change_name_by_index(): index 7 out of range!"), std::string::npos);
  EXPECT_NE(err.find("Change_name_by_id(): id -2 out of range!"), std::string::npos);

  // Renaming sees the names as they are now, whether it scans them (the first look-ups) or
  // reads its index (built once look-ups add up): of two variables of one name the first is
  // renamed, a name given up can be taken again, a variable made after the index can be
  // renamed, and a look-up at a hint falls back to creation names once anything was renamed.
  for (int warm : {0, 40}) {
    bddpp_manager r;
    for (int i = 0; i < warm; ++i) r.New_var_last("v" + std::to_string(i));
    for (int i = 0; i < warm; ++i) r.Rename_var("w" + std::to_string(i), "v" + std::to_string(i));
    const long b = warm;
    r.New_var_last("a");
    r.New_var_last("b");
    r.Change_name_by_index(b + 1, "a");
    r.Rename_var("u", "a");
    r.Rename_var("a2", "a");
    r.Rename_var("a", "u");
    EXPECT_EQ(r.Name_var_by_index(b), "a");
    EXPECT_EQ(r.Name_var_by_index(b + 1), "a2");
    r.New_var_last("c");
    r.Rename_var("c2", "c");
    CaptureStderr();
    r.Rename_var("a2", "c2");
    EXPECT_NE(GetCapturedStderr().find("a2 ALREADY DEFINED"), std::string::npos);
    r.Replace_char_in_all_names('2', '3');
    r.Rename_var("d", "c3");
    EXPECT_EQ(r.Name_var_by_index(b + 2), "d");
    EXPECT_EQ(r.Name_var_by_index(b + 1), "a3");
    EXPECT_EQ(r.Index_var_by_name("d", b + 2), -1);
    EXPECT_EQ(r.Index_var_by_name("c", b + 2), b + 2);
  }
  bddpp_manager fresh;
  fresh.New_var_last("a");
  EXPECT_EQ(fresh.Index_var_by_name("a", 0), 0);
  EXPECT_EQ(fresh.Index_var_by_name("a", 5), 0);

  std::string names[3] = {"ab", std::string(40, 'x'), "c"};
  EXPECT_EQ(String_table_memory_size(names, 0), 0u);
  EXPECT_GE(String_table_memory_size(names, 3), 42u);
  EXPECT_EQ(String_table_memory_size(names, 1), names[0].capacity());
}

TEST(BddNames, StubsSayAFaireAndCreateNothing) {
  bddpp_manager m;
  bdd a = m.New_var_last("a");
  CaptureStderr();
  EXPECT_TRUE(m.New_var_before(a, "n") == m.Bdd_zero());
  EXPECT_TRUE(m.New_var_after(a, "n") == m.Bdd_zero());
  EXPECT_TRUE(m.Bdd_swap_vars(a, a, a) == m.Bdd_zero());
  m.Bdd_var_reorder();
  m.Print_bdd_structure(stdout, a);
  EXPECT_EQ(GetCapturedStderr(),
            "bddpp_manager::New_var_before() A FAIRE\nbddpp_manager::New_var_after() A FAIRE\n"
            "bddpp_manager::Bdd_swap_vars(bdd f) A FAIRE\nbddpp_manager::Bdd_var_reorder(void) A FAIRE\n"
            "bddpp_manager::Print_bdd_structure(FILE * file,bdd f) A FAIRE\n");
  EXPECT_EQ(m.Nb_bdd_vars(), 1);
  EXPECT_EQ(m.Bdd_total_size(), 3);
}

#ifndef NDEBUG
TEST(BddManagerDeath, HandleOutlivingItsManagerIsCaught) {
  EXPECT_DEATH(
      ([] {
        auto* m = new bddpp_manager();
        bdd a = m->New_var_last("a");
        delete m;
      }()),
      "internal_live_handles == 0");
}
#endif
