// The whole flow from source to simulator: each source module compiled, finalised, saved
// as .jxc and read back; the module read reacts as the source module does, and both as
// worked by hand from the statements' equations. Causality cycles end the compile.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "jxc_flow.h"
#include "library_exit.h"

namespace {

struct FlowCase {
  const char* what;
  std::string source;
  std::string module;
  Trace inputs;
  Trace expected;
};

TEST(JxFlow, SourceAndJxcReactAlike) {
  const std::vector<FlowCase> cases = {
      {"sequence with pauses", "module M: Output: O, P;\nemit O >> pause >> pause >> emit P >> pause >> emit O\nend",
       "M", {"", "", "", "", ""}, {"O=T P=B", "O=B P=B", "O=B P=T", "O=T P=B", "O=B P=B"}},
      {"loop with present/else", "module M: Input: I; Output: O, P;\nloop { present I emit O else emit P >> pause }\nend",
       "M", {"I=T", "I=F", "", "I=T"}, {"O=T P=B", "O=B P=T", "O=B P=T", "O=T P=B"}},
      // I in the start instant is not seen.
      {"non-immediate wait", "module M: Input: I; Output: O;\nwait I >> emit O\nend", "M", {"I=T", "", "I=T", "I=T"},
       {"O=B", "O=B", "O=T", "O=B"}},
      // Q starts in the instant the longest branch ends.
      {"parallel synchronisation",
       "module M: Output: O, P, Q;\n{emit O || pause >> emit P} || pause >> pause >> nothing\n>> emit Q\nend", "M",
       {"", "", "", ""}, {"O=T P=B Q=B", "O=B P=T Q=B", "O=B P=B Q=T", "O=B P=B Q=B"}},
      // The weak abort lets its body react in the abort instant, the strong one does not.
      {"weak abort", "module M: Input: I; Output: O, P;\nweak abort { loop { emit O >> pause } } when I >> emit P\nend",
       "M", {"I=T", "", "I=T", ""}, {"O=T P=B", "O=T P=B", "O=T P=T", "O=B P=B"}},
      {"strong abort",
       "module M: Input: I; Output: O, P;\nstrong abort { loop { emit O >> pause } } when I >> emit P\nend", "M",
       {"I=T", "", "I=T", ""}, {"O=T P=B", "O=T P=B", "O=B P=T", "O=B P=B"}},
      // A fresh S each turn, emitted by one branch and tested by the other in the same instant.
      {"local shared by parallel branches in a loop",
       "module M: Input: I; Output: O, P;\nloop { local S { present I emit S || present S emit O else emit P } >> pause }"
       "\nend",
       "M", {"I=T", "", "I=T", "I=F"}, {"O=T P=B", "O=B P=T", "O=T P=B", "O=B P=T"}},
      // L lives in the branch that compiles before the parallel's copy is merged back: the
      // merge keeps L's occurrence as that branch left it.
      {"local inside a parallel branch", "module M: Output: O, P;\n{ local L { emit L >> present L emit O } } || pause >> emit P\nend",
       "M", {"", "", ""}, {"O=T P=B", "O=B P=T", "O=B P=B"}},
      {"local inside a parallel branch of a loop",
       "module M: Input: I; Output: O, P;\n"
       "loop { { local L { { present I emit L } >> { present L emit O } >> pause } } || pause >> emit P }\nend",
       "M", {"I=T", "I=F", "I=T", ""}, {"O=T P=B", "O=B P=T", "O=T P=T", "O=B P=T"}},
      // The run compiles in the copy of the parallel's second branch, and binds the value of
      // its valued actual output there.
      {"a module run in the second branch of a parallel",
       "data: Type: int; Constant: int 1; end data\nmodule Sub: Input: A; Output: B: int;\npresent A emit B(1)\nend\n"
       "module Top: Input: I; Output: O: int;\npause || run Sub [I \\ A, O \\ B]\nend",
       "Top", {"I=T", "I=T", ""}, {"O=T", "O=B", "O=B"}},
      // P is the action of A -> B; O the Moore output of B, not emitted in the instant the
      // strong transition leaves B.
      {"automaton with a strong transition",
       "module T: Input: I, J; Output: O, P;\nautomaton\nstate: A;\nstate: B / O;\ntransition:\ninitial -> A;\n"
       "A [I] / P -> B;\nB [J] strong-> A;\nend",
       "T", {"", "I=T", "", "J=T", ""}, {"O=B P=B", "O=T P=T", "O=T P=B", "O=B P=B", "O=B P=B"}},
      // r starts at 0; O is the next state r xor I.
      {"Mealy toggle", "module M: Input: I; Output: O;\nMealy Machine Register: r : 0 : rn;\nrn = r xor I; O = rn;\nend",
       "M", {"I=T", "", "I=T", "I=T", ""}, {"O=T", "O=T", "O=F", "O=T", "O=T"}},
      // Two instances of Sub, each with its own state and renamed signals.
      {"a module run twice with renamed signals",
       "module Sub: Input: X; Output: Y;\nwait X >> emit Y\nend\n"
       "module Main: Input: A, B; Output: P, Q;\nrun Sub [A \\ X, P \\ Y] || run Sub [B \\ X, Q \\ Y]\nend",
       "Main", {"A=T", "A=T", "B=T", "A=T B=T"}, {"P=B Q=B", "P=T Q=B", "P=B Q=T", "P=B Q=B"}},
  };
  for (const FlowCase& c : cases) {
    SCOPED_TRACE(c.what);
    FlowTraces t = run_both_paths(c.source, c.module, c.inputs);
    EXPECT_EQ(t.error, "");
    EXPECT_EQ(t.source, c.expected);
    EXPECT_EQ(t.jxc, t.source);
  }
}

// The compile stops at the first dependence cycle: the equations along it on standard
// error, status 1.
TEST(JxFlowExitTest, CausalityCyclesEndTheCompile) {
  // An instantaneous loop body restarts itself in the instant it ends.
  EXPECT_LIBRARY_EXIT(SourceHarness("module Cyc: Output: O;\nloop { emit O }\nend").build("Cyc"),
                      1, "<SETCycE_[0-9]+> _s_SETCycE_[0-9]+ = ");
  // S is emitted exactly when it is absent.
  EXPECT_LIBRARY_EXIT(
      SourceHarness("module Abs: Output: O;\nlocal S { present S nothing else emit S }\nend").build("Abs"), 1,
      "<S_AbsLo_[0-9]+> _s_S_AbsLo_[0-9]+ = ");
}

}  // namespace

// Each "not" reads both rails of its operand: a chain of them is read once per node, so a
// long one compiles at once and reacts as a short one of the same parity.
TEST(JxFlow, LongChainsOfNegations) {
  auto chain = [](int n) {
    std::string nots;
    for (int k = 0; k < n; ++k) nots += "not ";
    return "module M: Input: A; Output: O, P;\nloop { present " + nots + "A emit O else emit P >> pause }\nend";
  };
  const std::vector<std::string> inputs = {"A=T", "", "A=T"};
  FlowTraces two = run_both_paths(chain(2), "M", inputs);
  EXPECT_EQ(two.error, "");
  EXPECT_EQ(two.source, (Trace{"O=T P=B", "O=B P=T", "O=T P=B"}));
  FlowTraces many = run_both_paths(chain(60), "M", inputs);
  EXPECT_EQ(many.error, "");
  EXPECT_EQ(many.source, two.source);
  EXPECT_EQ(many.jxc, two.source);
  FlowTraces odd = run_both_paths(chain(61), "M", inputs);
  EXPECT_EQ(odd.source, (Trace{"O=B P=T", "O=T P=B", "O=B P=T"}));
}
