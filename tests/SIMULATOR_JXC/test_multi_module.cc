// Programs of several modules through build_example and the .jxc files it writes: every
// module reacts as it does when compiled alone, whatever the names of the modules, their
// data and their renamings. Valued signals take their values from a loopback value server,
// or from the generated one compiled with g++.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "built_program.h"
#include "module_and_files.h"
#include "random_blocks.h"
#include "random_modules.h"
#include "server_tables.h"
#include "sexception.h"
#include "source_modules.h"
#include "value_server.h"

namespace {

// ----- the faults of multi-module programs, one by one -----

TEST(MultiModule, RunModulesReactTheSameWhateverTheirNames) {
  struct Case {
    const char* source;
    const char* module;
    Trace inputs, expected;
  } cases[] = {
      // Leg sorts before Relay: both legs are included as compiled.
      {"module Leg: Input: Start, Baton; Output: Running;\n"
       "wait Start >> weak abort { loop { emit Running >> pause } } when Baton end\n"
       "module Relay: Input: Go, Baton1, Baton2; Output: Run1, Run2, Finish;\n"
       "run Leg [Go \\ Start, Baton1 \\ Baton, Run1 \\ Running] >>\n"
       "run Leg [Baton1 \\ Start, Baton2 \\ Baton, Run2 \\ Running] >> emit Finish end\n",
       "Relay",
       {"", "Go=T", "", "Baton1=T", "Baton1=T", "", "Baton2=T", ""},
       {"Run1=B Run2=B Finish=B", "Run1=T Run2=B Finish=B", "Run1=T Run2=B Finish=B", "Run1=T Run2=B Finish=B",
        "Run1=B Run2=T Finish=B", "Run1=B Run2=T Finish=B", "Run1=B Run2=T Finish=T", "Run1=B Run2=B Finish=B"}},
      // Every capitalised name sorts before a lower-case one.
      {"module Sub: Input: A; Output: B; loop { present A emit B >> pause } end\n"
       "module top: Input: I; Output: O; run Sub [I \\ A, O \\ B] end\n",
       "top",
       {"I=T", "", "I=T", "I=T"},
       {"O=T", "O=B", "O=T", "O=T"}},
      // One module run twice in parallel.
      {"module Pulse: Input: I; Output: O; loop { present I emit O >> pause } end\n"
       "module Pair: Input: A, B; Output: X, Y; run Pulse [A \\ I, X \\ O] || run Pulse [B \\ I, Y \\ O] end\n",
       "Pair",
       {"A=T", "B=T", "A=T B=T", ""},
       {"X=T Y=B", "X=B Y=T", "X=T Y=T", "X=B Y=B"}},
  };
  for (const Case& c : cases) {
    ScratchDir dir{"zarim_multi"};
    Built b = build_example(c.source, dir.path);
    EXPECT_EQ(b.status, 0) << b.output;
    EXPECT_EQ(b.output.find("internal error"), std::string::npos) << b.output;
    EXPECT_EQ(jxc_trace(dir.path + "/" + c.module + ".jxc", c.inputs), c.expected) << c.source;
  }
}

// A module run again after each pause reacts as it does alone: an automaton and a statement
// that test abs of their input see it false when it is, a noemit gives false, and an output
// never emitted reads false. Before, every output of Top read bottom in every reaction.
TEST(MultiModule, RunsInLoopsGiveFalseAsTheModulesAlone) {
  const std::string source =
      "module Watch: Input: A; Output: B, D;\n"
      "automaton\nstate: S0;\nstate: S1 / B;\ntransition:\ninitial -> S0;\nS0 [abs A] -> S1;\nS1 [A] -> S0;\n"
      "end\n"
      "module Quiet: Input: A; Output: O, P;\n"
      "{ present abs A emit O else noemit O } >> pause\n"
      "end\n"
      "module Top: Input: A; Output: B, D, Q, R;\n"
      "loop { run Watch >> pause } || loop { run Quiet [Q \\ O, R \\ P] >> pause }\n"
      "end\n";
  ScratchDir dir{"zarim_multi"};
  Built b = build_example(source, dir.path);
  ASSERT_EQ(b.status, 0) << b.output;
  const Trace inputs{"A=T", "A=F", "", "A=T", "A=F", "A=T"};
  EXPECT_EQ(jxc_trace(dir.path + "/Watch.jxc", inputs),
            (Trace{"B=B D=F", "B=T D=F", "B=T D=F", "B=B D=F", "B=T D=F", "B=B D=F"}));
  EXPECT_EQ(jxc_trace(dir.path + "/Quiet.jxc", inputs),
            (Trace{"O=F P=F", "O=B P=F", "O=B P=F", "O=B P=F", "O=B P=F", "O=B P=F"}));
  // Quiet starts again every other instant: in the third, A absent, and the fifth, A false.
  EXPECT_EQ(jxc_trace(dir.path + "/Top.jxc", inputs),
            (Trace{"B=B D=F Q=F R=F", "B=T D=F Q=B R=F", "B=T D=F Q=T R=F", "B=B D=F Q=B R=F",
                   "B=T D=F Q=T R=F", "B=B D=F Q=B R=F"}));
}

TEST(MultiModule, RunOfAModuleAlreadyFinalisedIsRefused) {
  SourceHarness src(
      "module Sub: Input: A; Output: B; loop { present A emit B >> pause } end\n"
      "module top: Input: I; Output: O; run Sub [I \\ A, O \\ B] end\n");
  RecordedBoxes boxes;
  src.module("Sub")->compile();
  src.module("Sub")->finalize(0);
  try {
    src.module("top")->compile();
    ADD_FAILURE() << "a finalised module was included";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Run: called module already finalised: ");
    EXPECT_STREQ(e.argument_name(), "Sub");
  }
}

const char* kData = "data: Type: int; Method: int twice(int); Constant: int K; int 1; end data\n";

TEST(MultiModule, ValuedOutputsBoundThroughARunOrNeverEmittedCompile) {
  ScratchDir dir{"zarim_multi"};
  // Reading gets its value from the run; Plus from the caller's own emission; B is never
  // emitted and reads as a pure output never emitted does.
  Built b = build_example(std::string(kData) +
                              "module Outer: Input: Raw: int; Output: Reading: int, Plus: int;\n"
                              "run Scale [Raw \\ X, Reading \\ Y] >> emit Plus(1) end\n"
                              "module Scale: Input: X: int; Output: Y: int; emit Y(twice(#X)) end\n"
                              "module Never: Input: I; Output: A: int, B: int; present I emit A(1) end\n",
                          dir.path);
  ASSERT_EQ(b.status, 0) << b.output;
  EXPECT_EQ(jxc_trace(dir.path + "/Outer.jxc", {"Raw=T:5", ""}),
            (Trace{"Reading=T:10 Plus=T:1", "Reading=B Plus=B"}));
  EXPECT_EQ(jxc_trace(dir.path + "/Never.jxc", {"I=T", ""}), (Trace{"A=T:1 B=F", "A=B B=F"}));
}

TEST(MultiModule, DataConditionOfACalledModuleReadsTheCallersValue) {
  ScratchDir dir{"zarim_multi"};
  Built b = build_example(std::string(kData) +
                              "module Meter: Input: Raw: int; Output: Reading: int, Alert;\n"
                              "loop { run Scale [Raw \\ X, Reading \\ Y, Alert \\ Big] >> pause } end\n"
                              "module Scale: Input: X: int; Output: Y: int, Big;\n"
                              "present X { emit Y(twice(#X)) || if #X > K emit Big } end\n",
                          dir.path);
  ASSERT_EQ(b.status, 0) << b.output;
  std::vector<std::string> requests;
  EXPECT_EQ(jxc_trace(dir.path + "/Meter.jxc", {"Raw=T:60", "Raw=T:3"}, &requests),
            (Trace{"Reading=T:120 Alert=T", "Reading=T:6 Alert=B"}));
  EXPECT_EQ(requests, (std::vector<std::string>{"CONST,K", "BOP,60,int, > ,7,int", "MC,twice,60", "CONST,K",
                                                 "BOP,3,int, > ,7,int", "MC,twice,3"}));
}

// The generated value server dir/zars_<name>, started in dir with a stand-in simulator that
// only records its arguments, and the engine's connexion to it.
struct GeneratedServer {
  GeneratedServer(const std::string& dir, const std::string& name, const std::string& log) : log(dir + "/" + log) {
    std::string cmd = "cd '" + dir + "' && (PATH=\"$PWD/bin:$PATH\" timeout 60 ./zars_" + name + " 2>'" + log +
                      "'; echo $? > '" + log + ".status') &";
    if (std::system(cmd.c_str()) != 0) return;
    const std::string key = "allocated port number is ";
    for (int i = 0; i < 500 && client == nullptr; ++i) {
      std::string text = read_file(this->log);
      if (text.rfind(key, 0) == 0 && text.find('\n') != std::string::npos)
        client = SOCK_make_client("127.0.0.1", std::atoi(text.c_str() + key.size()));
      else
        usleep(10000);
    }
  }
  // Closes the connexion; the server's exit status as it wrote it ("" when it has not ended).
  std::string close() {
    SOCK_shutdown(client, 1);
    client = nullptr;
    std::string status;
    for (int i = 0; i < 500 && (status = read_file(log + ".status")).empty(); ++i) usleep(10000);
    return status;
  }
  ~GeneratedServer() {
    if (client != nullptr) close();
  }

  std::string log;
  socket_type* client = nullptr;
};

// A valued local passed between runs, or emitted by the caller and read by a run, reaches
// every run that reads it, whatever the order of the branches or statements: each module is
// built by build_example and served by the generated server, compiled with g++ beside a
// completed user file. Before, the run after the emitter in a parallel was refused ("unknown
// wood") and the other shapes gave Out the value "--".
TEST(MultiModule, ValuedLocalReachesEveryRunThatReadsIt) {
  if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  ScratchDir scratch{"zarim_multi"};
  const std::string& dir = scratch.path;
  const std::string tail = " || present L emit Both } >> pause } }\nend\n";
  const std::string link = ": Input: In: num; Output: Out: num, Seen, Both";
  const std::string send = "run Send [In \\ A, L \\ B]", recv = "run Recv [L \\ C, Out \\ D, Seen \\ S]";
  const std::string emit = "present In emit L(#In)";
  auto module = [&](const std::string& name, const std::string& outputs, const std::string& body) {
    return "module " + name + link + outputs + ";\nlocal L : num { loop { { " + body + tail;
  };
  Built b = build_example(
      "data: Type: num; Constant: num 1; num 10; end data\n" +
          module("SendFirst", ", Big", send + " || " + recv + " || run Check [L \\ C, Big \\ Big]") +
          module("RecvFirst", "", recv + " || " + send) + module("InSequence", "", "{ " + send + " >> " + recv + " }") +
          module("EmitInParallel", "", emit + " || " + recv) +
          module("EmitBefore", "", "{ " + emit + " >> " + recv + " }") +
          "module Send: Input: A: num; Output: B: num; present A emit B(#A + 1) end\n"
          "module Recv: Input: C: num; Output: D: num, S; present C { emit D(#C * 10) >> emit S } end\n"
          "module Check: Input: C: num; Output: Big; if #C > 10 emit Big end\n"
          "module Pick: Input: In: num, Sel; Output: Out: num;\n"
          "loop { present Sel { run Keep [In \\ A, Out \\ D] } else { run Keep [In \\ A, Out \\ D] } >> pause } end\n"
          "module Keep: Input: A: num; Output: D: num;\n"
          "local K : num { present A emit K(#A + 1) >> present K emit D(#K * 10) } end\n",
      dir);
  ASSERT_EQ(b.status, 0) << b.output;
  // The user's completion of the skeleton: a num is a decimal integer.
  std::string header = read_file(dir + "/user_data_SendFirst.h");
  for (auto [from, to] : {std::pair<std::string, std::string>{"/* NEEDED DEFINITION HERE! */ num", "long num"},
                          {"/* NEEDED DEFINITION HERE! */", "0"}})
    header.replace(header.find(from), from.size(), to);
  write_file(dir + "/user_data_SendFirst.h", header);
  write_file(dir + "/user_data_SendFirst.cc",
             "#include \"user_data_SendFirst.h\"\n"
             "bool check_num(string arg) {\n"
             "  size_t i = !arg.empty() && arg[0] == '-' ? 1 : 0;\n"
             "  if (i == arg.size()) return false;\n"
             "  for (; i < arg.size(); i++) if (arg[i] < '0' || arg[i] > '9') return false;\n"
             "  return true;\n"
             "}\n"
             "num string_to_num(string arg) { return strtol(arg.c_str(), 0, 10); }\n"
             "string num_to_string(num arg) { return to_string(arg); }\n");
  ASSERT_EQ(mkdir((dir + "/bin").c_str(), 0755), 0);
  write_file(dir + "/bin/zars", "#!/bin/sh\necho \"$@\" >> argv\n");
  std::string cmd = "cd '" + dir + "' && chmod +x bin/zars && g++ -O0 -Wall -Wextra -Werror -o zars_SendFirst " +
                    "zars_SendFirst.cc user_data_SendFirst.cc";
  ASSERT_EQ(std::system(cmd.c_str()), 0);

  // The local is In + 1 through Send, In itself when the caller emits it; Check reads it in
  // a data condition. The modules share one data part, so one server serves each in turn.
  const Trace inputs{"In=T:4", "", "In=T:12"};
  const Trace through_send{"Out=T:50 Seen=T Both=T", "Out=B Seen=B Both=B", "Out=T:130 Seen=T Both=T"};
  const Trace emitted{"Out=T:40 Seen=T Both=T", "Out=B Seen=B Both=B", "Out=T:120 Seen=T Both=T"};
  const std::pair<std::string, Trace> cases[] = {
      {"SendFirst", {"Out=T:50 Seen=T Both=T Big=B", "Out=B Seen=B Both=B Big=B", "Out=T:130 Seen=T Both=T Big=T"}},
      {"RecvFirst", through_send},
      {"InSequence", through_send},
      {"EmitInParallel", emitted},
      {"EmitBefore", emitted}};
  for (const auto& [name, expected] : cases) {
    GeneratedServer server(dir, "SendFirst", name + ".log");
    ASSERT_NE(server.client, nullptr) << read_file(server.log);
    EXPECT_EQ(jxc_trace(dir + "/" + name + ".jxc", inputs, nullptr, server.client), expected) << name;
    EXPECT_EQ(server.close(), "0\n") << read_file(server.log);
  }
  // A module's own valued local, the module run in both branches of a present: the run in
  // the second branch was refused ("no current occurrence" of its instance's local).
  GeneratedServer server(dir, "SendFirst", "Pick.log");
  ASSERT_NE(server.client, nullptr) << read_file(server.log);
  EXPECT_EQ(jxc_trace(dir + "/Pick.jxc", {"In=T:4", "In=T:12 Sel=T", "Sel=T", ""}, nullptr, server.client),
            (Trace{"Out=T:50", "Out=T:130", "Out=B", "Out=B"}));
  EXPECT_EQ(server.close(), "0\n") << read_file(server.log);
}

// A module with a valued local run in the second branch of a parallel, compiled in a copy of
// the caller's system, gives its outputs their values as alone. Before, build_example refused
// it: "no current occurrence for the considered wood" of the included local.
TEST(MultiModule, ValuedLocalOfAModuleRunInTheSecondBranchOfAParallel) {
  ScratchDir dir{"zarim_multi"};
  Built b = build_example(std::string(kData) +
                              "module Step: Input: X: int; Output: Y: int;\n"
                              "local W: int { { present X { emit W(#X + 1) } } || { present W { emit Y(#W + 1) } } }\n"
                              "end\n"
                              "module Both: Input: A, X: int; Output: B, Y: int;\n"
                              "loop { { { present A emit B } || { run Step } } >> pause }\n"
                              "end\n",
                          dir.path);
  ASSERT_EQ(b.status, 0) << b.output;
  EXPECT_EQ(jxc_trace(dir.path + "/Both.jxc", {"X=T:4", "A=T", "A=T X=T:0"}),
            (Trace{"B=B Y=T:6", "B=T Y=B", "B=T Y=T:2"}));
}

TEST(MultiModule, RenamingOfNoSignalOfTheCalledModuleIsRefused) {
  for (const char* renaming : {"Door \\ Inn", "Door \\ Nowhere"}) {
    ScratchDir dir{"zarim_multi"};
    Built b = build_example(std::string("module Alarm: Input: Door, In; Output: Siren;\n"
                                        "loop { run Watch [") +
                                renaming + ", Siren \\ Ring] >> pause } end\n"
                                           "module Watch: Input: In; Output: Ring; wait In >> emit Ring end\n",
                            dir.path);
    EXPECT_EQ(b.status, 1) << b.output;
    const std::string formal = std::string(renaming).substr(7);
    EXPECT_NE(b.output.find("module Alarm: run Watch: " + formal + ", renamed, is neither an input nor an output of Watch"),
              std::string::npos)
        << b.output;
    EXPECT_FALSE(file_exists(dir.path + "/Alarm.jxc"));
  }
}

// ----- random programs -----

// In a child process: 0 when the module built by build_example (dir/<module>.jxc) reacts as
// the module compiled alone; 1 when the compile alone ends on a causality cycle; 2 when
// they differ (both traces on standard error); 3 on an exception; otherwise the child's end.
int compare_in_child(const std::string& source, const std::string& module, const std::string& dir,
                     const Trace& inputs, std::string* report) {
  char path[] = "/tmp/zarim_multi_err_XXXXXX";
  int err = mkstemp(path);
  ScratchDir alone{"zarim_alone"};  // removed here: the child ends without its destructors
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(err, 2);
    try {
      Trace a = alone_trace(source, module, alone.path, inputs);
      Trace b = jxc_trace(dir + "/" + module + ".jxc", inputs);
      if (a == b) _exit(0);
      std::cerr << "\nalone: " << joined(a) << "\nbuilt: " << joined(b) << "\n";
      _exit(2);
    } catch (const std::exception& e) {
      std::cerr << "exception: " << e.what() << "\n";
      _exit(3);
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  *report = read_file(path);
  close(err);
  unlink(path);
  if (!WIFEXITED(status)) return 128 + WTERMSIG(status);
  int code = WEXITSTATUS(status);
  bool cycle = report->find("dependance cycle") != std::string::npos ||
               report->find("self-dependance") != std::string::npos || report->rfind("<", 0) == 0;
  return code == 1 && !cycle ? 4 : code;
}

// ZARIM_MULTI_PROGRAMS and ZARIM_MULTI_FIRST_SEED choose the programs (300 from seed 1), run
// in blocks.
class MultiModuleRandom : public ::testing::TestWithParam<int> {};

TEST_P(MultiModuleRandom, EveryModuleOfRandomProgramsReactsAsCompiledAlone) {
  const random_blocks::Seeds seeds =
      random_blocks::block_seeds(GetParam(), random_blocks::from_environment("ZARIM_MULTI_PROGRAMS", 300),
                                 random_blocks::from_environment("ZARIM_MULTI_FIRST_SEED", 1));
  const unsigned count = seeds.end - seeds.begin;
  unsigned built = 0, modules = 0, reactions = 0, cycles = 0, differences = 0;
  for (unsigned seed = seeds.begin; seed < seeds.end; ++seed) {
    random_modules::ProgramMaker make(seed);
    random_modules::Program p = make.program();
    ScratchDir dir{"zarim_multi"};
    Built b = build_example(p.source, dir.path);
    bool any_cycle = false;
    for (const std::string& m : p.modules) {
      Trace inputs = make.inputs(6);
      std::string report;
      int end = compare_in_child(p.source, m, dir.path, inputs, &report);
      any_cycle = any_cycle || end == 1;
      // A program refused for a cycle writes nothing to compare with.
      if (end == 1 || b.status != 0) continue;
      EXPECT_EQ(end, 0) << "seed " << seed << ", module " << m << ", build_example status " << b.status << "\n"
                        << b.output << report << "\n"
                        << p.source;
      differences += end == 0 ? 0 : 1;
      modules += end == 0 ? 1 : 0;
      reactions += end == 0 ? static_cast<unsigned>(inputs.size()) : 0;
    }
    // build_example refuses a program only for a cycle that a module's own compile meets.
    EXPECT_EQ(b.status != 0, any_cycle) << "seed " << seed << ": status " << b.status << "\n"
                                         << b.output << p.source;
    built += b.status == 0 ? 1 : 0;
    cycles += any_cycle ? 1 : 0;
  }
  std::cout << count << " programs (" << built << " built, " << cycles << " with a causality cycle), " << modules
            << " modules and " << reactions << " reactions compared, " << differences << " differences\n";
  // Most programs have no causality cycle: the check is not vacuous.
  EXPECT_GT(built * 2, count) << "seeds " << seeds.begin << " to " << seeds.end - 1;
}

INSTANTIATE_TEST_SUITE_P(Programs, MultiModuleRandom, ::testing::Range(0, random_blocks::kBlocks));

}  // namespace
