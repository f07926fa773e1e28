// The generated C, SystemC and C# compiled by their real compilers and run on random
// input sequences of 100 reactions, every output compared reaction by reaction with the
// simulator's engine on the same finalised module.
#ifdef ZARIM_HAVE_ENGINE
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "../bibliocpp/tool_run.h"
#include "compilation.h"
#include "evaluation.h"
#include "gen_circuits.h"
#include "gen_modules.h"
#include "gen_targets.h"
#include "gen_text_checks.h"
#include "module_and_files.h"
#include "random_checks.h"
#include "source_harness.h"
#include "test_scope.h"
#include "value_server.h"

namespace {

class GenDiffSource : public ::testing::Test {
 protected:
  std::string run_c_flavour(Module* m, bool systemc, const std::vector<Reaction>& rs) {
    testing::internal::CaptureStderr();  // the constants' names
    std::string out = run_c_program(m, systemc, rs, dir.path);
    testing::internal::GetCapturedStderr();
    return out;
  }
  static Module* built(SourceHarness& src, const std::string& name) {
    src.build(name);
    return src.module(name);
  }
  void expect_c_flavours_agree(Module* m, const std::vector<Reaction>& rs) {
    for (bool systemc : {false, true}) {
      SCOPED_TRACE(systemc ? "SystemC" : "C");
      EXPECT_EQ(run_c_flavour(m, systemc, rs), simulate(m, rs));
    }
  }
  RecordedBoxes boxes;
  ScratchDir dir{"gen_diff_source"};
};

class GenDiff : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    saved_methods = Compilation::GDataMethodTable;
    saved_types = Compilation::GDataTypeTable;
    Compilation::GDataMethodTable = new DataMethodTable();
    std::string int_type = "int", twice = "twice";
    std::list<std::string>* args = new std::list<std::string>{"int"};
    Compilation::GDataMethodTable->addMethod(new MethodDecl(&int_type, &twice, args));
    Compilation::GDataTypeTable = new DataTypeTable();
    Compilation::GDataTypeTable->addType("int");
  }
  void TearDown() override {
    Compilation::GDataMethodTable = saved_methods;
    Compilation::GDataTypeTable = saved_types;
  }
  // The finalised modules of the check; methods: the valued module calls a method.
  static Module* module(int k, bool methods) {
    Module* m = nullptr;
    switch (k) {
      case 0:
        m = registers();
        break;
      case 1:
        m = parallel();
        break;
      case 2:
        m = abort_body();
        break;
      case 3:
        m = automaton();
        break;
      case 4:
        m = mealy();
        break;
      case 5:
        m = valued(methods);
        break;
      default:
        m = random_module(static_cast<unsigned>(k));
    }
    testing::internal::CaptureStderr();
    m->finalize(0);
    testing::internal::GetCapturedStderr();
    return m;
  }
  std::vector<Reaction> inputs(Module* m) const { return random_inputs(m, 7u + static_cast<unsigned>(GetParam())); }
  std::string run_c_flavour(Module* m, bool systemc) { return run_c_program(m, systemc, inputs(m), dir.path); }

  DataMethodTable* saved_methods = nullptr;
  DataTypeTable* saved_types = nullptr;
  RecordedBoxes boxes;
  ScratchDir dir{"gen_diff"};
};

TEST_P(GenDiff, GeneratedCAgreesWithTheSimulator) {
  Module* m = module(GetParam(), true);
  EXPECT_EQ(run_c_flavour(m, false), simulate(m, inputs(m)));
}

TEST_P(GenDiff, GeneratedSystemCAgreesWithTheSimulator) {
  Module* m = module(GetParam(), true);
  testing::internal::CaptureStderr();  // the constants' names
  std::string out = run_c_flavour(m, true);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, simulate(m, inputs(m)));
}

TEST_P(GenDiff, GeneratedCSharpAgreesWithTheSimulator) {
  if (!tool_present("mcs") || !tool_present("mono")) GTEST_SKIP() << "mono-mcs and mono-runtime are not installed";
  // The valued module with operators; the user's methods are checked with a data part below.
  Module* m = module(GetParam(), false);
  EXPECT_EQ(run_csharp(m, inputs(m), dir.path), simulate(m, inputs(m)));
}

INSTANTIATE_TEST_SUITE_P(Modules, GenDiff, ::testing::Range(0, 10));

// A module compiled from source: its outputs have later occurrences (one per pause), and the
// generated C, SystemC and C# read each output's occurrence 0, which gathers them, as the
// simulator does.
TEST_F(GenDiffSource, GeneratedCodeOfACompiledSourceAgreesWithTheSimulator) {
  SourceHarness src("module Src: Input: I, J; Output: O, P, Q;\n"
                    "loop { { present I emit O else emit P } >> pause >> { present J emit Q || emit O } >> pause }\nend");
  Module* m = built(src, "Src");
  std::vector<Reaction> rs = random_inputs(m, 5u);
  expect_c_flavours_agree(m, rs);
  if (!tool_present("mcs") || !tool_present("mono")) GTEST_SKIP() << "mono-mcs and mono-runtime are not installed";
  EXPECT_EQ(run_csharp(m, rs, dir.path), simulate(m, rs));
}

// A sustained valued output: its value signal is an output bound to the value, no parameter,
// so the function declares it as a local.
TEST_F(GenDiffSource, GeneratedCAndSystemCOfASustainedValueAgreeWithTheSimulator) {
  SourceHarness src("data: Type: int; Constant: int 1; end data\nmodule Sus: Input: I; Output: V: int;\n"
                    "sustain V(1) until I\nend");
  expect_c_flavours_agree(built(src, "Sus"), random_inputs(src.module("Sus"), 3u));
}

// Valued signals whose current occurrence the system no longer has: a valued module run
// from a pure parent (its binding signals live on a later occurrence), a valued local
// that clocks a value, and a sustained value in an else branch shorter than its sibling.
// Each value block of C, SystemC, C# and Lustre names the occurrences the equations use.
TEST_F(GenDiffSource, ValueBlocksNameTheOccurrencesTheSystemHas) {
  const char* const bodies[] = {
      "run Sub2 [I \\ A, V \\ B]",
      "local W: int { { emit W(1) } >> { present W { emit V(2) } } >> { pause } }",
      "present I { present I { wait 2 I } else { sustain V(1) until I } }",
  };
  for (const char* body : bodies) {
    SCOPED_TRACE(body);
    SourceHarness src(std::string("data: Type: int; Constant: int 1; int 2; end data\n"
                                  "module Sub2: Input: A; Output: B: int;\n"
                                  "loop { { present A { emit B(1) } else { emit B(2) } } >> pause }\nend\n"
                                  "module M: Input: I; Output: V: int;\n") +
                      body + "\nend\n");
    Module* m = built(src, "M");
    std::vector<Reaction> rs = random_inputs(m, 4u);
    expect_c_flavours_agree(m, rs);
    std::ostringstream lustre;
    m->LUSTRE_put(lustre, 0);
    std::set<std::string> undeclared = check_lustre(lustre.str()).undeclared;
    undeclared.erase("C__1");  // the constants are declared outside the node
    undeclared.erase("C__2");
    EXPECT_EQ(undeclared, std::set<std::string>()) << lustre.str();
    if (tool_present("mcs") && tool_present("mono")) {
      EXPECT_EQ(run_csharp(m, rs, dir.path), simulate(m, rs));
    }
  }
}

// A data part of the user's: two types, methods of zero, one and two arguments (one named
// by a C# keyword), a constant with a value and one without. The generated class is
// completed by the user's file alone, and its output values agree with the simulator's
// asking a value server that computes as that file does.
TEST_F(GenDiffSource, GeneratedCSharpCompletedByTheUsersDataAgreesWithTheSimulator) {
  if (!tool_present("mcs") || !tool_present("mono")) GTEST_SKIP() << "mono-mcs and mono-runtime are not installed";
  SourceHarness src("data:\n  Type: num, ang;\n  Method: num base(); ang turn(num); num add(num, ang);\n"
                    "  Constant: num 3; ang lock;\nend data\n"
                    "module Ud: Input: A: num, B: ang, G; Output: O: num, P: ang, D;\n"
                    "loop { { { present A and B emit O(add(#A, #B)) else emit O(add(base(), lock)) }\n"
                    "  || { present A emit P(turn(#A)) else emit P(turn(3)) } || { present G emit D } } >> pause }\n"
                    "end\n");
  Module* m = built(src, "Ud");
  const char* const user = R"(using System;
namespace GenEntree {
  public struct num {
    public int v;
    public static implicit operator num(int x) { num n; n.v = x; return n; }
    public static num To(string s) { return Convert.ToInt32(s); }
    public override string ToString() { return v.ToString(); }
  }
  public struct ang {
    public int v;
    public static implicit operator ang(int x) { ang a; a.v = x; return a; }
    public static ang To(string s) { return Convert.ToInt32(s); }
    public override string ToString() { return v.ToString(); }
  }
  public partial class Ud {
    static readonly num num_zero = 0;
    static readonly ang ang_zero = 0;
    static Ud() { @lock = 5; }
    static num @base() { return 4; }
    static ang turn(num x) { return x.v * 3 % 7; }
    static num add(num x, ang y) { return x.v + 2 * y.v; }
  }
}
)";
  auto answer = [](const std::string& request) -> std::string {
    std::vector<std::string> f = value_server::split(request);
    auto arg = [&](size_t i) { return std::atoi(f[i].c_str()); };
    if (f[0] == "CONST" && f.size() == 2 && f[1] == "lock") return "5";
    if (f[0] == "MC" && f.size() == 3 && f[1] == "base" && f[2].empty()) return "4";
    if (f[0] == "MC" && f.size() == 3 && f[1] == "turn") return std::to_string(arg(2) * 3 % 7);
    if (f[0] == "MC" && f.size() == 4 && f[1] == "add") return std::to_string(arg(2) + 2 * arg(3));
    return "--";
  };
  std::vector<Reaction> rs = random_inputs(m, 6u);
  testing::internal::CaptureStderr();  // the requests
  std::string expected = simulate(m, rs, answer);
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(run_csharp(m, rs, dir.path, user), expected);
}

// Literal constants of every kind: reals (one ending in '.'), an integer with a leading
// zero (decimal ten, not C's octal eight), strings with blanks, punctuation and a backslash,
// and a user constant named as the first real's identifier would be. Each target names
// them by identifiers of its own (the .jxc keeps "C__2.5"); gcc, g++ and mcs compile them,
// and the programs agree with the simulator. No Lustre compiler is packaged: its
// declarations are checked as text.
TEST_F(GenDiffSource, LiteralConstantsCompileAndAgreeWithTheSimulator) {
  SourceHarness src(
      "data: Type: int, real, string;\n"
      "Constant: real 2.5; real 2.; real 0.5; int 010; string \"hello world, ok!\"; string \"x\\y; z?\";\n"
      "  real C__2_x2E5 := 7.5;\nend data\n"
      "module Lit: Input: A: int; Output: O: int, R: real, S: string, T: string, U: real, D;\n"
      "loop { { present A { emit O(#A + 010) || emit R(2. + 0.5) || emit S(\"hello world, ok!\") || "
      "{ if #A > 010 emit D } }\n"
      "  else { emit R(2.5) || emit T(\"x\\y; z?\") || emit U(C__2_x2E5) } } >> pause }\nend\n");
  Module* m = built(src, "Lit");
  EXPECT_NE(jxc_text(*m).find("real C__2.5   \"2.5\";\n"), std::string::npos);
  std::vector<Reaction> rs = random_inputs(m, 8u);
  testing::internal::CaptureStderr();  // the requests
  std::string expected = simulate(m, rs);
  testing::internal::GetCapturedStderr();
  for (bool systemc : {false, true}) {
    SCOPED_TRACE(systemc ? "SystemC" : "C");
    EXPECT_EQ(run_c_flavour(m, systemc, rs), expected);
  }
  std::ostringstream body, header;
  m->C_put(body, header);
  EXPECT_NE(body.str().find("const real C__2_x2E5_ = 2.5;\nconst real C__2_x2E = 2.0;\n"), std::string::npos)
      << body.str();
  EXPECT_NE(body.str().find("const string C__x_x5Cy_x3B_x20z_x3F = \"x\\\\y; z?\";\n"), std::string::npos);

  std::ostringstream declarations, node;
  Compilation::GDataTypeTable->LUSTRE_put(declarations);
  Compilation::GDataConstantTable->LUSTRE_put(declarations, m);
  m->LUSTRE_put(node, 0);
  std::set<std::string> declared;
  std::istringstream lines(declarations.str());
  static const std::regex declaration(R"(const (\w+) ([A-Za-z_]\w*)( = (-?[0-9]+(\.[0-9]+)?|"([^"\\]|\\.)*"))?;)");
  for (std::string line; std::getline(lines, line);) {
    std::smatch d;
    ASSERT_TRUE(std::regex_match(line, d, declaration)) << line;
    declared.insert(d[2]);
  }
  EXPECT_EQ(declared.size(), 8u) << declarations.str();  // string_zero and the constants
  std::set<std::string> undeclared = check_lustre(node.str()).undeclared;
  for (const std::string& name : undeclared) EXPECT_EQ(declared.count(name), 1u) << name << "\n" << node.str();

  if (!have_mono()) GTEST_SKIP() << "mono-mcs and mono-runtime are not installed";
  EXPECT_EQ(run_csharp(m, rs, dir.path, csharp_real("Lit")), expected);
}

// Conditions on constants alone (a literal, a constant the user gives, one inside a called
// module) hold in every reaction of the generated C, SystemC and C#, as in the simulator.
TEST_F(GenDiffSource, ConditionsOnConstantsAloneHoldInEveryReaction) {
  SourceHarness src("data: Type: int; Constant: int 3; int ten := 10; int lim; end data\n"
                    "module Sub: Output: V; if ten > 3 emit V end\n"
                    "module Top: Input: A; Output: U, W, X;\n"
                    "loop { { if ten > 3 emit U || if lim > 3 emit W || run Sub [X \\ V] } >> pause } end\n");
  Module* m = built(src, "Top");
  std::vector<Reaction> rs = random_inputs(m, 9u);
  rs.resize(5);
  auto answer = [](const std::string& request) {
    return request == "CONST,lim" ? std::string("12") : number_answer(request);
  };
  testing::internal::CaptureStderr();  // the requests
  std::string engine = simulate(m, rs, answer);
  testing::internal::GetCapturedStderr();
  std::string every = "";
  for (size_t k = 0; k < rs.size(); ++k) every += "1 1 1 \n";
  EXPECT_EQ(engine, every);
  for (bool systemc : {false, true}) {
    SCOPED_TRACE(systemc ? "SystemC" : "C");
    testing::internal::CaptureStderr();  // the constants' names
    EXPECT_EQ(run_c_program(m, systemc, rs, dir.path, "const int lim = 12;\n"), every);
    testing::internal::GetCapturedStderr();
  }
  if (!have_mono()) GTEST_SKIP() << "mono-mcs and mono-runtime are not installed";
  EXPECT_EQ(run_csharp(m, rs, dir.path,
                       "namespace GenEntree { public partial class Top { static Top() { lim = 12; } } }\n"),
            every);
}

// Random programs with a data part (random_program.h): literal constants of every kind,
// data conditions, valued outputs of three types. The generated C, SystemC and C# of each
// that compiles (a causality cycle ends a compile: a child process tells) agree with the
// simulator.
class GenDiffRandom : public ::testing::TestWithParam<int> {
 protected:
  RecordedBoxes boxes;
  ScratchDir dir{"gen_diff_random"};
};

TEST_P(GenDiffRandom, GeneratedCodeOfRandomProgramsAgreesWithTheSimulator) {
  check_random_modules(GetParam(), [&](Module* m, unsigned seed) {
    std::vector<Reaction> rs = random_inputs(m, seed);
    testing::internal::CaptureStderr();  // the requests
    std::string expected = simulate(m, rs);
    testing::internal::GetCapturedStderr();
    for (bool systemc : {false, true}) {
      SCOPED_TRACE(systemc ? "SystemC" : "C");
      testing::internal::CaptureStderr();  // the constants' names
      std::string out = run_c_program(m, systemc, rs, dir.path);
      testing::internal::GetCapturedStderr();
      EXPECT_EQ(out, expected);
    }
    if (have_mono()) {
      EXPECT_EQ(run_csharp(m, rs, dir.path, csharp_real("M")), expected);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Programs, GenDiffRandom, ::testing::Range(0, 12));

}  // namespace

#endif
