// Statement trees compiled, finalised and run reaction by reaction. The expected colours
// are worked by hand from each statement's equations (see the comments), not recorded
// from a run.
#include <gtest/gtest.h>

#include <string>

#include "module.h"
#include "module_signal.h"
#include "reaction_harness.h"
#include "signal_manager.h"
#include "statement_control.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

namespace {

class Reactions : public ::testing::Test {
 protected:
  Module* m() { return h.module(); }
  Statement* emit(Signal* s) { return new Emit(h.name("E"), m(), s); }
  Statement* pause() { return new Pause(h.name("PS"), m()); }
  Statement* seq(Statement* a, Statement* b) { return new Sequence(h.name("Q"), m(), a, b); }
  Statement* seq(Statement* a, Statement* b, Statement* c) { return new Sn(h.name("Sn"), m(), {a, b, c}); }
  Statement* loop(Statement* body) { return new Loop(h.name("L"), m(), body); }
  Statement* weakAbort(Statement* body, Signal* z) { return new Abort(h.name("A"), m(), z, body); }

  ReactionHarness h;
};

}  // namespace

TEST_F(Reactions, EmitIsTrueInTheStartInstantOnly) {
  // RTL := SET; O |= Cond(True, RTL): true with Set (R1), bottom after.
  Signal* o = h.output("O");
  h.build(emit(o));
  EXPECT_EQ(h.run({"", "", ""}), (Trace{"O=T", "O=B", "O=B"}));
}

TEST_F(Reactions, PauseThenEmitEmitsInTheNextInstant) {
  // ACTIFPLUS := SET & !RESET in R1, so RTL := ACTIF in R2 starts the emission.
  Signal* o = h.output("O");
  h.build(seq(pause(), emit(o)));
  EXPECT_EQ(h.run({"", "", ""}), (Trace{"O=B", "O=T", "O=B"}));
}

TEST_F(Reactions, LoopedPauseEmitsInEveryInstantAfterTheFirst) {
  // The body cannot restart in the instant it ends (a Pause): no doubling. body.SET :=
  // SET | body.RTL restarts the pause in the instant the emission runs.
  Signal* o = h.output("O");
  h.build(loop(seq(pause(), emit(o))));
  EXPECT_EQ(h.run({"", "", "", ""}), (Trace{"O=B", "O=T", "O=T", "O=T"}));
}

TEST_F(Reactions, PresentStartsOneBranchInTheStartInstant) {
  // then.SET := Then(I, SET), else.SET := Else(I, SET): the then branch only where I is
  // true. A finalised pure input reads value := !status, so error reads true and bottom
  // false: both false and bottom start the else branch.
  for (const char* colour : {"T", "F", "B", "E"}) {
    ReactionHarness p;
    Signal* i = p.input("I");
    Signal* o = p.output("O");
    Signal* q = p.output("P");
    Module* pm = p.module();
    p.build(new Present("Pr", pm, i, new Emit("E1", pm, o), new Emit("E2", pm, q)));
    bool present = std::string(colour) == "T" || std::string(colour) == "E";
    std::string first = present ? "O=T P=B" : "O=B P=T";
    EXPECT_EQ(p.run({std::string("I=") + colour, "I=T"}), (Trace{first, "O=B P=B"})) << colour;
  }
}

TEST_F(Reactions, ParallelTerminatesWithItsLastBranch) {
  // Left ends in R1 (ACTIF set for R2); right ends in R2, where RTL := R.RTL & !B & A
  // starts emit Q. P is emitted in the right branch's copy, in its second occurrence.
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  Signal* q = h.output("Q");
  h.build(seq(new Parallel(h.name("Par"), m(), emit(o), seq(pause(), emit(p))), emit(q)));
  EXPECT_EQ(h.run({"", "", ""}), (Trace{"O=T P=B Q=B", "O=B P=T Q=T", "O=B P=B Q=B"}));
}

TEST_F(Reactions, BranchesOfDifferentLengthsEachEmitOnTime) {
  // Branch 0 has one pause, branch 1 two, branch 2 none: each output lives in the
  // occurrence after its branch's pauses, and the statement ends in R3 with branch 1
  // (D2 := (A2 | K2.RTL) & D1), where Q is emitted.
  Signal* a = h.output("A");
  Signal* b = h.output("B");
  Signal* c = h.output("C");
  Signal* q = h.output("Q");
  Pn* par = new Pn(h.name("Pn"), m());
  par->append(seq(pause(), emit(a)));
  par->append(seq(pause(), pause(), emit(b)));
  par->append(emit(c));
  h.build(seq(par, emit(q)));
  EXPECT_EQ(h.run({"", "", "", ""}),
            (Trace{"A=B B=B C=T Q=B", "A=T B=B C=B Q=B", "A=B B=T C=B Q=T", "A=B B=B C=B Q=B"}));
}

TEST_F(Reactions, WaitTwiceNeedsTwoLaterInstantsWithItsCondition) {
  // wait 2 I: two Waits in an Sn sharing I. Neither ends in its starting instant
  // (RTL := A & I): the first ends in R3 (I in R1 does not count, R2 has none), the
  // second in R4, which starts the emission.
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Sn* waits = new Sn(h.name("Sn"), nullptr);
  waits->append(new Wait(h.name("W"), nullptr, i));
  waits->append(new Wait(h.name("W"), nullptr, i));
  h.build(seq(waits, emit(o)));
  EXPECT_EQ(h.run({"I=T", "", "I=T", "I=T", "I=T"}), (Trace{"O=B", "O=B", "O=B", "O=T", "O=B"}));
}

TEST_F(Reactions, SustainMergesWithTheEmissionAfterIt) {
  // sustain O until I >> emit O: O is sustained (true) in R1 and R2; in R3 I ends it and
  // the sustain gives bottom, so emit O makes O true (not error); after that O is
  // absent (bottom, not false).
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  h.build(seq(new SustainUntil(h.name("SU"), m(), o, i), emit(o)));
  EXPECT_EQ(h.run({"", "", "I=T", "", "I=T"}), (Trace{"O=T", "O=T", "O=T", "O=B", "O=B"}));
}

TEST_F(Reactions, SustainEndsInItsStartInstantWithoutEmitting) {
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  Signal* p = h.output("P");
  h.build(seq(new SustainUntil(h.name("SU"), m(), o, i), emit(p)));
  EXPECT_EQ(h.run({"I=T", ""}), (Trace{"O=B P=T", "O=B P=B"}));
}

TEST_F(Reactions, DoubledLoopRestartsAfterAPreemption) {
  // loop { weak abort { pause >> emit O } when I }: the abort can restart in the instant
  // it ends, so the body is doubled (S_ of the abort and its copy). With I in R2 the
  // first abort is preempted (it still emits O, weakly) and its copy starts in the same
  // instant with its own registers; the copy then restarts the first one in R3, and so
  // on. A single incarnation would kill its own restarted pause (P.RESET := A & I) and
  // never emit again.
  Signal* i = h.input("I");
  Signal* o = h.output("O");
  h.build(loop(weakAbort(seq(pause(), emit(o)), i)));
  EXPECT_EQ(h.run({"", "I=T", "I=T", "", "I=T", ""}), (Trace{"O=B", "O=T", "O=T", "O=T", "O=T", "O=T"}));
}
