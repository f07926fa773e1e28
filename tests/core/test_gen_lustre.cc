// The Lustre generator: the node of a small module worked by hand, the name checks of a
// module with typed values, the finalised header and the data texts.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "gen_printers.h"
#include "gen_text_checks.h"
#include "sexception.h"

namespace {

std::string lustre(Module* m) {
  std::ostringstream os;
  m->LUSTRE_put(os, 0);
  return os.str();
}


}  // namespace

// O = A and R is written over nodes 10 (R), 1 (true) and 16: A and R or not A and false;
// its value rail (v_A or not v_A and v_R) over 11 and 17. Every node written is declared.
TEST(GenLustre, SmallModule) {
  GenDataScope data;
  EXPECT_EQ(lustre(small_module()),
            "node S(_s_SETS:bool; _s_RESETS:bool; _s_A:bool; _v_A:bool)\n"
            "     returns (_s_RTLS:bool; _s_O:bool; _v_O:bool);\n\n"
            "var\n_s_R,\n_v_R,\n_s_Rn,\n_v_Rn: bool;\n"
            "  S_node_1: bool;\n  S_node_10: bool;\n  S_node_11: bool;\n  S_node_12: bool;\n"
            "  S_node_16: bool;\n  S_node_17: bool;\n"
            "let\n\n"
            "  _s_R= true->pre(_s_Rn);\n\n"
            "  -- outputs computing\n"
            "  S_node_10= _s_R;\n"
            "   _v_R= not S_node_10;\n"
            "   _s_Rn= _s_A;\n"
            "   S_node_1= not false;\n"
            "  S_node_16= _s_A and S_node_10 or not _s_A and not S_node_1;\n"
            "   _s_O= S_node_16;\n"
            "  S_node_12= _s_Rn;\n"
            "   _v_Rn= not S_node_12;\n"
            "  S_node_11= _v_R;\n"
            "  S_node_17= _v_A and S_node_1 or not _v_A and S_node_11;\n"
            "   _v_O= S_node_17;\n"
            "\ntel\n");
}

// Every name read is declared once before the body, every variable has one equation:
// a local valued by two emissions gets one conditional, the later emission first; an
// output's value is read without "*".
TEST(GenLustre, NamesDeclaredOnceAndDefinedOnce) {
  GenDataScope data;
  Module* m = checked_module();
  std::string text = lustre(m);
  EXPECT_EQ(check_lustre(text).faults(), "") << text;
  EXPECT_EQ(text.find("*_s"), std::string::npos);
  EXPECT_NE(text.find("  _s_V_val =         if (_s_VData_w1)  then  _s_A_val\n"
                      "        else  if (_s_VData_v0)  then  _s_A_val * 3\n"
                      "        else 0;\n"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("  _s_O_val =         if (_s_OData_o2)  then  _s_V_val + 1\n        else 0;\n"),
            std::string::npos);
  finalise_quietly(m);
  text = lustre(m);
  EXPECT_EQ(check_lustre(text).faults(), "") << text;
}

// A finalised module: no Set, Reset or RTL, no value-rail parameter, a dummy parameter
// for no input; a valued output without a binding is its zero.
TEST(GenLustre, FinalisedHeader) {
  GenDataScope data;
  TestModule t("F");
  t.eq(t.output("O", "int"), new TrueExpression());
  Module* m = t.date();
  finalise_quietly(m);
  std::string text = lustre(m);
  EXPECT_EQ(text.substr(0, text.find("\n\n")), "node F(useless : bool)\n     returns (O:bool; O_val:int);") << text;
  EXPECT_EQ(check_lustre(text).faults(), "") << text;
}

// The zeros of the predefined types are literals: the type table declares none for them.
TEST(GenLustre, DataTexts) {
  GenDataScope data;
  std::ostringstream os;
  Compilation::GDataTypeTable->addType("T");
  Compilation::GDataTypeTable->LUSTRE_put(os);
  Compilation::GDataConstantTable->LUSTRE_put(os, nullptr);
  EXPECT_EQ(os.str(), "const T T_zero;\nconst int K = 3;\nextern const int K2;\n");
  std::ostringstream e;
  DataExpr* x = new DataMethodCall(0, new std::list<DataExpr*>{new DataUnaryOp(DataExpr::Not, new DataConstant(0))});
  DataBinaryOp(DataExpr::Neq, x, int_literal("2")).LUSTRE_put(e, nullptr);
  EXPECT_EQ(e.str(), "twice( notK) <> 2");
  EXPECT_THROW(DataExpr::LUSTRE_opname(14), IllegalOperationException);
  EXPECT_EQ(zero_lustre("real"), "0.0");
  EXPECT_EQ(zero_lustre("bool"), "false");
}
