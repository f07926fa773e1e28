// A Mealy machine run by a caller, through build_example and the .jxc it writes: inside a
// loop, and inside a weak abort in a loop, it reacts as the machine alone does.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "jxc_flow.h"
#include "module_and_files.h"

namespace {

// build_example on source (written to dir/program.jx) into dir, bounded in time; its status.
int build_example(const std::string& source, const std::string& dir) {
  write_file(dir + "/program.jx", source);
  std::string cmd = std::string("timeout 60 '") + ZARIM_BUILD_EXAMPLE + "' '" + dir + "/program.jx' '" + dir +
                    "' >'" + dir + "/built' 2>&1";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
}

Trace jxc_trace(const std::string& path, const Trace& inputs) {
  DataTablesScope tables;
  jxc_load_request request;
  request.explain = 0;
  jxc_load_result read = jxc_load(path, request);
  if (!read.ok()) return {"not read: " + read.error};
  Trace t = run_read_module(read.module, inputs);
  jxc_release(read.module);
  DataTablesScope::free_read_tables();
  return t;
}

const char* const kParity =
    "module Parity: Input: Bit; Output: Odd, Even;\n"
    "Mealy Machine\n"
    "Register: p : 0 : pn ;\n"
    "pn = p xor Bit; Odd = p xor Bit; Even = not (p xor Bit);\n"
    "end\n";

TEST(MealyRun, MachineRunInALoopKeepsItsRegisterAndGivesFalse) {
  const char* const bodies[] = {
      "loop { run Parity [D \\ Bit, Par \\ Odd, NPar \\ Even] >> pause }",
      "loop { weak abort { run Parity [D \\ Bit, Par \\ Odd, NPar \\ Even] } when Sync >> pause }",
  };
  // The parity of the D seen so far, present in every reaction; Sync never present.
  const Trace inputs = {"D=T", "", "D=T", "", "D=T", "D=T", ""};
  const Trace expected = {"Par=T NPar=F", "Par=T NPar=F", "Par=F NPar=T", "Par=F NPar=T",
                          "Par=T NPar=F", "Par=F NPar=T", "Par=F NPar=T"};
  for (const char* body : bodies) {
    const std::string source =
        std::string("module Wrap: Input: D, Sync; Output: Par, NPar;\n") + body + "\nend\n" + kParity;
    ScratchDir dir{"zarim_mealy_run"};
    ASSERT_EQ(build_example(source, dir.path), 0) << read_file(dir.path + "/built");
    EXPECT_EQ(jxc_trace(dir.path + "/Wrap.jxc", inputs), expected) << body;
  }
}

}  // namespace
