// The example builder on the programs that take the compiler deepest or the source scanner
// longest: each compiles, or is refused with a message, and none ends on a signal.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "data_tables_scope.h"
#include "load_jxc.h"
#include "module_and_files.h"
#include "test_scope.h"

namespace {

struct Built {
  bool exited = false;  // false: ended by a signal
  int status = -1;
  std::string output;  // standard output and error
};

// build_example on source (written to dir/name.jx) into dir, its stack limited to stack_kb.
Built build(const std::string& dir, const std::string& name, const std::string& source, int stack_kb = 0) {
  write_file(dir + "/" + name + ".jx", source);
  std::string cmd = std::string(stack_kb > 0 ? "ulimit -s " + std::to_string(stack_kb) + "; " : "") + "'" +
                    ZARIM_BUILD_EXAMPLE + "' '" + dir + "/" + name + ".jx' '" + dir + "' >'" + dir + "/out' 2>&1";
  int raw = std::system(cmd.c_str());
  Built b;
  b.output = read_file(dir + "/out");
  // sh reports a child ended by signal n as status 128 + n.
  b.exited = raw != -1 && WIFEXITED(raw) && WEXITSTATUS(raw) < 128;
  b.status = b.exited ? WEXITSTATUS(raw) : -1;
  return b;
}

std::string repeat(const std::string& s, int n, const std::string& between = "") {
  std::string out;
  for (int i = 0; i < n; ++i) out += (i != 0 ? between : "") + s;
  return out;
}

class BuildLimits : public ::testing::Test {
 protected:
  ScratchDir scratch{"zarim_limits"};
  const std::string dir = scratch.path;
};

// The walks of the compiler recurse as deep as the program is long; the builder is run with a
// 64 KB stack, which these programs overflow when compiled on it (a long wait, a flat
// parallel), so that they show the fault in a few seconds.
TEST_F(BuildLimits, DeepProgramsCompileOrAreRefusedWithAMessage) {
  const std::string head = "module M:\nInput: A;\nOutput: O;\n";
  Built b = build(dir, "wait", head + "wait 600 A >> emit O\nend\n", 64);
  EXPECT_TRUE(b.exited && b.status == 0) << b.output;
  b = build(dir, "parallel", head + repeat("emit O", 150, " || ") + "\nend\n", 64);
  EXPECT_TRUE(b.exited && b.status == 0) << b.output;
  b = build(dir, "wait_beyond", head + "wait 100001 A >> emit O\nend\n");
  EXPECT_EQ(b.status, 1) << b.output;
  EXPECT_NE(b.output.find("is a bad number for wait (1 to 100000): 100001"), std::string::npos) << b.output;

  // Data expressions nest up to the depth that the compiled-module reader reads back.
  const std::string data = "data:\n  Type: num;\nend data\nmodule D:\nInput: A: num;\nOutput: O: num;\n";
  b = build(dir, "sum", data + "present A { emit O(" + repeat("#A", 1001, " + ") + ") }\nend\n");
  ASSERT_TRUE(b.exited && b.status == 0) << b.output;
  {
    DataTablesScope tables;
    jxc_load_request request;
    request.explain = 0;
    jxc_load_result read = jxc_load(dir + "/D.jxc", request);
    EXPECT_TRUE(read.ok()) << read.error;
    jxc_release(read.module);
    DataTablesScope::free_read_tables();
  }
  b = build(dir, "deeper", data + "present A { emit O(\n" + repeat("#A", 1002, " + ") + ") }\nend\n");
  EXPECT_EQ(b.status, 1) << b.output;
  EXPECT_NE(b.output.find("ERROR at line 8: a data expression nests more than 1000 operators and method calls"),
            std::string::npos)
      << b.output;
  b = build(dir, "deepest", data + "present A { emit O(" + repeat("#A", 100001, " + ") + ") }\nend\n");
  EXPECT_EQ(b.status, 1) << b.output;
}

// A long identifier and a long comment line read as they are written, and the messages keep
// their line numbers.
TEST_F(BuildLimits, LongTokensReadWhole) {
  const std::string name = "S" + std::string(16384, 'x');
  const std::string comment = ";; " + std::string(1 << 18, 'c') + "\n";
  const std::string source = comment + "module L:\nInput: " + name + ";\nOutput: O;\n" + comment + "present " + name +
                             " { emit O }\nend\n";
  Built b = build(dir, "long", source);
  ASSERT_TRUE(b.exited && b.status == 0) << b.output.substr(0, 1000);
  EXPECT_NE(read_file(dir + "/L.jxc").find(name), std::string::npos);
  b = build(dir, "long_error", source + comment + "module ;\n");
  EXPECT_EQ(b.status, 1);
  EXPECT_NE(b.output.find("SYNTAX ERROR at line 9: last token read: \";\""), std::string::npos)
      << b.output.substr(0, 1000);
}

}  // namespace
