// Random programs through the whole flow (sequences, parallels, presents, loops, locals, aborts,
// waits, sustains, valued signals, data conditions, literal constants of every kind, runs of
// pure, valued, automaton and Mealy modules): each one
// compiled, finalised, saved as .jxc and read back, then run on a random input trace from both
// the source and the .jxc. The two must react
// alike. A program with a causality cycle ends its compile with status 1, as the compiler does;
// each program runs in a child process so that such an end, or a crash, is seen and reported
// with the program's text.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "child_end.h"
#include "jxc_flow.h"
#include "random_program.h"

namespace {

using random_program::ProgramMaker;
using random_program::kPrelude;

// 0: both paths react alike; 1: the compile ended on a causality cycle; 2: the paths
// differ; 3: an exception; anything else: the child's end (end_in_child).
int run_in_child(const std::string& source, const Trace& inputs) {
  return end_in_child([&] {
    FlowTraces t = run_both_paths(source, "M", inputs);
    return t.error.empty() && t.source == t.jxc ? 0 : 2;
  });
}

TEST(JxRandomFlow, SourceAndJxcReactAlikeOnRandomPrograms) {
  int compiled = 0;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    ProgramMaker make(seed);
    std::string source = std::string(kPrelude) + random_program::kModuleHead + make.statement(5, {}) +
                         "\nend\n";
    int end = run_in_child(source, make.inputs(6));
    EXPECT_TRUE(end == 0 || end == 1) << "seed " << seed << " ended with " << end << ":\n" << source;
    compiled += end == 0 ? 1 : 0;
  }
  // Most programs have no causality cycle: the check is not vacuous.
  EXPECT_GT(compiled, 200);
}

}  // namespace
