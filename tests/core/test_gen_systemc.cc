// The SystemC generator: pieces of the body worked by hand for the module of the C tests,
// and the signal-assignment form of the equations.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "gen_equations.h"
#include "gen_modules.h"

// Variables as in the C tests; every name by the current occurrence (occurrence 0 here).
TEST(GenSystemC, ModuleNotFinalised) {
  GenDataScope data;
  Module* m = golden_module();
  std::ostringstream body, header;
  testing::internal::CaptureStderr();
  m->SYSTEMC_put(body, header);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "K\nK2\n");
  std::string b = body.str();
  EXPECT_EQ(b.rfind("#include \"G_sc.h\"\n#define false 0\n", 0), 0u);
  EXPECT_NE(header.str().find("extern void G_automaton(int _s_A, int _s_A_val, int  _v_A, int _v_A_val, int*_s_O, "
                              "int* _s_O_val, int*_v_O, int* _v_O_val);\n"),
            std::string::npos);
  // Output value rails are left out of the local flags, being parameters here; the valued
  // local is named by its status rail.
  EXPECT_EQ(text_between(b, "{\n  int", "  static int"),
            "{\n  int _v_R;\n  int _s_Rn;\n  int _v_Rn;\n  int _s_V;\n  int _v_V;\n"
            "  int _s_VData_v0;\n  int _v_VData_v0;\n  int _s_OData_o1;\n  int _v_OData_o1;\n"
            "  int  _s_V_val = int_zero;\n");
  EXPECT_NE(b.find("];\n\n//Data Handling\n//-------------\n  /* outputs computing */\n"), std::string::npos);
  // The local's value as soon as its presence and its emission's are computed, as in the C;
  // the output's after every equation.
  EXPECT_EQ(text_between(b, "   _s_VData_v0= ", "   _v_VData_v0= "),
            "   _s_VData_v0= _s_A;\n"
            "   if (_s_V) \n      {\n          if (_s_VData_v0) \n            {\n"
            "               _s_V_val = _s_A_val * 3;\n            }\n         else\n            {\n"
            "               _s_V_val = int_zero;\n            }\n         }\n");
  EXPECT_EQ(text_between(b, "if (*_s_O)", "\n  /* refresh"),
            "if (*_s_O)  {\n  if (_s_OData_o1) {*_s_O_val = _s_A_val + 1;}\n   else { *_s_O_val = int_zero;}\n}\n");
}

// In a finalised module the output value rails are local flags again.
TEST(GenSystemC, FinalisedOutputValueRailsAreLocalFlags) {
  TestModule t("S");
  t.eq(t.output("O"), t.input("A"));
  Module* m = t.date();
  testing::internal::CaptureStderr();
  m->finalize(0);
  testing::internal::GetCapturedStderr();
  std::ostringstream body, header;
  m->SYSTEMC_put(body, header);
  EXPECT_NE(body.str().find("  int v_v_O;\n"), std::string::npos) << body.str();
  EXPECT_NE(body.str().find("   v_v_O= v_v_A;\n"), std::string::npos);
  // Without a data table the equations follow the node array.
  EXPECT_NE(body.str().find("];\n\n   S_node[1]= !0;\n"), std::string::npos);
}

TEST(GenSystemC, SignalAssignments) {
  TestModule t("S");
  Signal *a = t.input("A"), *b = t.input("B");
  t.eq(t.local("L"), new AndExpression(a, new NotExpression(b)));
  std::ostringstream os;
  Put_systemc(*t.date()->getBddWood(), os, 0);
  EXPECT_EQ(os.str(), "    _s_L <= _s_A && _v_B;\n    _v_L <= _v_A || ! _v_A && _s_B;\n");
}
