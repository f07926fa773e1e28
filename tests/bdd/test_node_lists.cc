// Shared node lists (renumbered and named), the variable dump and the fixed-point report.
#include <gtest/gtest.h>

#include <list>
#include <sstream>
#include <vector>

#include "bddpp.h"
#include "library_exit.h"

namespace {

class NodeListTest : public ::testing::Test {
 protected:
  bddpp_manager m;
  bdd a, b;
  void SetUp() override {
    a = m.New_var_last("a");
    b = m.New_var_last("b");
  }
  std::string list_text(std::list<bdd> l, long* renumber) {
    std::ostringstream os;
    if (renumber != nullptr)
      m.Print_bdds_list_by_nodes_list(os, l, renumber);
    else
      m.Print_bdds_list_by_nodes_list(os, l);
    return os.str();
  }
  std::string fixes_points(const bdd& f) {
    std::ostringstream os;
    m.Print_Fixes_Points(os, f);
    return os.str();
  }
};

TEST_F(NodeListTest, RenumberedLists) {
  long identity[2] = {0, 1};
  EXPECT_EQ(list_text({a}, identity), "2\n0: 0:1:1,-1\n1: -1:-3:-3,1\n");
  EXPECT_EQ(list_text({m.Bdd_one()}, identity), "1\n0: -1:-3:-3,1\n");
  long renumber[2] = {5, 7};
  bdd ab = m.Bdd_and(a, b);
  const std::string expected = "3\n0: 5:1:2,-1\n1: 7:2:2,-1\n2: -1:-3:-3,1\n";
  EXPECT_EQ(list_text({ab, b}, renumber), expected);
  EXPECT_EQ(b.node()->local_id(), 1);  // the second root is shared: local id 1
  EXPECT_EQ(list_text({m.Bdd_not(ab), b}, renumber), expected);
  EXPECT_EQ(list_text({ab, ab, b, m.Bdd_not(b)}, renumber), expected);
}

TEST_F(NodeListTest, SecondRootNumberedAfterTheFirst) {
  long identity[2] = {0, 1};
  bdd x = m.Bdd_xor(a, b);
  EXPECT_EQ(list_text({b, x}, identity),
            "3\n0: 1:1:1,-1\n1: -1:-3:-3,1\n2: 0:0:0,-1\n");
}

TEST_F(NodeListTest, NamedListsAndSingleBdds) {
  bdd ab = m.Bdd_and(a, b);
  EXPECT_EQ(list_text({ab}, nullptr),
            "bdd_vars: \na,b;\nbdd_nodes: \n0: 0:1:2,-1\n1: 1:2:2,-1\n2: -1:-3:-3,1\n");
  std::ostringstream os;
  m.Print_bdd_by_nodes_list(os, ab);
  EXPECT_EQ(os.str(), "nombre de noeud trouves: 3\n0: 0:1:2,-1\n1: 1:2:2,-1\n2: -1:-3:-3,1\n");
  long renumber[2] = {8, 9};
  os.str("");
  m.Print_bdd_by_nodes_list(os, ab, renumber);
  EXPECT_EQ(os.str(), "0: 8:1:2,-1\n1: 9:2:2,-1\n2: -1:-3:-3,1\n");
  bddpp_manager empty;
  std::list<bdd> l{empty.Bdd_zero()};
  os.str("");
  empty.Print_bdds_list_by_nodes_list(os, l);
  EXPECT_EQ(os.str(), "bdd_vars: \n;\nbdd_nodes: \n0: -1:-3:-3,1\n");
}

// Parity over 64 variables: 65 nodes, 2^64 paths; the list must visit each node once.
TEST(NodeListParityTest, SharedGraphIsWrittenOncePerNode) {
  bddpp_manager m;
  std::vector<long> renumber;
  for (int i = 0; i < 64; ++i) {
    m.New_var_last("x" + std::to_string(i));
    renumber.push_back(2 * i);
  }
  bdd parity = m.Bdd_zero();
  for (int i = 63; i >= 0; --i) parity = m.Bdd_xor(m.Bdd_var_by_index(i), parity);  // linear bottom-up
  std::list<bdd> l{parity};
  std::ostringstream os;
  m.Print_bdds_list_by_nodes_list(os, l, renumber.data());
  std::istringstream in(os.str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "65");
  int records = 0;
  while (std::getline(in, line)) ++records;
  EXPECT_EQ(records, 65);
}

using NodeListExitTest = NodeListTest;

TEST_F(NodeListExitTest, VariableWithoutFileNumberIsFatal) {
  long renumber[2] = {0, -1};
  std::list<bdd> l{m.Bdd_and(a, b)};
  std::ostringstream os;
  EXPECT_LIBRARY_EXIT(m.Print_bdds_list_by_nodes_list(os, l, renumber), 1,
                      "INTERNAL ERROR in bddpp_manager::Print_bdd_by_nodes_list_loc\\(\\):\n"
                      "  variable b \\(index 1\\) has no "
                      "number in the renumbering table\n");
}

TEST_F(NodeListTest, VariableDump) {
  std::ostringstream os;
  m.debug_variables(os);
  EXPECT_EQ(os.str(), "a --> a\nb --> b\n");
  m.Bdd_assoc_bdd_to_var(m.Bdd_not(b), a);
  os.str("");
  m.debug_variables(os);
  EXPECT_EQ(os.str(), "a --> not b\nb --> b\n");
}

TEST_F(NodeListTest, FixedPointReports) {
  EXPECT_EQ(fixes_points(m.Bdd_one()), " = 1\n");
  EXPECT_EQ(fixes_points(m.Bdd_and(a, b)), "\n  ==> two stability points : b'= 0, b''= a");
  EXPECT_EQ(fixes_points(m.Bdd_or(a, b)), "\n  ==> two stability points : b'= a, b''= 1");
  EXPECT_EQ(fixes_points(m.Bdd_not(b)), "\n  ==> oscillation on b  for 1\n  ==> stabilisation when b = 0\n");
  EXPECT_EQ(fixes_points(m.Bdd_xor(a, b)), "\n  ==> oscillation on b  for a\n  ==> stabilisation when b = a'\n");
}

}  // namespace
