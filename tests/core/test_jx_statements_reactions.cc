// Sources read, compiled, finalised and run reaction by reaction. The expected colours
// are worked by hand from the statements' equations, as in the statement reaction tests.
#include <gtest/gtest.h>

#include <list>
#include <memory>
#include <string>

#include "module.h"
#include "module_signal.h"
#include "source_harness.h"

namespace {

Trace react(const std::string& source, const std::string& module, const Trace& inputs) {
  SourceHarness src(source);
  return src.build(module).run(inputs);
}

}  // namespace

TEST(JxReactions, PauseThenEmit) {
  EXPECT_EQ(react("module M: Output: O;\npause >> emit O\nend", "M", {"", "", ""}),
            (Trace{"O=B", "O=T", "O=B"}));
}

TEST(JxReactions, LoopedPresentWithElse) {
  // The present statement runs in R1 and after each pause; false and bottom take the else.
  EXPECT_EQ(react("module M: Input: I; Output: O, P;\nloop { present I emit O else emit P >> pause }\nend", "M",
                  {"I=T", "I=F", "", "I=T"}),
            (Trace{"O=T P=B", "O=B P=T", "O=B P=T", "O=T P=B"}));
}

TEST(JxReactions, WaitIsNotImmediate) {
  // I in the start instant is not seen; the first later I ends the wait.
  EXPECT_EQ(react("module M: Input: I; Output: O;\nwait I >> emit O\nend", "M", {"I=T", "", "I=T", "I=T"}),
            (Trace{"O=B", "O=B", "O=T", "O=B"}));
}

TEST(JxReactions, ParallelBranchesSynchroniseBeforeTheNextStatement) {
  // Three flat branches; Q starts in the instant the longest one (two pauses) ends.
  EXPECT_EQ(react("module M: Output: O, P, Q;\n{emit O || pause >> emit P} || pause >> pause >> nothing\n"
                  ">> emit Q\nend",
                  "M", {"", "", "", ""}),
            (Trace{"O=T P=B Q=B", "O=B P=T Q=B", "O=B P=B Q=T", "O=B P=B Q=B"}));
}

TEST(JxReactions, WaitCountNeedsThreeLaterInstantsWithItsSignal) {
  // Each wait starts in the instant the previous one ends and does not see S there:
  // S in R2, R4 and R5 ends the three waits.
  EXPECT_EQ(react("module M: Input: S; Output: O;\nwait 3 S >> emit O\nend", "M", {"S=T", "S=T", "", "S=T", "S=T"}),
            (Trace{"O=B", "O=B", "O=B", "O=B", "O=T"}));
}

TEST(JxReactions, AutomatonToggleWithAMooreOutput) {
  // The start transition enters A; each later I toggles; O in every instant ending in B.
  EXPECT_EQ(react("module T: Input: I; Output: O;\nautomaton\nstate: A;\nstate: B / O;\ntransition:\n"
                  "initial -> A;\nA [I] -> B;\nB [I] -> A;\nend",
                  "T", {"", "I=T", "", "I=T", ""}),
            (Trace{"O=B", "O=T", "O=T", "O=B", "O=B"}));
}

TEST(JxReactions, WeakAbortLetsItsBodyReactInTheAbortInstant) {
  // The abort does not see I in its start instant; in R3 the body still emits O, and P
  // follows in the same instant.
  EXPECT_EQ(react("module M: Input: I; Output: O, P;\nweak abort { loop { emit O >> pause } } when I >> emit P\nend",
                  "M", {"I=T", "", "I=T", ""}),
            (Trace{"O=T P=B", "O=T P=B", "O=T P=T", "O=B P=B"}));
}

TEST(JxReactions, ValuedSustainOfAnOutputCompiles) {
  // The sustain's value signal joins the output list; it is itself bound (clocked by O),
  // so compiling does not look for bindings clocked by it. O is true while the sustain
  // runs and I is absent; I ends it in its start instant or later.
  SourceHarness src("data:\n  Type: int;\n  Constant:\n    int 3;\nend data\n"
                    "module M: Input: I; Output: O: int;\nsustain O(3) until I >> pause\nend");
  Module* m = src.module("M");
  ReactionHarness& h = src.build("M");
  std::unique_ptr<std::list<Signal*>> bound(m->getSignalBindingByClock(m->getOutputSignal("O")));
  ASSERT_NE(bound, nullptr);
  ASSERT_EQ(bound->size(), 1u);
  ASSERT_TRUE(bound->front()->isValue());
  // The value signal is an output too, present exactly when O is.
  const std::string v = " " + bound->front()->original_name;
  EXPECT_EQ(h.run({"", "", "I=T", ""}), (Trace{"O=T" + v + "=T", "O=T" + v + "=T", "O=B" + v + "=B", "O=B" + v + "=B"}));
}
