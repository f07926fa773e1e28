// The C# generator: pieces of the class worked by hand for the module of the C tests, the
// data writers, and the file name and failure of its opener.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "gen_modules.h"
#include "sexception.h"
#include "test_scope.h"

namespace {

std::string csharp_text(Module* m) {
  std::ostringstream os;
  m->CSharp_put(os);
  return os.str();
}

}  // namespace

// Variables as in the C tests.
TEST(GenCSharp, ModuleNotFinalised) {
  GenDataScope data;
  std::string s = csharp_text(golden_module());
  EXPECT_EQ(text_between(s, "        // private", "        private void"),
            "        // private constants:\n        private const int K = 3;\n        private static readonly int K2;\n"
            "        /* global state variables */\n        bool  _s_R = true;\n\n");
  EXPECT_EQ(text_between(s, "        private void", "        public void"),
            "        private void G_reset_automaton( bool _s_SETG, bool _s_RESETG)\n        {\n"
            "            _s_R= true;\n        }\n\n");
  // The register is a field, found by its id although its name has no "v_s_".
  EXPECT_EQ(text_between(s, "        public void", "            bool[]"),
            "        public void G_automaton(string s)\n        {\n"
            "            bool _s_A  =  false;\n            bool _v_A  =  false;\n            bool _s_O  =  false;\n"
            "            bool _v_O  =  false;\n            bool _v_R  =  false;\n            bool _s_Rn  =  false;\n"
            "            bool _v_Rn  =  false;\n            bool _s_V;\n            bool _v_V;\n"
            "            bool _s_VData_v0;\n            bool _v_VData_v0;\n            bool _s_OData_o1;\n"
            "            bool _v_OData_o1;\n"
            "            int  _v_V_val = int_zero;\n            int  _s_V_val = int_zero;\n"
            "            int  _v_VData_v0_val = int_zero;\n            int  _s_VData_v0_val = int_zero;\n"
            "            int  _v_OData_o1_val = int_zero;\n            int  _s_OData_o1_val = int_zero;\n\n"
            "            int _s_A_val  = int_zero;\n            int _s_O_val  = int_zero;\n");
  // An input not named by an event keeps its false.
  EXPECT_EQ(text_between(s, "            for(", "   /* outputs"),
            "            for(int i = 0; i<evts.Count;i++)\n           {\n"
            "                if(evts[i].nameEvt == \"_s_A\")\n                {\n                     _s_A= true;\n"
            "                     _s_A_val = Convert.ToInt32(evts[i].evtValeur ) ;\n                }\n            }\n");
  EXPECT_EQ(text_between(s, "   if (_s_V)", "            _v_VData_v0="),
            "   if (_s_V) \n      {\n          if (_s_VData_v0) \n            {\n"
            "               _s_V_val = _s_A_val * 3;\n            }\n         else\n            {\n"
            "               _s_V_val = int_zero;\n            }\n         }\n");
  // The output's internal name is bound to its status variable; no "*" in the group.
  EXPECT_EQ(text_between(s, "            bool O =", "            /*----"),
            "            bool O = _s_O;\n            int O_val = _s_O_val;\n"
            "           if (O)\n              {\n                   if (_s_OData_o1) {O_val = _s_A_val + 1;}\n"
            "                else { O_val = int_zero;}\n              }\n"
            "\n         /* refresh registers */\n           _s_R= _s_Rn;\n\n");
  EXPECT_EQ(text_between(s, "           MyEvent", "        }\n"),
            "           MyEvent evt0= new MyEvent( \"O\",\"int\", Convert.ToString(O_val),Convert.ToString(O));\n"
            "            outputEvts.Add(evt0);\n            string format =\"\";\n"
            "            format = GA.serialize(outputEvts);\n            FiresendEvent(format);\n");
}

TEST(GenCSharp, ModuleWithoutInputsOutputsOrEquationSystem) {
  GenDataScope data;
  TestModule t("E");
  t.eq(t.local("L"), t.m->getSet());
  std::string s = csharp_text(t.date());
  EXPECT_EQ(s.find("for(int i"), std::string::npos);
  EXPECT_NE(s.find("           List<MyEvent> outputEvts = new List<MyEvent>(255);   \n        }\n"
                   "        /*-----------Delegate Methods & Events-------------------*/\n"),
            std::string::npos);
  Module n("N");
  n.getEquationTable()->setBddexpressionWood(nullptr);
  s = csharp_text(&n);
  EXPECT_EQ(text_between(s, "        // private", "@"),
            "        // private constants:\n        private const int K = 3;\n        private static readonly int K2;\n");
  // A method and a constant without value are the user's: the class is partial, and
  // not without them.
  EXPECT_NE(s.find("     public partial class N\n"), std::string::npos);
  Compilation::GDataMethodTable = nullptr;
  Compilation::GDataConstantTable = nullptr;
  EXPECT_NE(csharp_text(t.m).find("     public class E\n"), std::string::npos);
}

TEST(GenCSharp, DataWriters) {
  GenDataScope data;
  TestModule t("D");
  Signal *a = t.input("A", "int"), *o = t.output("O", "int");
  std::ostringstream cs, c;
  DataExpr* e = new DataBinaryOp(
      DataExpr::Or, new DataMethodCall(0, new std::list<DataExpr*>{new DataSignalValue(a)}),
      new DataUnaryOp(DataExpr::Uminus, new DataBinaryOp(DataExpr::Plus, new DataSignalValue(o), new DataConstant(0))));
  e->CSharp_put(cs, t.m);
  e->C_put(c, t.m);
  EXPECT_EQ(cs.str(), "twice(_s_A_val) |  - _s_O_val + K");
  EXPECT_EQ(c.str(), "twice(_s_A_val) |  -*_s_O_val + K");
  cs.str("");
  Compilation::GDataTypeTable->CSharp_put(cs);
  Compilation::GDataMethodTable->CSharp_put(cs);
  Compilation::GDataConstantTable->CSharp_put(cs, t.m);
  EXPECT_EQ(cs.str(), "public const int int_zero;\npublic int twice(int);\n\nprivate const int K = 3;\n"
                      "private static readonly int K2;\n");
  EXPECT_EQ(DataExpr::CSharp_opname(DataExpr::Not), " !");
  EXPECT_THROW(DataExpr::CSharp_opname(DataExpr::SignalVal), IllegalOperationException);
}

TEST(GenCSharp, FileNameAndFailure) {
  GenDataScope data;
  ScratchDir dir("gen_cs");
  RecordedBoxes boxes;
  Module::OutputDir = dir.path;
  TestModule t("F");
  t.eq(t.output("O"), t.input("A"));
  Module* m = t.date();
  for (const char* name : {"", "x.cs", "y", "z.cs.txt"}) {
    Module::OutputFile = name;
    m->printCSHARP();
  }
  for (const char* file : {"F.cs", "x.cs", "y.cs", "z.cs.txt"})
    EXPECT_EQ(read_text(dir.path + "/" + file).rfind(" using System; \n", 0), 0u) << file;
  Module::OutputDir = dir.path + "/none";
  Module::OutputFile = "";
  testing::internal::CaptureStderr();
  m->printCSHARP();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot open output file: F.cs: No such file or directory\n");
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Cannot open output file: F.cs: No such file or directory"});
}
