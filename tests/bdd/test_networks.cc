// Node networks: golden texts of each notation, sharing through marks, VHDL inputs, and the C
// and BLIF networks checked by a real compiler and a real logic tool when they are installed.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "bddpp.h"
#include "tool_on_path.h"

namespace {

class NetworkTest : public ::testing::Test {
 protected:
  bddpp_manager m;
  bdd a, b;
  void SetUp() override {
    a = m.New_var_last("a");  // global id 2
    b = m.New_var_last("b");  // global id 3
  }
  std::string c_form(const bdd& f) {
    std::ostringstream os;
    m.Print_node_for_eval(" || ", " && ", "!", "", "", "", "0", ";", "n", os, f.node());
    return os.str();
  }
};

TEST_F(NetworkTest, CArrayForm) {
  bdd ab = m.Bdd_and(a, b);
  ASSERT_EQ(ab.node()->global_id(), 4);
  m.Bdd_global_clear_marks();
  EXPECT_EQ(c_form(ab), "  n[3]= b;\n   n[1]= !0;\n  n[4]= a && n[3] || !a && !n[1];\n");
  EXPECT_EQ(c_form(ab), "");  // every node already marked
  m.Bdd_global_clear_marks();
  EXPECT_EQ(c_form(m.Bdd_not(ab)), "  n[3]= b;\n   n[1]= !0;\n  n[4]= a && n[3] || !a && !n[1];\n");
  m.Bdd_global_clear_marks();
  EXPECT_EQ(c_form(a), "  n[2]= a;\n");  // a bare variable writes no terminal
}

TEST_F(NetworkTest, ScalarFormsAndIndents) {
  bdd ab = m.Bdd_and(a, b);
  std::ostringstream os;
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_arrayless(" || ", " && ", "!", "", "", "", "0", ";", "n", os, ab.node());
  EXPECT_EQ(os.str(), "  n_3= b;\n   n_1= !0;\n  n_4= a && n_3 || !a && !n_1;\n");
  os.str("");
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval(" or ", " and ", "not ", "", "i.", "", "false", ";", "\t", "n", os, ab.node());
  EXPECT_EQ(os.str(), "\tn[3]= i.b;\n\tn[1]= not false;\n\tn[4]= i.a and n[3] or not i.a and not n[1];\n");
  os.str("");
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_arrayless("|", "&", "~(", ")", "", "", "F", "", "    ", "v", os, ab.node());
  EXPECT_EQ(os.str(), "    v_3= b\n    v_1= ~(F)\n    v_4= a&v_3|~(a)&~(v_1)\n");
}

TEST_F(NetworkTest, NusmvVhdlAndBlifForms) {
  bdd ab = m.Bdd_and(a, b);
  std::ostringstream os;
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_NUSMV("", "", "   ", "node", os, ab.node());
  EXPECT_EQ(os.str(), "   node_3:= b;\n   node_1:= !0;\n   node_4:= a & node_3 | !a & !node_1;\n");
  os.str("");
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_VHDL("", "", "s", os, ab.node());
  EXPECT_EQ(os.str(),
            "      s(3) <= b;\n      s(1) <= '1';\n      s(4) <= (a and s(3)) or (not a and not s(1));\n");
  os.str("");
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_BLIF("", "", "n", os, ab.node());
  EXPECT_EQ(os.str(), ".names b n_3\n1 1\n\n.names n_1\n1\n\n.names a n_3 n_1 n_4\n11- 1\n0-0 1\n\n");
  EXPECT_EQ(ab.vhdl_node_name("s"), "s(4)");
  EXPECT_EQ(m.Bdd_not(ab).vhdl_node_name("s"), "not s(4)");
  EXPECT_EQ(bdd().vhdl_node_name("s"), "");
}

TEST(NetworkSharingTest, SharedChildWrittenOnce) {
  bddpp_manager m;
  bdd a = m.New_var_last("a"), b = m.New_var_last("b");
  bdd x = m.Bdd_xor(a, b);
  ASSERT_EQ(x.node()->global_id(), 6);
  std::ostringstream os;
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_NUSMV("", "", "   ", "node", os, x.node());
  EXPECT_EQ(os.str(), "   node_3:= b;\n   node_6:= a & node_3 | !a & !node_3;\n");
  // a second network without clearing leaves out what the first wrote
  os.str("");
  m.Print_node_for_eval_BLIF("", "", "n", os, m.Bdd_and(b, x).node());
  EXPECT_EQ(os.str().find(".names b n_3"), std::string::npos);
  os.str("");
  m.Print_node_for_eval_VHDL("", "", "s", os, x.node());
  EXPECT_EQ(os.str(), "");
}

TEST_F(NetworkTest, VhdlInputs) {
  bdd unused = m.New_var_last("c");  // no BDD besides its own node uses c
  std::ostringstream os;
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_VHDL_reset_input("s", os, "a");
  m.Print_node_for_eval_VHDL_input("i_", "_o", "s", os, "zz");
  EXPECT_EQ(os.str(), "      s(2) <= '0';\n");
  os.str("");
  m.Print_node_for_eval_VHDL("", "", "s", os, a.node());  // reset marked nothing
  EXPECT_EQ(os.str(), "      s(2) <= a;\n");
  m.Bdd_global_clear_marks();
  os.str("");
  m.Print_node_for_eval_VHDL_input("i_", "_o", "s", os, "a");
  m.Print_node_for_eval_VHDL_input("", "", "s", os, "c");
  EXPECT_EQ(os.str(), "      s(2) <= i_a_o;\n      s(4) <= c;\n");
  os.str("");
  m.Print_node_for_eval_VHDL("", "", "s", os, m.Bdd_and(a, b).node());
  EXPECT_EQ(os.str(), "      s(3) <= b;\n      s(1) <= '1';\n      s(5) <= (a and s(3)) or (not a and not s(1));\n");
  os.str("");
  m.Print_node_for_eval_VHDL("", "", "s", os, a.node());
  EXPECT_EQ(os.str(), "");  // the input assignment stands for it
}

// ---------------------------------------------------------------------------------------------
// Networks run by real tools
// ---------------------------------------------------------------------------------------------

class NetworkToolTest : public ::testing::Test {
 protected:
  bddpp_manager m;
  bdd v[4];
  bdd f1, f2;
  std::string dir;
  void SetUp() override {
    const char* names[4] = {"a", "b", "c", "d"};
    for (int i = 0; i < 4; ++i) v[i] = m.New_var_last(names[i]);
    bdd maj = m.Bdd_or(m.Bdd_and(v[0], v[1]), m.Bdd_and(v[2], m.Bdd_or(v[0], v[1])));
    f1 = m.Bdd_xor(maj, m.Bdd_not(v[3]));
    f2 = m.Bdd_or(m.Bdd_and(v[0], m.Bdd_not(v[2])), m.Bdd_xor(v[1], v[3]));
    ASSERT_EQ(f1.link_type(), 1);  // one plain and one complemented root
    ASSERT_EQ(f2.link_type(), -1);
    std::string tmpl = testing::TempDir() + "bddnetXXXXXX";
    char* made = mkdtemp(&tmpl[0]);
    ASSERT_NE(made, nullptr);
    dir = made;
  }
  void TearDown() override {
    if (!dir.empty()) {
      EXPECT_EQ(std::system(("rm -rf '" + dir + "'").c_str()), 0);
    }
  }
  static int expected1(int a, int b, int c, int d) { return ((a & b) | (c & (a | b))) ^ !d; }
  static int expected2(int a, int b, int c, int d) { return (a && !c) || (b ^ d); }
  static std::string run(const std::string& command) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (p == nullptr) return out;
    char buf[256];
    while (fgets(buf, sizeof buf, p) != nullptr) out += buf;
    pclose(p);
    return out;
  }
  std::string root(const bdd& f, const std::string& name) {
    return (f.link_type() == 1 ? "" : "!") + name;
  }
};

TEST_F(NetworkToolTest, CNetworksComputeTheFunction) {
  if (std::system("gcc --version > /dev/null 2>&1") != 0) {
    GTEST_SKIP() << "no C compiler";
  }
  std::string expected;
  for (int k = 0; k < 16; ++k) {
    int a = k & 1, b = (k >> 1) & 1, c = (k >> 2) & 1, d = (k >> 3) & 1;
    expected += std::to_string(expected1(a, b, c, d)) + std::to_string(expected2(a, b, c, d)) + "\n";
  }
  for (bool arrayless : {false, true}) {
    std::ostringstream body;
    m.Bdd_global_clear_marks();  // one clearing: both networks share their nodes
    const char* stem = "n";
    for (const bdd* f : {&f1, &f2}) {
      if (arrayless) {
        m.Print_node_for_eval_arrayless(" || ", " && ", "!", "", "", "", "0", ";", stem, body, f->node());
      } else {
        m.Print_node_for_eval(" || ", " && ", "!", "", "", "", "0", ";", stem, body, f->node());
      }
    }
    std::ostringstream program;
    program << "#include <stdio.h>\nint main(void) {\n";
    if (arrayless) {
      for (long g = 1; g < m.Bdd_total_size(); ++g) program << "  int n_" << g << " = 0; (void)n_" << g << ";\n";
    } else {
      program << "  int n[" << m.Bdd_total_size() << "];\n";
    }
    auto name = [&](const bdd& f) {
      std::string id = std::to_string(f.node()->global_id());
      return root(f, arrayless ? "n_" + id : "n[" + id + "]");
    };
    program << "  for (int k = 0; k < 16; ++k) {\n"
            << "    int a = k & 1, b = (k >> 1) & 1, c = (k >> 2) & 1, d = (k >> 3) & 1;\n"
            << body.str() << "    printf(\"%d%d\\n\", " << name(f1) << ", " << name(f2) << ");\n  }\n"
            << "  return 0;\n}\n";
    std::string src = dir + "/net.c", exe = dir + "/net";
    std::ofstream(src) << program.str();
    ASSERT_EQ(std::system(("gcc -o '" + exe + "' '" + src + "'").c_str()), 0) << program.str();
    EXPECT_EQ(run("'" + exe + "'"), expected) << program.str();
  }
}

TEST_F(NetworkToolTest, BlifNetworkIsEquivalentToTheSumOfProducts) {
  if (!tool_on_path("berkeley-abc")) {
    GTEST_SKIP() << "berkeley-abc absent";
  }
  bdd o1 = m.New_var_last("f1"), o2 = m.New_var_last("f2");
  std::ostringstream net, ref;
  const std::string header = ".inputs a b c d\n.outputs f1 f2\n";
  net << ".model net\n" << header;
  m.Bdd_global_clear_marks();
  m.Print_node_for_eval_BLIF("", "", "n", net, f1.node());
  m.Print_node_for_eval_BLIF("", "", "n", net, f2.node());
  net << ".names n_" << f1.node()->global_id() << " f1\n" << (f1.link_type() == 1 ? "1" : "0") << " 1\n";
  net << ".names n_" << f2.node()->global_id() << " f2\n" << (f2.link_type() == 1 ? "1" : "0") << " 1\n";
  net << ".end\n";
  ref << ".model ref\n" << header;
  m.BLIF_print(ref, o1, f1, 1);
  m.BLIF_print(ref, o2, f2, 2);
  ref << ".end\n";
  std::ofstream(dir + "/net.blif") << net.str();
  std::ofstream(dir + "/ref.blif") << ref.str();
  std::string out = run("cd '" + dir + "' && berkeley-abc -c 'cec net.blif ref.blif' 2>&1");
  EXPECT_NE(out.find("Networks are equivalent"), std::string::npos) << out << net.str() << ref.str();
}

}  // namespace
