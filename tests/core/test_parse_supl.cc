// The .jxc reader's node table and its reconstruction: BDD nodes into the module's manager,
// equation records, evaluation nodes into data expressions and bindings, and the refusal of
// broken files (undefined, cyclic or out-of-range references).
#include <gtest/gtest.h>

#include <list>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "bddpp.h"
#include "data.h"
#include "library_exit.h"
#include "module.h"
#include "module_signal.h"
#include "parse_supl.h"
#include "sexception.h"

namespace {

class NodeTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* n : {"a", "b", "c"}) {
      Signal* s = new Signal(n, &m, w);
      m.addInputSignal(s);
      sig.push_back(s);
    }
  }
  long status(int i) { return sig[static_cast<size_t>(i)]->getInitialBddStatusId(&m, w); }
  bdd var(int i) { return man->Bdd_var_by_index(status(i)); }

  Module m{"t"};
  Bddexpressionwood* w = m.getBddWood();
  bddpp_manager* man = w->my_bdd_manager();
  std::vector<Signal*> sig;
  jxc_node_table table;
};

TEST_F(NodeTableTest, TerminalAndSingleVariable) {
  table.reset(4);
  ASSERT_TRUE(table.store(0, parsed_nodes_class(-1, -3, -3, 1)));
  ASSERT_TRUE(table.store(1, parsed_nodes_class(status(1), 0, 0, -1)));
  // Same function under another number: one manager node.
  ASSERT_TRUE(table.store(2, parsed_nodes_class(status(1), 0, 0, -1)));
  // A test whose two branches agree is no node of its own.
  ASSERT_TRUE(table.store(3, parsed_nodes_class(status(0), 1, 1, 1)));
  EXPECT_EQ(table.build(0, man), man->Bdd_node_one());
  EXPECT_EQ(table.build(1, man), var(1).node());
  EXPECT_EQ(table.build(2, man), table.build(1, man));
  EXPECT_EQ(table.build(3, man), var(1).node());
  EXPECT_FALSE(table.store(4, parsed_nodes_class(-1, -3, -3, 1)));
  EXPECT_FALSE(table.store(-1, parsed_nodes_class(-1, -3, -3, 1)));
}

TEST_F(NodeTableTest, SharedNodeBuiltOnceAndEquationsTakeTheLink) {
  // a & b as file nodes; equations on c's two rails with link 1 and -1.
  long a = status(0), b = status(1), c = status(2);
  table.reset(3);
  table.store(0, parsed_nodes_class(-1, -3, -3, 1));
  table.store(1, parsed_nodes_class(b, 0, 0, -1));
  table.store(2, parsed_nodes_class(a, 1, 0, -1));  // ite(a, b, false)
  jxc_bddexpression_convert(w, table, 1, 2, c, 2, 1, nullptr);
  Bddexpression* e = w->exp_by_index(c);
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->my_bdd_exp(), man->Bdd_and(var(0), var(1)));
  bdd_node* shared = table.get(1)->internal_bdd_node;
  jxc_bddexpression_convert(w, table, 1, 2, c + 1, 2, -1, nullptr);
  EXPECT_EQ(table.get(1)->internal_bdd_node, shared);
  ASSERT_NE(w->exp_by_index(c + 1), nullptr);
  EXPECT_EQ(w->exp_by_index(c + 1)->my_bdd_exp(), man->Bdd_not(man->Bdd_and(var(0), var(1))));
}

TEST_F(NodeTableTest, OutOfOrderNodesGiveTheCanonicalFunction) {
  // Node on b whose then child tests a (above it in the order): built through if-then-else.
  table.reset(3);
  table.store(0, parsed_nodes_class(-1, -3, -3, 1));
  table.store(1, parsed_nodes_class(status(0), 0, 0, -1));
  table.store(2, parsed_nodes_class(status(1), 1, 0, -1));
  bdd_node* n = table.build(2, man);
  EXPECT_EQ(bdd(man, 1, n), man->Bdd_and(var(0), var(1)));
}

TEST_F(NodeTableTest, ValueSignalRecord) {
  table.reset(0);
  std::list<long> ids{status(0), status(1)};
  jxc_bddexpression_convert(w, table, 0, 0, status(2), -3, 7, &ids);
  Bddexpression* e = w->exp_by_index(status(2));
  ASSERT_NE(e, nullptr);
  EXPECT_EQ(e->getAbstraction(), 1);
  EXPECT_EQ(e->set_of_var_dependances(), std::set<long>({status(0), status(1)}));
}

TEST_F(NodeTableTest, BrokenTablesAreRefused) {
  long a = status(0);
  EXPECT_THROW(table.reset(-1), jxc_file_error);
  table.reset(6);
  table.store(0, parsed_nodes_class(-1, -3, -3, 1));
  table.store(1, parsed_nodes_class(a, 0, 5, 1));    // else child never defined
  table.store(2, parsed_nodes_class(a, 2, 0, 1));    // its own then child
  table.store(3, parsed_nodes_class(a, 4, 0, 1));    // 3 -> 4 -> 3
  table.store(4, parsed_nodes_class(a, 0, 3, -1));
  table.store(5, parsed_nodes_class(man->Nb_bdd_vars(), 0, 0, 1));  // no such variable
  EXPECT_THROW(table.build(1, man), jxc_file_error);
  EXPECT_THROW(table.build(2, man), jxc_file_error);
  EXPECT_THROW(table.build(3, man), jxc_file_error);
  EXPECT_THROW(table.build(5, man), jxc_file_error);
  EXPECT_THROW(table.build(77, man), jxc_file_error);
  jxc_node_table links;
  links.reset(2);
  links.store(0, parsed_nodes_class(-1, -3, -3, 1));
  links.store(1, parsed_nodes_class(a, 0, 0, 0));  // link neither 1 nor -1
  EXPECT_THROW(links.build(1, man), jxc_file_error);
  // Equation records: unknown variable, bad link, undefined root, unknown dependence.
  EXPECT_THROW(jxc_bddexpression_convert(w, table, 0, 0, -1, 0, 1, nullptr), jxc_file_error);
  EXPECT_THROW(jxc_bddexpression_convert(w, table, 0, 0, man->Nb_bdd_vars(), 0, 1, nullptr), jxc_file_error);
  EXPECT_THROW(jxc_bddexpression_convert(w, table, 0, 0, a, 0, 2, nullptr), jxc_file_error);
  EXPECT_THROW(jxc_bddexpression_convert(w, table, 0, 0, a, 9, 1, nullptr), jxc_file_error);
  std::list<long> ids{man->Nb_bdd_vars() + 3};
  EXPECT_THROW(jxc_bddexpression_convert(w, table, 0, 0, a, -3, 1, &ids), jxc_file_error);
}

TEST_F(NodeTableTest, LongCycleIsFoundWithoutDeepRecursion) {
  const long n = 200000;
  table.reset(n);
  for (long k = 0; k < n; ++k) table.store(k, parsed_nodes_class(status(0), (k + 1) % n, k, 1));
  EXPECT_THROW(table.build(0, man), jxc_file_error);
}

TEST(NodeTableNoManager, ConvertExits) {
  Bddexpressionwood bare(static_cast<bddpp_manager*>(nullptr));
  jxc_node_table t;
  EXPECT_LIBRARY_EXIT(jxc_bddexpression_convert(&bare, t, 0, 0, 0, 0, 1, nullptr), 1,
                      "no bdd manager");
}

// ---------------------------------------------------------------------------------------------

class BindingTest : public NodeTableTest {
 protected:
  binding_declaration_parse decl(std::list<evalnodeparse> nodes, std::list<bindingparse> bindings = {}) {
    return binding_declaration_parse(bindings, nodes, &methods, &types, &constants);
  }
  static evalnodeparse node(long id, int kind, long table_id, long method = -1, std::list<long> args = {}) {
    evalnodeparse n(kind, table_id, method, args);
    n.nodeident = id;
    return n;
  }
  std::vector<int> methods{4};
  std::vector<int> types{0};
  std::vector<int> constants{7, 3};
};

TEST_F(BindingTest, ConstantsLinksAndOperators) {
  auto d = decl({node(1, evalnodeparse::LINK, 2), node(2, evalnodeparse::CONSTANTE, 1),
                 node(3, evalnodeparse::METHODE_PREDEFINIE, 0, 2 * 15 + 3, {1, 2}),
                 node(4, evalnodeparse::METHODE_PREDEFINIE, 0, 15 + 5, {3}),
                 node(5, evalnodeparse::METHODE_EXTERNE, 0, 0, {4, 2}), node(6, evalnodeparse::METHODE_EXTERNE, 0, 0),
                 node(2, evalnodeparse::CONSTANTE, 0)});
  DataExpr* c = d.dataexpr(1, &m);
  ASSERT_TRUE(dynamic_cast<DataConstant*>(c) != nullptr);
  EXPECT_EQ(static_cast<DataConstant*>(c)->getConstantIndex(), 3);  // first node 2 wins, mapped
  EXPECT_EQ(c->getIndex(), -1);
  auto* bin = dynamic_cast<DataBinaryOp*>(d.dataexpr(3, &m));
  ASSERT_NE(bin, nullptr);
  EXPECT_EQ(bin->getOp(), 3);
  EXPECT_EQ(bin->getLeft(), bin->getRight());  // one node, one shared expression
  auto* un = dynamic_cast<DataUnaryOp*>(d.dataexpr(4, &m));
  ASSERT_NE(un, nullptr);
  EXPECT_EQ(un->getOp(), 5);
  EXPECT_EQ(un->getOperand(), bin);
  auto* call = dynamic_cast<DataMethodCall*>(d.dataexpr(5, &m));
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->getMethodIndex(), 4);
  ASSERT_NE(call->getArgs(), nullptr);
  EXPECT_EQ(call->getArgs()->size(), 2u);
  auto* bare = dynamic_cast<DataMethodCall*>(d.dataexpr(6, &m));
  ASSERT_NE(bare, nullptr);
  EXPECT_EQ(bare->getArgs(), nullptr);
}

TEST_F(BindingTest, SignalValueWhateverTheTypeMultiple) {
  for (long code : {14L, 14L + 15L, 14L + 15L * 9}) {
    auto d = decl({node(0, evalnodeparse::METHODE_PREDEFINIE, 0, code, {status(1), status(1) + 1})});
    auto* v = dynamic_cast<DataSignalValue*>(d.dataexpr(0, &m));
    ASSERT_NE(v, nullptr) << code;
    EXPECT_EQ(v->getSignal(), sig[1]);
  }
}

TEST_F(BindingTest, MalformedNodesAreRefused) {
  auto d = decl({node(0, evalnodeparse::LINK, 1), node(1, evalnodeparse::LINK, 0),  // cycle
                 node(2, evalnodeparse::CONSTANTE, 2),                                 // undeclared constant
                 node(3, evalnodeparse::METHODE_EXTERNE, 0, 1),                        // undeclared method
                 node(4, evalnodeparse::METHODE_PREDEFINIE, 0, 14),                    // signal value, no id
                 node(5, evalnodeparse::METHODE_PREDEFINIE, 0, 14, {999}),             // no such signal
                 node(6, evalnodeparse::METHODE_PREDEFINIE, 0, 1, {2, 2, 2}),          // three operands
                 node(7, 9, 0),                                                        // unknown kind
                 node(8, evalnodeparse::METHODE_PREDEFINIE, 0, -1, {2}),               // negative code
                 node(9, evalnodeparse::METHODE_PREDEFINIE, 0, 1, {9, 9}), node(10, evalnodeparse::LINK, 42)});
  EXPECT_THROW(d.dataexpr(0, &m), jxc_file_error);
  EXPECT_THROW(d.dataexpr(2, &m), jxc_file_error);
  EXPECT_THROW(d.dataexpr(3, &m), jxc_file_error);
  EXPECT_THROW(d.dataexpr(4, &m), jxc_file_error);
  EXPECT_THROW(d.dataexpr(5, &m), jxc_file_error);
  EXPECT_THROW(d.dataexpr(6, &m), IllegalOperationException);
  EXPECT_THROW(d.dataexpr(7, &m), IllegalOperationException);
  EXPECT_THROW(d.dataexpr(8, &m), IllegalOperationException);
  EXPECT_THROW(d.dataexpr(9, &m), jxc_file_error);
  EXPECT_THROW(d.dataexpr(10, &m), IllegalOperationException);  // node_not_found
  binding_declaration_parse empty({}, {}, nullptr, nullptr, nullptr);
  EXPECT_THROW(empty.dataexpr(evalnodeparse(evalnodeparse::CONSTANTE, 0), &m), jxc_file_error);
}

TEST_F(BindingTest, DeepLinkChainIsRefusedNotOverflowed) {
  std::list<evalnodeparse> nodes;
  const long n = 50000;
  for (long k = 0; k < n; ++k) nodes.push_back(node(k, evalnodeparse::LINK, k + 1));
  nodes.push_back(node(n, evalnodeparse::CONSTANTE, 0));
  auto d = decl(nodes);
  EXPECT_THROW(d.dataexpr(0, &m), jxc_file_error);
  EXPECT_NE(d.dataexpr(n - 100, &m), nullptr);
}

TEST_F(BindingTest, SharedOperandsDoNotMultiply) {
  // Each node uses the previous one twice: 2^80 paths, 81 expressions.
  std::list<evalnodeparse> nodes{node(0, evalnodeparse::CONSTANTE, 0)};
  for (long k = 1; k <= 80; ++k) nodes.push_back(node(k, evalnodeparse::METHODE_PREDEFINIE, 0, 1, {k - 1, k - 1}));
  auto d = decl(nodes);
  auto* top = dynamic_cast<DataBinaryOp*>(d.dataexpr(80, &m));
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top->getLeft(), d.dataexpr(79, &m));
}

TEST_F(BindingTest, CreateBindingWithAndWithoutClock) {
  long b_value = status(1) + 1;
  auto d = decl({node(0, evalnodeparse::CONSTANTE, 0)},
                {bindingparse(status(0), status(0) + 1, 0, status(2), status(2) + 1),
                 bindingparse(status(1), b_value, 0), bindingparse(status(1), b_value, 0, 999, 1000)});
  d.createbinding(&m);
  DataBinding* ba = m.getBinding(sig[0]->getInternalName());
  ASSERT_NE(ba, nullptr);
  EXPECT_EQ(ba->getClock(), sig[2]);
  EXPECT_TRUE(sig[2]->is_clock);
  DataBinding* bb = m.getBinding(sig[1]->getInternalName());
  ASSERT_NE(bb, nullptr);
  EXPECT_EQ(bb->getClock(), nullptr);  // clock id naming no signal: none
  EXPECT_TRUE(sig[1]->is_value);

  auto bad = decl({node(0, evalnodeparse::CONSTANTE, 0)}, {bindingparse(999, 1000, 0)});
  EXPECT_THROW(bad.createbinding(&m), jxc_file_error);
}

// The binding section's look-ups by variable id find the signal Module::getSignalById finds,
// names colliding across the lists included (inputs and outputs match by original name first).
TEST_F(BindingTest, BindingLooksSignalsUpAsTheModuleDoes) {
  Signal* in = new Signal("q", "q_in", &m, w);  // its original name is a local's internal name
  m.addInputSignal(in);
  Signal* out = new Signal("r", "q_out", &m, w);
  m.addOutputSignal(out);
  Signal* data = new Signal("r", &m, w);  // the output's original name
  data->is_data = true;
  m.addDataSignal(data);
  for (const char* n : {"q", "q_out"}) {  // the input's original name, the output's internal one
    Signal* local = new Signal(n, &m, w);
    local->is_local = true;
    m.addLocalSignal(local);
  }
  long checked = 0;
  for (long id = 0; id < w->Nb_bdd_vars(); id += 2) {
    Signal* expected = m.getSignalById(id, w);
    if (expected == nullptr) continue;
    auto d = decl({node(0, evalnodeparse::CONSTANTE, 0)}, {bindingparse(status(0), status(0) + 1, 0, id, id + 1)});
    d.createbinding(&m);
    EXPECT_EQ(m.getBinding(sig[0]->getInternalName())->getClock(), expected) << id;
    ++checked;
  }
  EXPECT_EQ(checked, 7);  // the local "q_out" shares the output's occurrence
}

}  // namespace
