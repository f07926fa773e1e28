// Product and sum-of-products texts, the Esterel/VHDL/dk forms and the two-level tables.
#include <gtest/gtest.h>

#include <sstream>

#include "bddpp.h"

namespace {

class TextFormTest : public ::testing::Test {
 protected:
  bddpp_manager m;
  bdd a, b, f;
  void SetUp() override {
    a = m.New_var_last("a");
    b = m.New_var_last("b");
    f = m.New_var_last("f");
  }
  std::string sop(const char* o, const char* n, const char* no, const char* nc, const bdd& g, int method) {
    std::ostringstream os;
    m.Print_sop(o, n, no, nc, os, g, method);
    return os.str();
  }
};

TEST_F(TextFormTest, DebugAndOperatorTexts) {
  std::ostringstream os;
  Print_debug_bdd(os, m.Bdd_or(a, b));
  EXPECT_EQ(os.str(), "a + !a . b");
  os.str("");
  Print_debug_bdd(os, m.Bdd_xor(a, b));
  EXPECT_EQ(os.str(), "a . !b + !a . b");
  EXPECT_EQ(sop("+", "*", "!", "", m.Bdd_or(a, b), 1), "a+b");
  EXPECT_EQ(sop(" + ", ".", "", "'", m.Bdd_and(m.Bdd_not(a), b), 1), "a'.b");
  EXPECT_EQ(m.Print_product_to_String(" and ", "not ", "", m.Bdd_and(a, m.Bdd_and(m.Bdd_not(b), f))),
            "a and not b and f");
  EXPECT_EQ(m.Print_sop_to_String_pref_suff(" + ", ".", "!", "", m.Bdd_and(a, m.Bdd_not(b)), "<", ">", 0),
            "<a>.!<b>");
  os.str("");
  m.Print_product_pref_suff(".", "~", "", os, m.Bdd_not(b), "x_", "");
  m.Print_product(".", "~", "", os, m.Bdd_one());
  EXPECT_EQ(os.str(), "~x_b1");
}

TEST_F(TextFormTest, ConstantsUnderEveryMethod) {
  for (int method = 0; method < 4; ++method) {
    EXPECT_EQ(sop(" + ", ".", "!", "", m.Bdd_zero(), method), "0") << method;
    EXPECT_EQ(sop(" + ", ".", "!", "", m.Bdd_one(), method), "1") << method;
  }
  EXPECT_EQ(m.Print_product_to_String(".", "!", "", m.Bdd_zero()), "0");
  // method 3 writes method 0's cover (never an empty one)
  EXPECT_EQ(m.Print_sop_to_String(" + ", ".", "!", "", m.Bdd_or(a, b), 3), "a + !a.b");
}

TEST_F(TextFormTest, EsterelAndVhdl) {
  EXPECT_EQ(m.Print_sop_to_ESTEREL_String(m.Bdd_zero(), 1), "not tick");
  EXPECT_EQ(m.Print_sop_to_ESTEREL_String(m.Bdd_one(), 1), "tick");
  EXPECT_EQ(m.Print_sop_to_ESTEREL_String(m.Bdd_and(a, m.Bdd_not(b)), 1), "a and not b");
  EXPECT_EQ(m.Print_sop_to_ESTEREL_String(m.Bdd_or(a, b), 0), "a or not a and b");
  EXPECT_EQ(m.Print_sop_to_VHDL_String(m.Bdd_zero(), 0), "'0'");
  EXPECT_EQ(m.Print_sop_to_VHDL_String(m.Bdd_one(), 0), "'1'");
  EXPECT_EQ(m.Print_sop_to_VHDL_String(m.Bdd_and(a, m.Bdd_not(b)), 1), "a and not b");
  EXPECT_EQ(m.Print_sop_to_VHDL_String(m.Bdd_or(a, b), 1), "(a) or (b)");
  EXPECT_EQ(m.Print_sop_to_VHDL_String(m.Bdd_or(a, b), 0), "(a) or (not a and b)");
}

TEST(TextFormDkTest, IndexedVariables) {
  bddpp_manager m;
  bdd x0 = m.New_var_last("x0"), x1 = m.New_var_last("x1"), x2 = m.New_var_last("x2");
  std::ostringstream os;
  m.Print_dksop(" || ", " && ", "!", "", os, m.Bdd_and(x0, m.Bdd_not(x2)), "s", 0);
  EXPECT_EQ(os.str(), "s[0] && !s[2]");
  os.str("");
  m.Print_dksop(" || ", " && ", "!(", ")", os, m.Bdd_or(x1, x2), "s", 1);
  EXPECT_EQ(os.str(), "s[1] || s[2]");
  os.str("");
  m.Print_dksop(" || ", " && ", "!", "", os, m.Bdd_zero(), "s", 0);
  m.Print_dkproduct(" && ", "!", "", os, m.Bdd_one(), "s");
  m.Print_dkproduct(" && ", "!", "", os, m.Bdd_zero(), "s");
  EXPECT_EQ(os.str(), "010");
}

TEST_F(TextFormTest, BlifAndJxcTables) {
  std::ostringstream os;
  m.BLIF_print(os, f, m.Bdd_or(a, b), 1);
  EXPECT_EQ(os.str(), ".names  a b f\n1- 1\n-1 1\n");
  os.str("");
  m.BLIF_print(os, f, m.Bdd_or(a, b), 3);
  EXPECT_EQ(os.str(), ".names  a b f\n1- 1\n01 1\n");
  os.str("");
  m.BLIF_print(os, f, m.Bdd_one(), 1);
  m.BLIF_print(os, f, m.Bdd_zero(), 0);
  EXPECT_EQ(os.str(), ".names  f\n1\n.names  f\n0\n");

  long renumber[3] = {0, 1, 2};
  os.str("");
  m.JXC_print(os, renumber, f, m.Bdd_or(a, b), 1);
  EXPECT_EQ(os.str(), "0 1 2:\n1 -  1,\n- 1  1;\n");
  os.str("");
  m.JXC_print(os, renumber, f, m.Bdd_one(), 1);
  EXPECT_EQ(os.str(), "2:\n1;\n");
  long file_numbers[3] = {6, 7, 4};
  os.str("");
  m.JXC_print(os, file_numbers, f, m.Bdd_and(m.Bdd_not(a), b), 0);
  EXPECT_EQ(os.str(), "6 7 4:\n0 1  1;\n");
}

TEST_F(TextFormTest, TableTextsAndRows) {
  std::ostringstream os;
  m.PLA_print_pref_suff(os, f, m.Bdd_and(a, m.Bdd_not(b)), "[", "]", "H ", " E\n", "|\n", ".\n", ",", 0);
  EXPECT_EQ(os.str(), "H [a] [b] [f] E\n1,0, 1.\n");
  os.str("");
  m.PLA_print_pref_suff(os, f, m.Bdd_xor(a, b), "", "", "", ":", "/", ";", "", 0);
  EXPECT_EQ(os.str(), "a b f:10 1/01 1;");
}

TEST_F(TextFormTest, RenamedTableOfAConstantDefinedBddIsRefused) {
  long renumber[3] = {0, 1, 2};
  std::ostringstream os;
  testing::internal::CaptureStderr();
  m.JXC_print(os, renumber, m.Bdd_one(), a, 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("defined bdd is not a variable"), std::string::npos) << err;
  EXPECT_EQ(os.str(), "0 :\n1  1;\n");
}

}  // namespace
