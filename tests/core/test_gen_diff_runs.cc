// Programs of several modules that run one another, with a data part, built as build_example
// builds them (every module compiled, then every one finalised): the top module written by
// each generator, its text accepted by its real tool (gcc with -Wall -Werror, g++, mcs,
// ghdl, berkeley-abc and yosys) and the program driven reaction by reaction, every output's
// presence and value equal to the engine's on the module's .jxc, as the simulator runs it.
#ifdef ZARIM_HAVE_ENGINE
#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "child_end.h"
#include "compilation.h"
#include "gen_circuits.h"
#include "gen_targets.h"
#include "random_runs.h"
#include "source_harness.h"
#include "test_scope.h"

namespace {

// ----- building as build_example does -----

// Every module of the program compiled (a module that a run compiled already is not), then
// every one finalised.
void compile_and_finalize_every_module() {
  for (const auto& entry : *Compilation::ModTable->table)
    if (entry.second->getSet() == nullptr) entry.second->compile();
  for (const auto& entry : *Compilation::ModTable->table) entry.second->finalize(0);
}

// The same, the finalisation's reports dropped.
void build_every_module() {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  compile_and_finalize_every_module();
  testing::internal::GetCapturedStderr();
  testing::internal::GetCapturedStdout();
}

// ----- the targets -----

enum Target { C, SystemC, CSharp, Vhdl, Blif, Targets };
const char* const TargetName[Targets] = {"C", "SystemC", "C#", "VHDL", "BLIF"};

bool tools_present(int t) {
  switch (t) {
    case C: return tool_present("gcc");
    case SystemC: return tool_present("g++");
    case CSharp: return have_mono();
    case Vhdl: return tool_present("ghdl");
    default: return have_netlist_tools();
  }
}

// What the target's program printed for rs, to compare with the engine's run.
TargetRun run_target(int t, Module* m, const std::vector<Reaction>& rs, const EngineRun& engine,
                     const std::string& dir) {
  testing::internal::CaptureStderr();  // the SystemC writer names the constants there
  TargetRun run;
  switch (t) {
    case C: run = c_target(m, false, rs, dir); break;
    case SystemC: run = c_target(m, true, rs, dir); break;
    case CSharp: run = csharp_target(m, rs, dir); break;
    case Vhdl: run = vhdl_target(m, rs, engine, dir); break;
    default: run = blif_target(m, rs, engine, dir);
  }
  testing::internal::GetCapturedStderr();
  return run;
}

// ----- figures -----

struct Figures {
  unsigned programs = 0, reactions = 0, refusals = 0, differences = 0;
};

// Per target; the programs made, built, refused by the compiler for a causality cycle, and
// those on which the engine ends.
struct Tally {
  Figures target[Targets];
  unsigned made = 0, built = 0, cycles = 0, engine_ends = 0;

  void add(const Tally& t) {
    for (int i = 0; i < Targets; ++i) {
      target[i].programs += t.target[i].programs;
      target[i].reactions += t.target[i].reactions;
      target[i].refusals += t.target[i].refusals;
      target[i].differences += t.target[i].differences;
    }
    made += t.made;
    built += t.built;
    cycles += t.cycles;
    engine_ends += t.engine_ends;
  }
  std::string text() const {
    std::ostringstream s;
    s << made << " programs, " << built << " built, " << cycles << " refused for a causality cycle, " << engine_ends
      << " ending the engine\n";
    for (int i = 0; i < Targets; ++i)
      s << "  " << TargetName[i] << ": " << target[i].programs << " programs, " << target[i].reactions
        << " reactions, " << target[i].refusals << " refusals, " << target[i].differences << " differences\n";
    return s.str();
  }
};

Tally process_tally;

// The totals of the process, printed when every test has run (the figures of a long run).
class TallyPrinter : public ::testing::Environment {
 public:
  void TearDown() override {
    if (process_tally.made > 0) std::cout << "generator differential of programs with runs: " << process_tally.text();
  }
};
const ::testing::Environment* const printer = ::testing::AddGlobalTestEnvironment(new TallyPrinter);

// ----- the programs of a run of the suite -----

unsigned from_environment(const char* name, unsigned otherwise) {
  const char* v = std::getenv(name);
  return v != nullptr ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : otherwise;
}

// ZARIM_GEN_RUNS_PROGRAMS programs from seed ZARIM_GEN_RUNS_FIRST_SEED (100 from 1; 12 under
// the sanitizers), four to a test.
#if defined(__SANITIZE_ADDRESS__)
const unsigned DefaultPrograms = 12;
#else
const unsigned DefaultPrograms = 100;
#endif
const unsigned PerTest = 4;

int test_count() { return static_cast<int>((from_environment("ZARIM_GEN_RUNS_PROGRAMS", DefaultPrograms) + PerTest - 1) / PerTest); }

// The first line where the two runs differ, numbered from 0, and both lines.
std::string first_difference(const std::string& got, const std::string& expected) {
  std::istringstream a(got), b(expected);
  std::string x, y;
  for (int k = 0;; ++k) {
    bool more_a = static_cast<bool>(std::getline(a, x)), more_b = static_cast<bool>(std::getline(b, y));
    if (!more_a && !more_b) return "";
    if (!more_a || !more_b || x != y)
      return "reaction " + std::to_string(k) + ": " + (more_a ? x : "(none)") + "  engine: " + (more_b ? y : "(none)");
  }
}

// The top module m of source on the targets asked for whose tools are installed, driven by
// the reactions of seed: each refusal and each difference from the engine a failure, counted
// in tally.
void check_targets(const std::string& source, Module* m, unsigned seed, Tally& tally,
                   const std::vector<int>& targets = {C, SystemC, CSharp, Vhdl, Blif}) {
  std::vector<Reaction> rs = random_inputs(m, seed);
  std::string error;
  EngineRun engine;
  {
    ScratchDir dir{"gen_diff_runs"};
    engine = jxc_engine(m, rs, dir.path, error);
  }
  if (!error.empty()) {
    ++tally.engine_ends;
    ADD_FAILURE() << "seed " << seed << ": " << error << source;
    return;
  }
  for (int t : targets) {
    if (!tools_present(t)) continue;
    ScratchDir dir{"gen_diff_runs"};
    TargetRun run = run_target(t, m, rs, engine, dir.path);
    Figures& f = tally.target[t];
    ++f.programs;
    f.reactions += static_cast<unsigned>(rs.size());
    const std::string& expected = t == Vhdl || t == Blif ? engine.presences : engine.outputs;
    if (!run.accepted) {
      ++f.refusals;
      ADD_FAILURE() << TargetName[t] << " refused, seed " << seed << ":\n" << source << run.report;
    } else if (!run.report.empty() || run.printed != expected) {
      ++f.differences;
      ADD_FAILURE() << TargetName[t] << " differs from the engine, seed " << seed << ": "
                    << first_difference(run.printed, expected) << "\n" << run.report << source;
    }
  }
}

// Each source built, its module Top on the targets asked for, driven by the reactions of seed.
template <size_t N>
void check_sources(const std::string (&sources)[N], unsigned seed, const std::vector<int>& targets) {
  RecordedBoxes boxes;
  for (const std::string& source : sources) {
    SCOPED_TRACE(source);
    SourceHarness src(source);
    build_every_module();
    Tally tally;
    check_targets(source, src.module("Top"), seed, tally, targets);
  }
}

class GenDiffRuns : public ::testing::TestWithParam<int> {
 protected:
  // The program of seed built, unless its compile ends on a causality cycle (told by a child
  // process); its top module on every target.
  void check(unsigned seed) {
    random_runs::Program p = random_runs::ProgramMaker(seed).program();
    ++tally.made;
    // The child's standard error is read for the report of a causality cycle.
    int end = end_in_child([&] {
      SourceHarness src(p.source);
      compile_and_finalize_every_module();
      return 0;
    });
    ASSERT_TRUE(end == 0 || end == 1) << "seed " << seed << ": the build ended with " << end << "\n" << p.source;
    if (end == 1) {
      ++tally.cycles;
      return;
    }
    ++tally.built;
    SourceHarness src(p.source);
    build_every_module();
    check_targets(p.source, src.module(p.modules[0]), seed, tally);
  }

  void TearDown() override {
    std::cout << tally.text();
    process_tally.add(tally);
  }

  Tally tally;
  RecordedBoxes boxes;
};

TEST_P(GenDiffRuns, GeneratedCodeOfProgramsWithRunsAgreesWithTheEngine) {
  const unsigned first = from_environment("ZARIM_GEN_RUNS_FIRST_SEED", 1) + PerTest * static_cast<unsigned>(GetParam());
  for (unsigned seed = first; seed < first + PerTest; ++seed) {
    SCOPED_TRACE("seed " + std::to_string(seed));
    check(seed);
  }
  // Most programs build: the check is not vacuous.
  EXPECT_GT(tally.built, 0u);
}

INSTANTIATE_TEST_SUITE_P(Programs, GenDiffRuns, ::testing::Range(0, test_count()));

// A called module that reads its valued input, run renamed, by name, three levels deep (the
// value passed down renamed at each level), twice in sequence and in parallel, and after a
// wait: the block that gives the instance's input its value tests a variable declared and
// set before it, in C and in C#, and every target reacts as the engine does.
TEST(GenDiffRunsSource, ValuedInputsOfCalledModulesCompileAndAgreeWithTheEngine) {
  const std::string data = "data: Type: int; Constant: int 1; int 3; end data\n";
  const std::string sub = "module Sub: Input: V : int; Output: N : int; loop { present V emit N(#V + 1) >> pause } end\n";
  const std::string programs[] = {
      data + "module Top: Input: X : int; Output: Z : int; run Sub [X \\ V, Z \\ N] end\n" + sub,
      data + "module Top: Input: V : int; Output: N : int; run Sub end\n" + sub,
      data + "module Top: Input: X : int; Output: Z : int; run Mid [X \\ In, Z \\ Out] end\n"
             "module Mid: Input: In : int; Output: Out : int; run Low [In \\ X, Out \\ Y] end\n"
             "module Low: Input: X : int; Output: Y : int;\n"
             "loop { present X { if #X > 3 emit Y(#X + 1) } >> pause } end\n",
      data + "module Top: Input: X : int, Y : int; Output: Z : int, W : int;\n"
             "run Sub [X \\ V, Z \\ N] >> run Sub [Y \\ V, W \\ N] end\n" + sub,
      data + "module Top: Input: X : int, Y : int; Output: Z : int, W : int;\n"
             "run Sub [X \\ V, Z \\ N] || run Sub [Y \\ V, W \\ N] end\n" + sub,
      data + "module Top: Input: X : int; Output: Z : int; run Sub [X \\ V, Z \\ N] end\n"
             "module Sub: Input: V : int; Output: N : int; loop { wait V >> emit N(#V + 1) } end\n",
  };
  if (!tools_present(C) && !tools_present(CSharp)) GTEST_SKIP() << "neither gcc nor mcs and mono are installed";
  check_sources(programs, 3u, {C, CSharp});
}

// A valued local emitted in two places, its value read by an emission and by a data
// condition: the block of the emission written second no longer sets the value the first
// gave back to zero when its own emission is absent (C and C#), and the blocks come before
// the condition that reads the value (SystemC wrote them after every equation); on a module
// alone and run by another.
TEST(GenDiffRunsSource, ValuedLocalOfTwoEmissionsReadByAConditionAgreesWithTheEngine) {
  const std::string data = "data: Type: int; Constant: int 1; int 3; end data\n";
  const std::string body =
      "local W : int { { present X { emit W(#X * 3) } } || { present A { emit W(1) } }\n"
      "  || { present W { emit Q(#W + 1) } } || { present W { if #W > 3 emit P } } }\n";
  const std::string programs[] = {
      data + "module Top: Input: X : int, A; Output: P, Q : int;\nloop { { " + body + " } >> pause } end\n",
      data + "module Top: Input: Y : int, B; Output: R, S : int; run Sub [Y \\ X, B \\ A, R \\ P, S \\ Q] end\n"
             "module Sub: Input: X : int, A; Output: P, Q : int;\nloop { { " + body + " } >> pause } end\n",
  };
  if (!tools_present(C) && !tools_present(SystemC)) GTEST_SKIP() << "neither gcc nor g++ is installed";
  check_sources(programs, 5u, {C, SystemC, CSharp, Vhdl, Blif});
}

}  // namespace

#endif
