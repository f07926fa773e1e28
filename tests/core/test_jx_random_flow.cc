// Random programs through the whole flow (sequences, parallels, presents, loops, locals, aborts,
// waits, sustains, valued signals, runs of pure, valued, automaton and Mealy modules): each one
// compiled, finalised, saved as .jxc and read back, then run on a random input trace from both
// the source and the .jxc. The two must react
// alike. A program with a causality cycle ends its compile with status 1, as the compiler does;
// each program runs in a child process so that such an end, or a crash, is seen and reported
// with the program's text.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "jxc_flow.h"
#include "random_program.h"

namespace {

using random_program::ProgramMaker;
using random_program::kPrelude;

// 0: both paths react alike; 1: the compile ended on a causality cycle (status 1 with the
// cycle's report on standard error); 2: the paths differ; 3: an exception; anything else: the
// child's end (a crash shows as 128 + its signal, another status 1 as 4).
int run_in_child(const std::string& source, const Trace& inputs) {
  char path[] = "/tmp/zarim_random_flow_XXXXXX";
  int err = mkstemp(path);
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(err, 2);
    try {
      FlowTraces t = run_both_paths(source, "M", inputs);
      _exit(t.error.empty() && t.source == t.jxc ? 0 : 2);
    } catch (...) {
      _exit(3);
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  std::vector<char> head(1 << 16, 0);
  ssize_t n = pread(err, head.data(), head.size() - 1, 0);
  close(err);
  unlink(path);
  if (!WIFEXITED(status)) return 128 + WTERMSIG(status);
  int code = WEXITSTATUS(status);
  if (code != 1) return code;
  std::string report(head.data(), n > 0 ? static_cast<size_t>(n) : 0);
  bool cycle = report.find("dependance cycle") != std::string::npos ||
               report.find("self-dependance") != std::string::npos || report.rfind("<", 0) == 0;
  return cycle ? 1 : 4;
}

TEST(JxRandomFlow, SourceAndJxcReactAlikeOnRandomPrograms) {
  int compiled = 0;
  for (unsigned seed = 1; seed <= 300; ++seed) {
    ProgramMaker make(seed);
    std::string source = std::string(kPrelude) + "module M: Input: I, J, K: int; Output: O, P, Q, V: int;\n" +
                         make.statement(5, {}) + "\nend\n";
    int end = run_in_child(source, make.inputs(6));
    EXPECT_TRUE(end == 0 || end == 1) << "seed " << seed << " ended with " << end << ":\n" << source;
    compiled += end == 0 ? 1 : 0;
  }
  // Most programs have no causality cycle: the check is not vacuous.
  EXPECT_GT(compiled, 200);
}

}  // namespace
