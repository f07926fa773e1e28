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

#include <random>
#include <string>
#include <vector>

#include "jxc_flow.h"

namespace {

class ProgramMaker {
 public:
  explicit ProgramMaker(unsigned seed) : rng_(seed) {}

  std::string statement(int depth, const std::vector<std::string>& locals) {
    std::vector<std::string> emitted = {"O", "P", "Q"}, tested = {"I", "J"};
    emitted.insert(emitted.end(), locals.begin(), locals.end());
    tested.insert(tested.end(), locals.begin(), locals.end());
    if (depth <= 0) return pick({"emit " + pick(emitted), "nothing", "pause"});
    int d = depth - 1;
    auto sub = [&] { return "{ " + statement(d, locals) + " }"; };
    std::string local = "L" + std::to_string(locals.size());
    std::vector<std::string> inner = locals;
    inner.push_back(local);
    switch (below(21)) {
      case 0: return "emit " + pick(emitted);
      case 1: return "pause";
      case 2: return sub() + " >> " + sub();
      case 3: return sub() + " || " + sub();
      case 4: return "present " + pick(tested) + " " + sub() + " else " + sub();
      case 5: return "present " + pick(tested) + " " + sub();
      case 6: return "loop { " + sub() + " >> pause }";
      case 7: return "local " + local + " { " + statement(d, inner) + " }";
      case 8: return "weak abort " + sub() + " when " + pick(tested);
      case 9: return "strong abort " + sub() + " when " + pick(tested);
      case 10: return "sustain " + pick({"O", "P", "Q"}) + " until " + pick({"I", "J"});
      case 11: return "wait " + std::to_string(1 + below(2)) + " " + pick({"I", "J"});
      case 12: return "run Sub [" + pick(tested) + " \\ A, " + pick(emitted) + " \\ B]";
      case 13: return "run Sub2 [" + pick(tested) + " \\ A, V \\ B]";
      case 14: return "local W: int { { emit W(1) } >> { present W { emit V(2) } } >> " + sub() + " }";
      case 15: return "run " + pick({"Aut", "Mm"}) + " [" + pick(tested) + " \\ X, " + pick(emitted) + " \\ Y]";
      case 16: return "run Sub3 [" + pick(tested) + " \\ A, " + pick(emitted) + " \\ B]";
      case 17: return sub() + " || " + sub() + " || " + sub();
      case 18: return "present K " + sub() + " else " + sub();
      case 19: return "emit V(#K + 1)";
      default: return pick({"noemit O", "sustain V(1) until I", "emit V(2)"});
    }
  }

  Trace inputs(int reactions) {
    Trace t;
    for (int i = 0; i < reactions; ++i) t.push_back(pick({"", "I=T", "J=T", "I=T J=T", "K=T"}));
    return t;
  }

 private:
  std::mt19937 rng_;
  int below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }
  std::string pick(const std::vector<std::string>& from) { return from[static_cast<size_t>(below(static_cast<int>(from.size())))]; }
};

const char* kPrelude =
    "data: Type: int; Constant: int 1; int 2; end data\n"
    "module Sub: Input: A; Output: B;\nloop { { present A { emit B } } >> pause }\nend\n"
    "module Sub2: Input: A; Output: B: int;\nloop { { present A { emit B(1) } else { emit B(2) } } >> pause }\nend\n"
    "module Sub3: Input: A; Output: B;\nrun Sub [A \\ A, B \\ B] || { pause >> emit B }\nend\n"
    "module Aut: Input: X; Output: Y;\nautomaton\nstate: A0;\nstate: B0 / Y;\ntransition:\ninitial -> A0;\n"
    "A0 [X] -> B0;\nB0 [X] strong-> A0;\nend\n"
    "module Mm: Input: X; Output: Y;\nMealy Machine Register: r : 0 : rn;\nrn = r xor X; Y = rn;\nend\n";

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
