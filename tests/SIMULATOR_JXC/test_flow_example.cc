// The bundled example program from its source: build_example writes Blink.jxc, Valued.jxc,
// the value server and the user-data skeleton; the pure module read back reacts as its
// source says, and the valued one reacts with the values of the server compiled from the
// generated code and the completed user file.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data_tables_scope.h"
#include "evaluation.h"
#include "jxc_flow.h"
#include "load_jxc.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "server_tables.h"
#include "sock.h"
#include "test_scope.h"
#include "valued_session.h"

namespace {

// build_example on the example source into dir; its status.
int build_example(const std::string& dir) {
  std::string cmd = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + valued_example_dir() + "valued.jx' '" + dir +
                    "' >'" + dir + "/built' 2>&1";
  return std::system(cmd.c_str());
}

class ExampleFlow : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(dir.empty());
    ASSERT_EQ(build_example(dir), 0) << read_file(dir + "/built");
  }
  ScratchDir scratch{"zarim_example"};
  const std::string dir = scratch.path;
};

TEST_F(ExampleFlow, BuildsEveryFileAndThePureModuleReacts) {
  for (const char* f : {"Blink.jxc", "Valued.jxc", "zars_Valued.cc", "user_data_Valued.h", "user_data_Valued.cc"})
    EXPECT_TRUE(file_exists(dir + "/" + f)) << f;
  EXPECT_FALSE(file_exists(dir + "/zars_Blink.cc"));
  DataTablesScope tables;
  jxc_load_request request;
  request.explain = 0;
  jxc_load_result read = jxc_load(dir + "/Blink.jxc", request);
  ASSERT_TRUE(read.ok()) << read.error;
  // Tick every other instant; Stop is seen in R4, a pause instant of the body, and Done follows.
  EXPECT_EQ(run_read_module(read.module, {"Stop=T", "", "", "Stop=T", ""}),
            (Trace{"Tick=T Done=B", "Tick=B Done=B", "Tick=T Done=B", "Tick=B Done=T", "Tick=B Done=B"}));
  jxc_release(read.module);
  DataTablesScope::free_read_tables();
}

// The generated server, compiled with the completed user file, started with a stand-in
// simulator that records its arguments; the engine loads Valued.jxc and connects itself.
TEST_F(ExampleFlow, ValuedModuleReactsWithTheValuesOfItsServer) {
  if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  std::string ex = valued_example_dir();
  std::string cmd = "cp '" + ex + "user_data_Valued.h' '" + ex + "user_data_Valued.cc' '" + dir + "' && cd '" + dir +
                    "' && g++ -O1 -Wall -Wextra -Werror -o zars_Valued zars_Valued.cc user_data_Valued.cc";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  ASSERT_EQ(mkdir((dir + "/bin").c_str(), 0755), 0);
  write_file(dir + "/bin/zars", "#!/bin/sh\necho \"$@\" > argv\n");
  ASSERT_EQ(chmod((dir + "/bin/zars").c_str(), 0755), 0);
  cmd = "cd '" + dir + "' && (PATH=\"$PWD/bin:$PATH\" timeout 60 ./zars_Valued 2>server.log; echo $? > status) &";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  ValuedSession s(dir);
  ASSERT_EQ(s.error, "");
  Simulation& sim = s.sim;
  Signal *a = s.a, *o = s.o, *p = s.p, *q = s.q, *d = s.d;
  testing::internal::CaptureStderr();
  std::vector<std::string> trace;
  for (const char* value : {"21", "3", ""}) {
    sim.setInputColour(a, *value != 0 ? Colour::Bleu : Colour::Noir);
    if (*value != 0) sim.setInputValue(a, value);
    ReactionReport rep = sim.react();
    EXPECT_TRUE(rep.ran) << rep.refusal;
    trace.push_back(std::string("D=") + colourLetter(sim.colourOf(d)) + " O=" + colourLetter(sim.colourOf(o)) + ":" +
                    sim.outputValue(o) + " P=" + sim.outputValue(p) + " Q=" + sim.outputValue(q));
  }
  testing::internal::GetCapturedStderr();
  // Without A the outputs are absent and keep their last values; only D's condition is asked.
  EXPECT_EQ(trace, (std::vector<std::string>{"D=T O=T:31 P=10.5 Q=1", "D=B O=T:13 P=1.5 Q=2", "D=B O=B:13 P=1.5 Q=2"}));

  EXPECT_EQ(s.close(dir), "0\n");
  EXPECT_EQ(ValuedSession::recorded_arguments(dir), s.simulator_arguments());
  const std::string requests = served_requests(dir);
  // Per reaction with A: D's condition, V, O, the server constant, P, Q.
  EXPECT_EQ(requests,
            "BOP,21,num, > ,10,num\nMC,twice,21\nBOP,21,num, + ,10,num\nCONST,rate\nMC,mix,21,0.5\nMC,count,\n"
            "BOP,3,num, > ,10,num\nMC,twice,3\nBOP,3,num, + ,10,num\nCONST,rate\nMC,mix,3,0.5\nMC,count,\n"
            "BOP,--,num, > ,10,num\n");
}

// The output folder is made when missing; a file that cannot be written is named with the
// reason, is not printed as written, and the status is 1.
TEST(ExampleBuilder, MakesItsFolderAndReportsAFileItCannotWrite) {
  ScratchDir scratch{"zarim_builder"};
  const std::string made = scratch.path + "/new/out";
  const std::string run = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + valued_example_dir() + "valued.jx' ";
  ASSERT_EQ(std::system((run + "'" + made + "' >'" + scratch.path + "/out1' 2>&1").c_str()), 0)
      << read_file(scratch.path + "/out1");
  for (const char* f : {"Blink.jxc", "Valued.jxc", "zars_Valued.cc", "user_data_Valued.h", "user_data_Valued.cc"})
    EXPECT_TRUE(file_exists(made + "/" + f)) << f;

  const std::string blocked = scratch.path + "/blocked";
  ASSERT_EQ(mkdir(blocked.c_str(), 0755), 0);
  ASSERT_EQ(mkdir((blocked + "/Blink.jxc").c_str(), 0755), 0);
  const int status = std::system((run + "'" + blocked + "' >'" + scratch.path + "/printed' 2>'" + scratch.path +
                                  "/errors'").c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string printed = read_file(scratch.path + "/printed"), errors = read_file(scratch.path + "/errors");
  EXPECT_EQ(printed.find("Blink.jxc"), std::string::npos) << printed;
  EXPECT_NE(printed.find(blocked + "/Valued.jxc\n"), std::string::npos) << printed;
  EXPECT_NE(errors.find("build_example: " + blocked + "/Blink.jxc not written: Is a directory\n"), std::string::npos)
      << errors;

  write_file(scratch.path + "/plain", "");
  EXPECT_NE(std::system((run + "'" + scratch.path + "/plain/out' 2>/dev/null").c_str()), 0);
}

const std::vector<std::string> kExampleFiles = {"Blink.jxc", "Valued.jxc", "zars_Valued.cc", "user_data_Valued.h",
                                                 "user_data_Valued.cc"};

bool is_user_file(const std::string& f) { return f.rfind("user_data_", 0) == 0; }

// The names in dir.
std::set<std::string> entries(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d))
      if (std::string(e->d_name) != "." && std::string(e->d_name) != "..") names.insert(e->d_name);
    closedir(d);
  }
  return names;
}

// build_example into a tmpfs left with 0 to 40 KB free, over older texts of its five files: each
// file is either whole and printed (an older user file kept as .bak) or left as it was and
// named with the reason on standard error; the status is 1 when any is not written; no
// temporary is left beside them.
TEST(ExampleBuilder, AFullDiskLeavesEachFileWholeOrAsItWas) {
  SmallTmpfs disk(128);
  if (!disk.mounted()) GTEST_SKIP() << disk.why;
  ScratchDir scratch{"zarim_full"};
  const std::string ref = scratch.path + "/ref", out = disk.path + "/out";
  const std::string run = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + valued_example_dir() + "valued.jx' ";
  ASSERT_EQ(std::system((run + "'" + ref + "' >/dev/null 2>&1").c_str()), 0);
  std::set<size_t> written_counts;
  for (long free_kb = 0; free_kb <= 40; free_kb += 4) {
    SCOPED_TRACE("free KB " + std::to_string(free_kb));
    ASSERT_EQ(std::system(("rm -rf '" + out + "' '" + disk.path + "/fill'").c_str()), 0);
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    for (const std::string& f : kExampleFiles) write_file(out + "/" + f, "old " + f);
    disk.fill_leaving(free_kb);
    const int status = std::system((run + "'" + out + "' >'" + scratch.path + "/printed' 2>'" + scratch.path +
                                    "/errors'").c_str());
    const std::string printed = read_file(scratch.path + "/printed"), errors = read_file(scratch.path + "/errors");
    std::set<std::string> expected_entries;
    size_t written = 0;
    for (const std::string& f : kExampleFiles) {
      const std::string path = out + "/" + f;
      expected_entries.insert(f);
      if (printed.find(path + "\n") != std::string::npos) {
        ++written;
        EXPECT_EQ(read_file(path), read_file(ref + "/" + f)) << f;
        if (!is_user_file(f)) continue;
        EXPECT_EQ(read_file(path + ".bak"), "old " + f);
        expected_entries.insert(f + ".bak");
      } else {
        EXPECT_EQ(read_file(path), "old " + f);
        // The user files are written both or neither.
        const std::string line = "build_example: " + path + " not written: ";
        const std::string partner = out + "/user_data_Valued." + (f == "user_data_Valued.h" ? "cc" : "h");
        auto said = [&](const std::string& why) { return errors.find(line + why + "\n") != std::string::npos; };
        EXPECT_TRUE(said("No space left on device") ||
                    (is_user_file(f) && said("it goes with " + partner + ", which could not be written")))
            << f << "\n" << errors;
      }
    }
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), written == kExampleFiles.size() ? 0 : 1) << errors;
    EXPECT_EQ(entries(out), expected_entries);
    written_counts.insert(written);
  }
  // From nothing written to everything, through files written and files refused side by side.
  EXPECT_EQ(*written_counts.begin(), 0u);
  EXPECT_EQ(*written_counts.rbegin(), kExampleFiles.size());
  EXPECT_GE(written_counts.size(), 3u);
}

// Outputs named by symbolic links: each link is replaced by the new file and the file it named
// is left as it was (a user file's link is kept as its .bak).
TEST(ExampleBuilder, ReplacesALinkAndLeavesTheFileItNames) {
  ScratchDir scratch{"zarim_links"};
  const std::string ref = scratch.path + "/ref", out = scratch.path + "/out", kept = scratch.path + "/kept";
  const std::string run = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + valued_example_dir() + "valued.jx' ";
  ASSERT_EQ(std::system((run + "'" + ref + "' >/dev/null 2>&1").c_str()), 0);
  ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(kept.c_str(), 0755), 0);
  for (const std::string& f : kExampleFiles) {
    write_file(kept + "/" + f, "kept " + f);
    ASSERT_EQ(symlink(("../kept/" + f).c_str(), (out + "/" + f).c_str()), 0);
  }
  ASSERT_EQ(std::system((run + "'" + out + "' >/dev/null 2>'" + scratch.path + "/errors'").c_str()), 0)
      << read_file(scratch.path + "/errors");
  for (const std::string& f : kExampleFiles) {
    struct stat st;
    ASSERT_EQ(lstat((out + "/" + f).c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode)) << f;
    EXPECT_EQ(read_file(out + "/" + f), read_file(ref + "/" + f)) << f;
    EXPECT_EQ(read_file(kept + "/" + f), "kept " + f);
    if (is_user_file(f)) {
      EXPECT_EQ(lstat((out + "/" + f + ".bak").c_str(), &st), 0);
      EXPECT_TRUE(S_ISLNK(st.st_mode));
    }
  }
}

// A loop whose body can be instantaneous: the report names the module and the variables of the
// cycle before the equations of the path, and the status is 1.
TEST(ExampleBuilder, ReportsACausalityCycleBeforeItsPath) {
  ScratchDir scratch{"zarim_cycle"};
  write_file(scratch.path + "/cycle.jx",
             "module M:\nInput: I, T;\nOutput: A, B, C;\n"
             "loop { sustain A until I >> { sustain B until T || sustain C until T } }\nend\n");
  const std::string cmd = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + scratch.path + "/cycle.jx' '" +
                          scratch.path + "/out' >/dev/null 2>'" + scratch.path + "/errors'";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 1);
  const std::string errors = read_file(scratch.path + "/errors");
  const std::string head = scratch.path + "/cycle.jx: module M: ERROR in Module `M': detecting variables in a "
                                          "dependance cycle:\n _s_";
  EXPECT_EQ(errors.rfind(head, 0), 0) << errors;
  const std::size_t path = errors.find("when sorting equations: \n");
  ASSERT_NE(path, std::string::npos) << errors;
  EXPECT_NE(errors.find(" weight: 1 usertype: 9\n", path), std::string::npos) << errors;
}

// A valued local emitted under a test of its own value, in a loop: the critical paths walk a
// cycle they cannot break by inlining. build_example refuses it with the cycle report, in bounded
// time (timeout ends a compile that would not) and with the walks' warning once per walk, not
// once per path around the cycle.
TEST(ExampleBuilder, RefusesACycleThroughAValuedLocalInBoundedTime) {
  ScratchDir scratch{"zarim_value_cycle"};
  write_file(scratch.path + "/cycle.jx",
             "data: Type: int; Method: int twice(int); Constant: int K; int 1; int 2; end data\n"
             "module M: Input: A, C, X: int; Output: B, D, Y: int;\n"
             "local W0: int { { loop { { local L0 { { if #X > 2 { { local G1L0 { emit Y(2) } } ||\n"
             "{ present C { emit B } else { pause } } } } || { if #W0 > 2 { { local G2L0 { emit W0(2) } } ||\n"
             "{ present C { emit D } else { pause } } } } } } >> pause } } || { present W0 emit Y(#W0) } }\nend\n");
  // Bounded in time and in what it writes: a compile that does not end prints without end.
  const std::string cmd = "{ timeout 60 '" + std::string(ZARIM_BUILD_EXAMPLE) + "' '" + scratch.path +
                          "/cycle.jx' '" + scratch.path + "/out' 2>&1 >/dev/null; echo $? >'" + scratch.path +
                          "/status'; } | head -c 1000000 >'" + scratch.path + "/errors'";
  ASSERT_EQ(std::system(cmd.c_str()), 0);
  EXPECT_EQ(read_file(scratch.path + "/status"), "1\n");
  const std::string errors = read_file(scratch.path + "/errors");
  EXPECT_NE(errors.find(scratch.path + "/cycle.jx: module M: ERROR in Module `M': detecting variables in a "
                                       "dependance cycle:\n _s_"),
            std::string::npos)
      << errors.substr(0, 2000);
  const std::string warning = "WARNING in Bddexpressionwood::up_critical_path():\n";
  size_t warnings = 0;
  for (size_t at = errors.find(warning); at != std::string::npos; at = errors.find(warning, at + 1)) ++warnings;
  EXPECT_GT(warnings, 0u);
  EXPECT_LT(warnings, 100u);
}

// A loop around a parallel with a branch that ends at once beside a branch that waits: build_example
// refuses it with status 1 and one message at the loop's line (line 6, in a parallel here) that
// gives the form in sequence; that form, built the same way, reacts from its .jxc as worked by
// hand. A loop whose body does end at once keeps the cycle report, which names no line.
TEST(ExampleBuilder, RefusesALoopAroundAnInstantBranchAtItsLine) {
  struct Case {
    const char* parallel;
    const char* sequence;
    Trace reactions;  // of the sequence, for the inputs below
  };
  const Trace inputs = {"", "A=T", "", "A=T", "A=T"};
  const std::vector<Case> cases = {
      {"emit F || wait A", "emit F >> wait A", {"F=T G=T", "F=T G=T", "F=B G=T", "F=T G=T", "F=T G=T"}},
      {"emit F || pause", "emit F >> pause", {"F=T G=T", "F=T G=T", "F=T G=T", "F=T G=T", "F=T G=T"}},
      {"nothing || pause", "nothing >> pause", {"F=F G=T", "F=F G=T", "F=F G=T", "F=F G=T", "F=F G=T"}},
      {"present A emit F || pause", "present A emit F >> pause",
       {"F=B G=T", "F=T G=T", "F=B G=T", "F=T G=T", "F=T G=T"}},
  };
  ScratchDir scratch{"zarim_instant_branch"};
  auto build = [&](const std::string& name, const std::string& body, std::string& errors) {
    const std::string file = scratch.path + "/" + name + ".jx";
    write_file(file, "module M:\nInput: A;\nOutput: F, G;\nloop { emit G >> pause }\n||\nloop {\n  " + body +
                         "\n}\nend\n");
    const std::string cmd = std::string("'") + ZARIM_BUILD_EXAMPLE + "' '" + file + "' '" + scratch.path + "/" + name +
                            "' >/dev/null 2>'" + scratch.path + "/errors'";
    const int status = std::system(cmd.c_str());
    errors = read_file(scratch.path + "/errors");
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string errors;
  for (std::size_t k = 0; k < cases.size(); ++k) {
    SCOPED_TRACE(cases[k].parallel);
    const std::string name = "loop" + std::to_string(k);
    EXPECT_EQ(build(name, cases[k].parallel, errors), 1);
    EXPECT_EQ(errors, scratch.path + "/" + name + ".jx:6: module M: a branch of a parallel in this loop ends in the "
                          "instant it starts, which the compiler reads as a dependance cycle through the loop; write "
                          "that branch before the others in sequence, as `emit F >> wait A` for `emit F || wait A` "
                          "(LoopInstantBranchException: ML_1)\n");
    EXPECT_FALSE(file_exists(scratch.path + "/" + name + "/M.jxc"));
    ASSERT_EQ(build(name + "seq", cases[k].sequence, errors), 0) << errors;
    DataTablesScope tables;
    jxc_load_request request;
    request.explain = 0;
    jxc_load_result read = jxc_load(scratch.path + "/" + name + "seq/M.jxc", request);
    ASSERT_TRUE(read.ok()) << read.error;
    EXPECT_EQ(run_read_module(read.module, inputs), cases[k].reactions);
    jxc_release(read.module);
    DataTablesScope::free_read_tables();
  }
  EXPECT_EQ(build("instant", "emit F || nothing", errors), 1);
  EXPECT_EQ(errors.rfind(scratch.path + "/instant.jx: module M: ERROR in Module `M': detecting variables in a "
                                        "dependance cycle:\n _s_",
                         0),
            0u)
      << errors;
}

// Each mistake of a source, read and compiled by build_example: status 1, one message on
// standard error that begins with the file, the line where the reader met the name (for a
// refusal of the compiler, the line of its run; none outside a run) and the module, and holds
// what is wrong and the name; the system's own text is kept whole; nothing is printed or
// written.
TEST(ExampleBuilder, RefusesEachMistakeWithOneMessageNamingWhereAndWhat) {
  struct Mistake {
    const char* file;
    const char* where;  // after the file: ":line: module M: " or ": module M: "
    const char* what;   // what is wrong, the name in it
    const char* system; // the system's own text, in the message
  };
  const char* inner = "module Inner:\nInput: A;\nOutput: B;\npresent A emit B\nend\n";
  const std::string outer = std::string(inner) + "module Outer:\nInput: X;\nOutput: Y;\n";
  const std::string typed = "data:\nType: int, bool;\nMethod:\nint plus1(int);\nbool yes();\nConstant:\nint 3;\nend data\n"
                            "module Typed:\nInput: I : int;\nOutput: O : int;\n";
  const std::string run_inner = outer + "run Inner [";
  const std::vector<std::pair<Mistake, std::string>> mistakes = {
      {{"test", ":6: module Beat: ", "Tock is not a declared signal", "ModuleUnknownSignalException: Tock"},
       "module Beat:\nInput: Tick;\nOutput: Beep;\nloop {\n  pause >>\n  present Tock emit Beep\n}\nend\n"},
      {{"emit", ":5: module Lights: ", "Amber is not a declared signal", "StatementSignalException: Amber"},
       "module Lights:\nInput: Go;\nOutput: Red;\nloop {\n  present Go emit Amber >>\n  pause\n}\nend\n"},
      {{"output", ":6: module Echo: ", "O is an output of module Echo: only inputs and local signals can be tested",
        "ModuleUnknownSignalException: O"},
       "module Echo:\nInput: I;\nOutput: O;\nloop {\n  emit O >> pause >>\n  present O emit O\n}\nend\n"},
      {{"run", ":5: module Top: ", "run Wach: no module Wach is defined", "ex1:Run module undefined: : Wach"},
       "module Top:\nInput: I;\nOutput: O;\nloop {\n  run Wach >> pause\n}\nend\n"},
      {{"run2", ":6: module Alarm: ", "run Wach: no module Wach is defined", "not defined in file: Wach"},
       "module Alarm:\nInput: I;\nOutput: O;\npause >>\n{ pause >>\n  run Wach [I \\ I,\n    O \\ O] }\nend\n"},
      {{"unrenamed", ":9: module Door: ", "run Bell: output Ring of Bell is neither renamed nor an output",
        "RunUnknownSignalException: not ouput expected: Ring"},
       "module Bell:\nInput: Push;\nOutput: Ring;\nloop { present Push emit Ring >> pause }\nend\n"
       "module Door:\nInput: Push;\nOutput: Open;\nrun Bell >> emit Open\nend\n"},
      {{"unrenamed_input", ":9: module Outer: ", "run Inner: input A of Inner is neither renamed nor an input",
        "not input expected: A"},
       outer + "run Inner\nend\n"},
      {{"automaton", ": module Choice: ", "", "Non determinist automaton: Several possible transitions from state \"S0\""},
       "module Choice:\nInput: A, B;\nOutput: X, Y;\nautomaton\nstate: S0;\nstate: S1 / X;\nstate: S2 / Y;\n"
       "transition:\ninitial -> S0;\nS0 [A] -> S1;\nS0 [B] -> S2;\nS1 -> S0;\nS2 -> S0;\nend\n"},
      {{"cycle", ": module Cyc: ", "", "ERROR in Module `Cyc': detecting variables in a dependance cycle:\n _s_"},
       "module Cyc:\nOutput: O;\nloop { emit O }\nend\n"},
      {{"arity", ":9: module Outer: ", "", "SYNTAX ERROR at line 9: last token read: \"\\\""},
       run_inner + "X \\ A \\ B]\nend\n"},
      {{"arity1", ":9: module Outer: ", "", "SYNTAX ERROR at line 9: last token read: \"]\""}, run_inner + "X]\nend\n"},
      {{"renamed_unknown", ":9: module Outer: ", "Z, renamed in a run, is not a declared signal",
        "RunUnknownSignalException: undeclared: Z"},
       run_inner + "Z \\ A, Y \\ B]\nend\n"},
      {{"renamed_twice", ":9: module Outer: ", "A is renamed twice in a run", "HashTableAddException: A"},
       run_inner + "X \\ A, X \\ A]\nend\n"},
      {{"types", ":12: module Typed: ", "", "Type check error in binary operator: type: int differs from type: bool"},
       typed + "present I emit O(#I + yes())\nend\n"},
      {{"method", ":12: module Typed: ", "method minus1 is not declared in the data part",
        "UndefinedMethodException: minus1"},
       typed + "present I emit O(minus1(#I))\nend\n"},
      {{"constant", ":12: module Typed: ", "constant four is not declared in the data part",
        "ModuleUndefinedConstantException: four: Typed"},
       typed + "present I emit O(#I + four)\nend\n"},
      {{"type", ":4: ", "type real is not declared in the data part", "UndefinedTypeException: real"},
       "data:\nType: int;\nMethod:\nreal half(int);\nend data\nmodule M:\nOutput: O;\nemit O\nend\n"},
      {{"no_constants", ":4: module E: ", "constant 3 is read, and the source declares no constants",
        "PARSE ERROR: empty constant table detected: "},
       "module E:\nInput: I;\nOutput: O;\npresent I emit O(3)\nend\n"},
      {{"recursive", ":4: module A: ", "run A: module A runs itself", "Run: recursive module call: : A"},
       "module A:\nInput: I;\nOutput: O;\nrun A\nend\n"},
      {{"module_twice", ":5: module Twice: ", "module Twice is defined twice", "HashTableAddException: Twice"},
       "module Twice:\nOutput: O;\nemit O\nend\nmodule Twice:\nOutput: P;\nemit P\nend\n"},
      {{"wait", ":4: module W: ", "wait 0: the count is out of range", "BadValueNumberWaitException: is a bad number"},
       "module W:\nInput: I;\nOutput: O;\nwait 0 I >> emit O\nend\n"},
      {{"states", ":7: module Aut: ", "", "two states or more have the same name: S0"},
       "module Aut:\nInput: A;\nOutput: X;\nautomaton\nstate: S0;\nstate: S1 / X;\nstate: S0;\ntransition:\n"
       "initial -> S0;\nS0 [A] -> S1;\nend\n"},
      {{"mealy", ":5: module Mm: ", "a constant of a Mealy equation is 0 or 1",
        "StatementSignalException:  constant right part is not a Boolean value"},
       "module Mm:\nInput: A;\nOutput: O;\nMealy Machine\nO = A and 2;\nend\n"},
  };
  ScratchDir scratch{"zarim_mistakes"};
  for (const auto& [m, source] : mistakes) {
    SCOPED_TRACE(m.file);
    const std::string file = scratch.path + "/" + m.file + ".jx", out = scratch.path + "/" + m.file;
    write_file(file, source);
    const int status = std::system(("'" + std::string(ZARIM_BUILD_EXAMPLE) + "' '" + file + "' '" + out + "' >'" +
                                    out + ".printed' 2>'" + out + ".errors'")
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    const std::string errors = read_file(out + ".errors");
    EXPECT_EQ(errors.rfind(file + m.where, 0), 0) << errors;
    EXPECT_EQ(errors.find(file, 1), std::string::npos) << "more than one message: " << errors;
    EXPECT_NE(errors.find(m.what), std::string::npos) << errors;
    const std::size_t system = errors.find(m.system);
    EXPECT_NE(system, std::string::npos) << errors;
    EXPECT_EQ(errors.find(m.system, system + 1), std::string::npos) << "said twice: " << errors;
    if (*m.what != 0) {
      EXPECT_LT(errors.find(m.what), errors.find(" (")) << "the system's text after what is wrong: " << errors;
    }
    EXPECT_EQ(errors.back(), '\n');
    EXPECT_EQ(read_file(out + ".printed"), "");
    EXPECT_EQ(std::system(("rmdir '" + out + "'").c_str()), 0) << "files written in " << out;
  }
}

}  // namespace
