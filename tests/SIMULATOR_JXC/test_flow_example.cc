// The bundled example program from its source: build_example writes Blink.jxc, Valued.jxc,
// the value server and the user-data skeleton; the pure module read back reacts as its
// source says, and the valued one reacts with the values of the server compiled from the
// generated code and the completed user file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
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
  EXPECT_EQ(errors.rfind("ERROR in Module `M': detecting variables in a dependance cycle:\n _s_", 0), 0) << errors;
  const std::size_t path = errors.find("when sorting equations: \n");
  ASSERT_NE(path, std::string::npos) << errors;
  EXPECT_NE(errors.find(" weight: 1 usertype: 9\n", path), std::string::npos) << errors;
}

}  // namespace
