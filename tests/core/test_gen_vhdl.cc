// The generated VHDL analysed and elaborated by ghdl; a testbench drives 100 random
// reactions and every output agrees with the simulator engine reaction by reaction.
#ifdef ZARIM_HAVE_ENGINE
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "../bibliocpp/tool_run.h"
#include "gen_circuits.h"
#include "gen_targets.h"
#include "random_checks.h"
#include "source_harness.h"
#include "test_scope.h"

namespace {

// m's design driven by rs under ghdl prints the presences that the simulator's engine
// gives, its data conditions driven as the engine's value server answered.
void expect_design_agrees(Module* m, const std::vector<Reaction>& rs, const std::string& dir, int flavour = 0) {
  testing::internal::CaptureStderr();  // the requests
  EngineRun engine = run_engine(m, rs);
  testing::internal::GetCapturedStderr();
  TargetRun run = vhdl_target(m, rs, engine, dir, flavour);
  ASSERT_TRUE(run.accepted && run.report.empty()) << run.report;
  EXPECT_EQ(run.printed, engine.presences);
}

class GenVhdl : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!tool_present("ghdl")) GTEST_SKIP() << "ghdl is not installed";
  }
  ScratchDir dir;
};

}  // namespace

TEST_P(GenVhdl, SimulatedDesignAgreesWithTheSimulator) {
  Module* m = finalised(circuit(GetParam()));
  expect_design_agrees(m, random_inputs(m, 11u + static_cast<unsigned>(GetParam())), dir.path);
}

// A module compiled from source: the ports of its outputs are their occurrence 0, which
// gathers the later occurrences its pauses open, as the simulator reads them.
TEST(GenVhdlSource, DesignOfACompiledSourceAgreesWithTheSimulator) {
  if (!tool_present("ghdl")) GTEST_SKIP() << "ghdl is not installed";
  ScratchDir dir;
  SourceHarness src("module Src: Input: I, J; Output: O, P, Q;\n"
                    "loop { { present I emit O else emit P } >> pause >> { present J emit Q || emit O } >> pause }\nend");
  src.build("Src");
  Module* m = src.module("Src");
  expect_design_agrees(m, random_inputs(m, 5u), dir.path);
}

// VHDL ignores letter case: of the rails of the register q and the output Q of a Mealy
// machine, the later declared is renamed wherever it is written, in both flavours.
TEST(GenVhdlSource, NamesDifferingOnlyInCaseAreRenamedAndAgreeWithTheSimulator) {
  if (!tool_present("ghdl")) GTEST_SKIP() << "ghdl is not installed";
  ScratchDir dir;
  SourceHarness src("module Cq: Input: T; Output: Q;\nMealy Machine\nRegister: q : 0 : qn;\n"
                    "qn = (q and abs T) or (abs q and T);\nQ = (q and abs T) or (abs q and T);\nend");
  src.build("Cq");
  Module* m = src.module("Cq");
  // The value rail v_v_q after v_v_Q: "_1" would fold to the rail v_v_Q_1 of Q's occurrence 1.
  std::ostringstream design;
  m->VHDL_put(design, 0);
  EXPECT_NE(design.str().find("signal v_v_Q : bit;\nsignal v_s_q : bit;\nsignal v_v_q_2 : bit;\n"), std::string::npos)
      << design.str();
  for (int flavour : {0, 1}) {
    SCOPED_TRACE(flavour);
    expect_design_agrees(m, random_inputs(m, 9u), dir.path, flavour);
  }
}

// The std_logic flavour through the file opener, and the design of a module that is not
// finalised (names beginning with "_", the Set and Reset ports), both elaborated.
TEST_P(GenVhdl, FileOpenerAndUnfinalisedDesignsElaborate) {
  GenDataScope scope;
  bool altera = Compilation::VHDLALTERAFlag;
  Compilation::VHDLALTERAFlag = true;
  Module* m = circuit(GetParam());
  std::ostringstream raw;
  m->VHDL_put(raw, 0);
  write_text(dir.path + "/raw.vhdl", raw.str());
  ToolResult r = ghdl_elaborate(dir.path, {"raw.vhdl"}, m->getName());
  EXPECT_EQ(r.status, 0) << r.output << raw.str();
  finalised(m);
  Module::OutputFile = dir.path + "/" + m->getName();
  m->printVHDL();
  Compilation::VHDLALTERAFlag = altera;
  std::string text = read_text(dir.path + "/" + m->getName() + ".vhdl");
  EXPECT_NE(text.find("USE ieee.std_logic_1164.all;"), std::string::npos);
  r = ghdl_elaborate(dir.path, {m->getName() + ".vhdl"}, m->getName());
  EXPECT_EQ(r.status, 0) << r.output << text;
}

INSTANTIATE_TEST_SUITE_P(Circuits, GenVhdl, ::testing::Range(0, 8));

// Inputs named like the added ports, a keyword and a doubled underscore are written as
// extended identifiers; an unopenable file is reported and nothing is written.
TEST(GenVhdlNames, ReservedNamesElaborateAndUnopenableFileIsReported) {
  if (!tool_present("ghdl")) GTEST_SKIP() << "ghdl is not installed";
  ScratchDir dir;
  TestModule t("Nm");
  Signal *reset = t.input("reset"), *in = t.input("in"), *odd = t.input("x__y");
  Signal* clk = t.output("clk");
  t.eq(clk, and_(reset, or_(in, odd)));
  Module* m = finalised(t.date());
  std::ostringstream design;
  m->VHDL_put(design, 1);
  EXPECT_NE(design.str().find("\\reset\\, \\in\\, \\x__y\\, reset, clk: in std_logic;"), std::string::npos)
      << design.str();
  write_text(dir.path + "/nm.vhdl", design.str());
  ToolResult r = ghdl_elaborate(dir.path, {"nm.vhdl"}, "Nm");
  EXPECT_EQ(r.status, 0) << r.output << design.str();

  GenDataScope scope;
  RecordedBoxes boxes;
  Module::OutputFile = dir.path + "/missing/x";
  testing::internal::CaptureStderr();
  m->printVHDL();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Cannot open output file: " + dir.path + "/missing/x.vhdl: No such file or directory\n");
  EXPECT_EQ(boxes.texts.size(), 1u);
}
// A data condition is an input port of the entity, after the inputs, in both flavours, as in
// the BLIF: driven with the engine's values of "#Split > limit", Over rises when it holds.
TEST(GenVhdlSource, DataConditionIsAPortDrivenAsTheSimulatorComputesIt) {
  if (!tool_present("ghdl")) GTEST_SKIP() << "ghdl is not installed";
  ScratchDir dir;
  SourceHarness src("data: Type: int; Constant: int limit := 10; end data\n"
                    "module Lim: Input: Split: int, G; Output: Over, Under;\n"
                    "loop { { present Split { if #Split > limit emit Over else emit Under }\n"
                    "         else { present G emit Under } } >> pause }\nend\n");
  src.build("Lim");
  Module* m = src.module("Lim");
  ASSERT_EQ(m->getDataSignalList()->size(), 1u);
  Bddexpressionwood* w = m->getBddWood();
  std::string condition = w->Name_var_by_index(m->getDataSignalList()->front()->getInitialBddStatusId(m, w));
  std::ostringstream design;
  m->VHDL_put(design, 0);
  EXPECT_NE(design.str().find("  port(Split, G, " + condition + ", reset, clk: in bit;\n"), std::string::npos)
      << design.str();
  EXPECT_EQ(design.str().find("signal " + condition + " :"), std::string::npos);
  std::vector<Reaction> rs = random_inputs(m, 4u);
  testing::internal::CaptureStderr();
  std::string outputs = run_engine(m, rs).outputs;
  testing::internal::GetCapturedStderr();
  EXPECT_NE(outputs.find("1 0 \n"), std::string::npos) << outputs;  // Over rises
  for (int flavour : {0, 1}) {
    SCOPED_TRACE(flavour);
    expect_design_agrees(m, rs, dir.path, flavour);
  }
}

// Random programs with data conditions (random_program.h): each design that compiles (a
// child process tells a causality cycle) agrees with the simulator.
class GenVhdlRandom : public ::testing::TestWithParam<int> {};

TEST_P(GenVhdlRandom, DesignsOfRandomProgramsAgreeWithTheSimulator) {
  if (!tool_present("ghdl")) GTEST_SKIP() << "ghdl is not installed";
  ScratchDir dir;
  RecordedBoxes boxes;
  check_random_modules(GetParam(), [&](Module* m, unsigned seed) {
    expect_design_agrees(m, random_inputs(m, seed), dir.path);
  });
}

INSTANTIATE_TEST_SUITE_P(Programs, GenVhdlRandom, ::testing::Range(0, 12));
#endif
