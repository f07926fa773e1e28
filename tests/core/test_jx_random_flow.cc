// Random programs through the whole flow (sequences, parallels, presents, loops, locals, aborts,
// waits, sustains, valued signals, data conditions, literal constants of every kind, runs of
// pure, valued, automaton and Mealy modules): each one
// compiled, finalised, saved as .jxc and read back, then run on a random input trace from both
// the source and the .jxc. The two must react
// alike. A program with a causality cycle ends its compile with status 1, as the compiler does:
// under the throwing exit handler that end is seen here and reported with the program's text.
#include <gtest/gtest.h>

#include <string>

#include "g_exit.h"
#include "jxc_flow.h"
#include "random_blocks.h"
#include "random_program.h"

namespace {

using random_program::ProgramMaker;
using random_program::kPrelude;

// 0: both paths react alike; 1: the compile ended on a causality cycle (the library's end with
// status 1 after the cycle's report); 2: the paths differ; 3: an exception; 4: another end of
// the library. What the flow prints is dropped.
int run(const std::string& source, const Trace& inputs) {
  g_exit_throwing_scope throwing;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int code = 0;
  std::string end;
  try {
    FlowTraces t = run_both_paths(source, "M", inputs);
    code = t.error.empty() && t.source == t.jxc ? 0 : 2;
  } catch (const g_exit_error& e) {
    code = e.status == 1 ? 1 : 4;
    end = e.what();
  } catch (...) {
    code = 3;
  }
  testing::internal::GetCapturedStdout();
  const std::string report = testing::internal::GetCapturedStderr() + end;
  if (code != 1) return code;
  bool cycle = report.find("dependance cycle") != std::string::npos ||
               report.find("self-dependance") != std::string::npos || report.rfind("<", 0) == 0;
  return cycle ? 1 : 4;
}

// 300 programs from seed 1 (ZARIM_JX_RANDOM_PROGRAMS sets another count), in blocks.
class JxRandomFlow : public ::testing::TestWithParam<int> {};

TEST_P(JxRandomFlow, SourceAndJxcReactAlikeOnRandomPrograms) {
  const random_blocks::Seeds seeds =
      random_blocks::block_seeds(GetParam(), random_blocks::from_environment("ZARIM_JX_RANDOM_PROGRAMS", 300));
  unsigned compiled = 0;
  for (unsigned seed = seeds.begin; seed < seeds.end; ++seed) {
    ProgramMaker make(seed);
    std::string source = std::string(kPrelude) + random_program::kModuleHead + make.statement(5, {}) +
                         "\nend\n";
    int end = run(source, make.inputs(6));
    EXPECT_TRUE(end == 0 || end == 1) << "seed " << seed << " ended with " << end << ":\n" << source;
    compiled += end == 0 ? 1 : 0;
  }
  // Most programs have no causality cycle: the check is not vacuous.
  EXPECT_GT(compiled * 2, seeds.end - seeds.begin) << "seeds " << seeds.begin << " to " << seeds.end - 1;
}

INSTANTIATE_TEST_SUITE_P(Programs, JxRandomFlow, ::testing::Range(0, random_blocks::kBlocks));

}  // namespace
