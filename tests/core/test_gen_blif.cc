// The generated BLIF read by berkeley-abc and yosys with the module's counts of inputs,
// outputs and latches, and its logic proved equivalent (abc cec) to the same equations
// written as the BDD package's own two-level tables.
#ifdef ZARIM_HAVE_ENGINE
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>

#include "../bibliocpp/tool_run.h"
#include "gen_circuits.h"
#include "gen_targets.h"
#include "library_exit.h"
#include "test_scope.h"

namespace {

size_t rail_count(std::list<Signal*>* l) { return l == nullptr ? 0 : l->size(); }

// The generated header (model, inputs, outputs, latches), then every equation as the
// BDD package's two-level table.
std::string reference_blif(Module* m, const std::string& generated) {
  std::ostringstream s;
  s << generated.substr(0, generated.find(".names"));
  Bddexpressionwood* w = m->getBddWood();
  for (long id : w->earliest_sort())
    if (Bddexpression* e = w->slot(id)) {
      w->my_bdd_manager()->BLIF_print(s, e->bdd_var, e->bdd_exp, 1);
      s << "\n";
    }
  s << ".end\n";
  return s.str();
}

class GenBlif : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    if (!tool_present("berkeley-abc") || !tool_present("yosys")) GTEST_SKIP() << "berkeley-abc or yosys missing";
  }
  ScratchDir dir;
};

}  // namespace

TEST_P(GenBlif, ToolsReadTheNetlistAndProveItsLogic) {
  Module* m = finalised(circuit(GetParam()));
  std::ostringstream text;
  m->BLIF_put(text, 1);
  std::string gen = dir.path + "/gen.blif", ref = dir.path + "/ref.blif";
  write_text(gen, text.str());
  write_text(ref, reference_blif(m, text.str()));
  int inputs = static_cast<int>(rail_count(m->getInputSignalList()));
  int outputs = static_cast<int>(rail_count(m->getOutputSignalList()));
  int latches = static_cast<int>(m->getRegisterList()->size());
  for (BlifCounts c : {abc_counts(gen), yosys_counts(gen)}) {
    EXPECT_EQ(c.inputs, inputs) << text.str();
    EXPECT_EQ(c.outputs, outputs);
    EXPECT_EQ(c.latches, latches);
  }
  ToolResult cec = run_tool("berkeley-abc -c 'cec " + gen + " " + ref + "' 2>&1");
  EXPECT_NE(cec.output.find("Networks are equivalent"), std::string::npos) << cec.output << read_text(ref);
}

INSTANTIATE_TEST_SUITE_P(Circuits, GenBlif, ::testing::Range(0, 8));

// Data signals and no inputs: the data signals open the inputs line and drive their
// nets, finalised or not; the file opener writes under OutputDir.
TEST(GenBlifData, DataSignalsWithoutInputsAreInputs) {
  if (!tool_present("berkeley-abc") || !tool_present("yosys")) GTEST_SKIP() << "berkeley-abc or yosys missing";
  ScratchDir dir;
  GenDataScope scope;
  for (bool finalise : {false, true}) {
    TestModule t("Dat");
    Signal* d = new Signal("D", t.m, t.w);
    t.m->addDataSignal(d);
    Signal* o = t.output("O");
    t.eq(o, and_(d, t.m->getSet()));
    Module* m = t.date();
    if (finalise) finalised(m);
    Module::OutputDir = dir.path;
    Module::OutputFile = "";
    m->printBLIF();
    std::string path = dir.path + "/Dat.blif";
    std::string text = read_text(path);
    EXPECT_EQ(text.substr(0, text.find("\n.outputs")),
              finalise ? ".model Dat\n.inputs D" : ".model Dat\n.inputs _s_SETDat _s_RESETDat _s_D _v_D")
        << text;
    BlifCounts a = abc_counts(path), y = yosys_counts(path);
    int inputs = finalise ? 1 : 4;
    EXPECT_EQ(a.inputs, inputs) << text;
    EXPECT_EQ(y.inputs, inputs) << text;
  }
}

TEST(GenBlifExitTest, NoEquationTableEndsTheProcess) {
  TestModule t("X");
  t.m->compilation = nullptr;
  std::ostringstream os;
  EXPECT_LIBRARY_EXIT(
      {
        RecordedBoxes boxes;
        t.m->BLIF_put(os, 1);
      },
      1,
              "ERROR in Module::BLIF_put\\(\\): no equationtable defined!");
}
#endif
