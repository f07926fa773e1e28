// Explicit automata compiled and run reaction by reaction, their encoding, and the checks
// that end the compilation. Expected colours are worked by hand from the equations: with
// Set only start transitions fire; a state's Moore outputs read the next-state registers;
// a transition's actions read the current ones.
#include <gtest/gtest.h>

#include <string>

#include "automaton_builder.h"
#include "compilation.h"
#include "module.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"
#include "test_scope.h"

namespace {

class Automata : public ::testing::Test {
 protected:
  Module* m() { return h.module(); }
  Automaton* automaton() { return new Automaton(h.name("Au"), m()); }
  ReactionHarness h;
};

TEST_F(Automata, TwoStateToggleFollowsItsInput) {
  // Codes A=1, B=2 on k=2 bits. Set loads A; then I moves between A and B, else the state
  // stays. O is A's Moore output, P is B's.
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  Automaton* a = automaton();
  addToggle(a, i, o, p, true);
  h.build(a);
  EXPECT_EQ(Automaton::findState(a->state_table, "A")->code, 1);
  EXPECT_EQ(Automaton::findState(a->state_table, "B")->code, 2);
  ASSERT_EQ(a->registerCount(), 2);
  EXPECT_EQ(a->currentRegister(0)->getInternalName(), "reg0top");
  EXPECT_NE(m()->getLocalSignal("reg1nexttop"), nullptr);
  EXPECT_EQ(h.run({"I=T", "I=T", "", "I=F", "I=T"}), (Trace{"O=T P=B", "O=B P=T", "O=B P=T", "O=B P=T", "O=T P=B"}));
}

TEST_F(Automata, WeakTransitionYieldsToTheStrongOneAndEmitsItsSource) {
  // A --I--> B (strong, action X) and A ==J==> C (weak, action Y). With I and J the strong
  // one fires alone; with J alone the weak one fires, and A's Moore O is still emitted in
  // the instant it is weakly left. Three states: k = 3.
  auto build = [this](ReactionHarness& r) {
    Signal* i = r.input("I");
    Signal* j = r.input("J");
    Signal* o = r.output("O");
    Signal* p = r.output("P");
    Signal* q = r.output("Q");
    Signal* x = r.output("X");
    Signal* y = r.output("Y");
    Automaton* a = new Automaton(r.name("Au"), r.module());
    State* sa = addState(a, "A", {o});
    State* sb = addState(a, "B", {p});
    State* sc = addState(a, "C", {q});
    addStart(a, sa);
    addArc(a, sa, sb, i, Transition::strong_kind, {x});
    addArc(a, sa, sc, j, Transition::weak_kind, {y});
    r.build(a);
    EXPECT_EQ(a->registerCount(), 3);
    EXPECT_EQ(sc->code, 3);
  };
  build(h);
  EXPECT_EQ(h.run({"", "I=T J=T", ""}),
            (Trace{"O=T P=B Q=B X=B Y=B", "O=B P=T Q=B X=T Y=B", "O=B P=T Q=B X=B Y=B"}));
  ReactionHarness weak;
  build(weak);
  EXPECT_EQ(weak.run({"", "J=T", "J=T"}),
            (Trace{"O=T P=B Q=B X=B Y=B", "O=T P=B Q=T X=B Y=T", "O=B P=B Q=T X=B Y=B"}));
}

TEST_F(Automata, FinalStateEndsTheAutomatonAndTheSequenceGoesOn) {
  // RTL is raised by the transition that enters the final state F, and by a transition
  // that carries the final flag without a target (J).
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Signal* d = h.output("D");
  Automaton* a = automaton();
  State* sa = addState(a, "A", {o});
  State* sf = addState(a, "F");
  sf->final = true;
  addStart(a, sa);
  addArc(a, sa, sf, i);
  h.build(new Sequence(h.name("Q"), m(), a, new Emit(h.name("E"), m(), d)));
  EXPECT_EQ(h.run({"", "", "I=T", "", "I=T"}), (Trace{"O=T D=B", "O=T D=B", "O=B D=T", "O=B D=B", "O=B D=B"}));

  // A transition that carries the final flag and has no target ends it too.
  ReactionHarness flagged;
  Signal* j = flagged.input("J");
  Signal* e = flagged.output("D");
  Automaton* b = new Automaton(flagged.name("Au"), flagged.module());
  State* sb = addState(b, "A");
  addStart(b, sb);
  addArc(b, sb, nullptr, j)->final = true;
  flagged.build(new Sequence(flagged.name("Q"), flagged.module(), b, new Emit(flagged.name("E"), flagged.module(), e)));
  EXPECT_EQ(flagged.run({"", "J=T", "J=T"}), (Trace{"D=B", "D=T", "D=B"}));
}

TEST_F(Automata, EnclosingLoopRestartsTheAutomatonThroughItsOwnSet) {
  // loop { weak abort { A --J--> B } when I }: the abort can end in its start instant, so
  // the loop doubles its body and the automaton is copied (registers named apart). Each
  // abort kills one copy (Reset without Set: code 0) and starts the other by its own Set.
  Signal* i = h.input("I");
  Signal* j = h.input("J");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  Automaton* a = automaton();
  addToggle(a, j, o, p, false);
  h.build(new Loop(h.name("L"), m(), new Abort(h.name("A"), m(), i, a)));
  EXPECT_EQ(h.run({"", "J=T", "I=T", "J=T", "I=T", ""}),
            (Trace{"O=T P=B", "O=B P=T", "O=T P=B", "O=B P=T", "O=T P=B", "O=T P=B"}));
  EXPECT_NE(m()->getLocalSignal("reg0top"), nullptr);
  int automata_registers = 0;
  for (Signal* s : *m()->getLocalSignalList())
    if (s->getInternalName().rfind("reg0top", 0) == 0 && s->getInternalName().find("next") == std::string::npos)
      ++automata_registers;
  EXPECT_EQ(automata_registers, 2);
}

TEST_F(Automata, TwoAutomataInOneModuleHaveTheirOwnRegisters) {
  // The second keeps the module's register names suffixed with its statement name.
  Signal* i = h.input("I");
  Signal* j = h.input("J");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  Automaton* first = automaton();
  Automaton* second = automaton();
  addToggle(first, i, nullptr, o, true);
  addToggle(second, j, nullptr, p, true);
  h.build(new Parallel(h.name("Par"), m(), first, second));
  EXPECT_EQ(second->currentRegister(0)->getInternalName(), "reg0top_" + second->getName());
  EXPECT_EQ(h.run({"", "I=T", "J=T", "I=T J=T"}), (Trace{"O=B P=B", "O=T P=B", "O=T P=T", "O=B P=B"}));
}

TEST_F(Automata, WithoutAnEnabledStartTransitionItStaysInactive) {
  // Set with I false enables no start transition: code 0, as every free region of the
  // encoding; later I alone starts nothing. A normal termination from a state that runs
  // no module only warns.
  RecordedBoxes boxes;
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Automaton* a = automaton();
  State* sa = addState(a, "A", {o});
  addStart(a, sa, i);
  addArc(a, sa, sa, nullptr, Transition::termination_kind);
  h.build(a);
  EXPECT_EQ(h.run({"I=F", "I=T", ""}), (Trace{"O=B", "O=B", "O=B"}));
  ASSERT_FALSE(boxes.texts.empty());
  EXPECT_EQ(boxes.texts[0], "Warning: No found Run module about state A: Normal Terminaison has no effect ...");
}

TEST_F(Automata, StateRunningAModuleEndsByNormalTermination) {
  // M: pause >> emit B. State A runs M from its entry (R1); M emits B and terminates in
  // R2, where the normal-termination transition A -->> C fires and C's Moore Q starts.
  Module* callee = new Module("M");
  Signal* b = new Signal("B", callee, callee->getBddWood());
  b->is_output = true;
  callee->addOutputSignal(b);
  callee->addBodyStatement(new Sequence("MQ", callee, new Pause("MPS", callee), new Emit("ME", callee, b)));
  Compilation::ModTable->add(callee);
  Signal* o = h.output("B");
  Signal* q = h.output("Q");
  Automaton* a = automaton();
  State* sa = addState(a, "A");
  sa->run = new ::Run(h.name("R"), m(), "M");
  State* sc = addState(a, "C", {q});
  addStart(a, sa);
  addArc(a, sa, sc, nullptr, Transition::termination_kind);
  h.build(a);
  EXPECT_EQ(h.run({"", "", ""}), (Trace{"B=B Q=B", "B=T Q=T", "B=B Q=T"}));
  (void)o;
}

}  // namespace
