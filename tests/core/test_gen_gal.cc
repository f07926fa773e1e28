// The encapsulated GAL description: the interface of a module that is not finalised, of a
// finalised one with neither inputs nor outputs and of one compiled from source (with the
// Esterel, dovk and SMV interfaces), and the file opener's failure.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "gen_modules.h"
#include "source_harness.h"
#include "test_scope.h"

namespace {

std::string gal_text(Module* m) {
  std::ostringstream s;
  m->ENCAPSULATEDGAL_put(s);
  return s.str();
}

const char* const EmptySections = R"(Local:
;

Variable:
;

Run:
;

Function:
;

Constant:
;

Action:
;

Encapsulation:
;
)";

}  // namespace

// Value rails are listed only when not finalised; data, local and register signals never.
TEST(GenGal, InterfaceSections) {
  TestModule t("S");
  Signal* a = t.input("A");
  Signal* o = t.output("O");
  Signal* l = t.local("L");
  t.reg("R", 1, "Rn");
  t.m->addDataSignal(new Signal("D", t.m, t.w));
  t.eq(l, a);
  t.eq(o, l);
  EXPECT_EQ(gal_text(t.date()), std::string(R"(Name: S: jexa_model:;

Type:
;

Input:
 _s_SETS, _s_RESETS: pure, 
_s_A: pure, 
_v_A: pure
;

Sensor:
;

Output:
_s_RTLS: pure, 
_s_O:pure, 
_v_O: pure
;

)") + EmptySections);

  TestModule e("E");
  e.m->setFinalised(1);
  EXPECT_EQ(gal_text(e.m), std::string("Name: E: jexa_model:;\n\nType:\n;\n\nInput:\n;\n\nSensor:\n;\n\nOutput:\n;\n\n") +
                               EmptySections);
}

// A module compiled from source, whose pauses give its outputs later occurrences: the GAL,
// Esterel, dovk and SMV interfaces name each output by its occurrence 0, which gathers them.
TEST(GenGal, InterfacesOfACompiledSourceNameOutputsByTheirFirstOccurrence) {
  SourceHarness src("module Src: Input: I, J; Output: O, P, Q;\n"
                    "loop { { present I emit O else emit P } >> pause >> { present J emit Q || emit O } >> pause }\nend");
  src.build("Src");
  Module* m = src.module("Src");
  EXPECT_NE(gal_text(m).find("Output:\nO: pure, \nP: pure, \nQ: pure\n;\n"), std::string::npos) << gal_text(m);
  std::ostringstream esterel, dovk;
  m->ESTEREL_put(esterel, 0);
  EXPECT_NE(esterel.str().find("output O, v_v_O, P, v_v_P, Q, v_v_Q ;\n"), std::string::npos) << esterel.str();
  testing::internal::CaptureStderr();
  m->DOVKCC_put(dovk, 0);
  testing::internal::GetCapturedStderr();
  Bddexpressionwood* w = m->getBddWood();
  Signal* o = m->getOutputSignal("O");
  EXPECT_EQ(w->Name_var_by_index(o->getInitialBddStatusId(m, w)), "O");
  std::string start = "if(_c[" + std::to_string(o->getInitialBddStatusId(m, w)) + "])\n  {\n    out=START;";
  EXPECT_NE(dovk.str().find(start), std::string::npos) << dovk.str();
  std::ostringstream smv;
  m->NUSMV_put(smv, 0, 0);
  EXPECT_NE(smv.str().find("VAR\nO: boolean;\nv_v_O: boolean;\nP: boolean;\nv_v_P: boolean;\nQ: boolean;\n"), std::string::npos)
      << smv.str();
  EXPECT_NE(smv.str().find("\nO := "), std::string::npos) << smv.str();
}

TEST(GenGal, UnopenableFileIsReportedAndNothingWritten) {
  ScratchDir dir;
  GenDataScope scope;
  RecordedBoxes boxes;
  TestModule t("S");
  Module::OutputFile = dir.path + "/none/S";
  testing::internal::CaptureStderr();
  t.m->printENCAPSULATEDGAL();
  std::string shown = "Cannot open output file: " + dir.path + "/none/S.gal: No such file or directory";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), shown + "\n");
  ASSERT_EQ(boxes.texts.size(), 1u);
  EXPECT_EQ(boxes.texts[0], shown);
  Module::OutputFile = dir.path + "/S.gal.txt";
  t.m->printENCAPSULATEDGAL();
  EXPECT_EQ(read_text(Module::OutputFile), gal_text(t.m));
}
