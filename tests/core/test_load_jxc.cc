// The compiled-module loader: a module read and released, the missing, rejected and refused
// loads (run under the leak checker, the rejected ones leave nothing allocated), and a ".log"
// that is a symbolic link or not a regular file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "compilation.h"
#include "data.h"
#include "data_tables_scope.h"
#include "load_jxc.h"
#include "module.h"
#include "module_signal.h"
#include "test_scope.h"

namespace {

std::string dataDir() {
  std::string f = __FILE__;
  return f.substr(0, f.find_last_of('/')) + "/data/";
}

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void put(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

class JxcLoaderTest : public ::testing::Test {
 protected:
  ~JxcLoaderTest() override { DataTablesScope::free_read_tables(); }
  // Loads text written to dir/name; standard error goes to err.
  jxc_load_result load(const std::string& name, const std::string& text) {
    put(dir + "/" + name, text);
    return loadPath(dir + "/" + name);
  }
  jxc_load_result loadPath(const std::string& path) {
    testing::internal::CaptureStderr();
    jxc_load_result r = jxc_load(path, jxc_load_request());
    err = testing::internal::GetCapturedStderr();
    return r;
  }

  DataTablesScope tables;
  RecordedBoxes boxes;
  ScratchDir scratch{"zarim_loader"};
  const std::string dir = scratch.path;
  std::string err;
};

}  // namespace

TEST_F(JxcLoaderTest, ReadsReleasesAndReportsEachFailure) {
  // A second binding of Y replaces the first: its clock goes, and the expressions only the
  // first one used are freed with it.
  std::string data = slurp(dataDir() + "reader/data.jxc");
  const std::string first = "   (4, 5): value: 0 clock: (2, 3);\n";
  data.insert(data.find(first) + first.size(), "   (4, 5): value: 4;\n");
  jxc_load_result r = load("data.jxc", data);
  ASSERT_TRUE(r.ok()) << r.error << err;
  EXPECT_EQ(r.failure, jxc_load_result::none);
  EXPECT_EQ(r.error, "");
  EXPECT_EQ(r.module->getName(), "dat");
  ASSERT_NE(r.module->getBinding("Y"), nullptr);
  EXPECT_EQ(r.module->getBinding("Y")->getClock(), nullptr);
  EXPECT_TRUE(r.module->getBinding("Y")->getValue()->isDataMethod());
  EXPECT_EQ(r.module->getBinding("Y")->getValue(), r.module->getBinding("Y_1")->getValue());
  EXPECT_NE(slurp(dir + "/data.jxc.log").find("1 --> definition finale\n"), std::string::npos);
  jxc_release(r.module);
  jxc_release(nullptr);

  // A missing file still leaves its (empty) log.
  r = loadPath(dir + "/none.jxc");
  EXPECT_EQ(r.failure, jxc_load_result::not_found);
  EXPECT_EQ(r.module, nullptr);
  EXPECT_EQ(r.error, "cannot open " + dir + "/none.jxc");
  EXPECT_EQ(err, "");
  EXPECT_EQ(access((dir + "/none.jxc.log").c_str(), F_OK), 0);

  // Rejected with the module half made: in a typed signal list, on the strings of a register
  // line, after the registers, bindings and data tables (an unknown bound signal), and on a
  // node cycle.
  const std::string head = "module: m 1 0\ninput: a : int b ;\nlocal: n c ;\nregister: n c 0;\n";
  const std::string tail = "connexion: S R T;\nequation_def:\n0\nexpressions:\nend:\n";
  const struct {
    const char* what;
    std::string text;
    std::string message;
  } rejected[] = {
      {"syntax", "module: m 0 0\ninput: a : int b : ;\n" + tail, "line 2: syntax error\n"},
      {"range", "module: m 0 0\nlocal: n c ;\nregister: n c 4294967296;\n" + tail,
       "line 3: number out of range: 4294967296\n"},
      {"binding", head + tail + "binding:\n (0, 1): value: 0;\n (40, 41): value: 0;\nend:\nevaltable:\n 0: %0(1);\n"
                      " 1: $0;\nend:\n"
                      "data:\ntype:\nint;\nmethod:\nint f(int);\nint g();\nconstant:\nint one \"1\";\nend:\n",
       "line 26: unknown data signal:40\n"},
      {"cycle", head + "connexion: S R T;\nequation_def:\n1\n0: 0:0:0,-1\nexpressions:\n1 1 2:0,1,()\nend:\n",
       "line 10: BDD node is its own descendant\n"},
  };
  for (const auto& c : rejected) {
    r = load("bad.jxc", c.text);
    EXPECT_EQ(r.failure, jxc_load_result::rejected) << c.what;
    EXPECT_EQ(r.module, nullptr) << c.what;
    EXPECT_EQ(r.error, dir + "/bad.jxc: the compiled module was rejected") << c.what;
    EXPECT_EQ(err, c.message) << c.what;
  }

  // Without a reader every load is rejected.
  Compilation::JxcReader reader = Compilation::jxc_reader;
  Compilation::jxc_reader = nullptr;
  EXPECT_EQ(load("data.jxc", data).failure, jxc_load_result::rejected);
  Compilation::jxc_reader = reader;
}

TEST_F(JxcLoaderTest, LogIsNeitherFollowedThroughALinkNorOpenedUnlessARegularFile) {
  const std::string module = dir + "/m.jxc";
  put(module, slurp(dataDir() + "reader/minimal.jxc"));
  const std::string victim = dir + "/victim";
  put(victim, "kept\n");
  ASSERT_EQ(symlink(victim.c_str(), (module + ".log").c_str()), 0);
  jxc_load_result r = loadPath(module);
  EXPECT_EQ(r.failure, jxc_load_result::log_refused);
  EXPECT_EQ(r.module, nullptr);
  EXPECT_EQ(r.error, "cannot write the log " + module + ".log: it is a symbolic link");
  EXPECT_EQ(slurp(victim), "kept\n");

  // The compiler's load says so on standard error and reads nothing.
  std::string instance;
  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::jxc_parse(module, instance, nullptr, nullptr), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), r.error + "\n");
  EXPECT_EQ(slurp(victim), "kept\n");

  // A link to nothing does not create its target.
  ASSERT_EQ(unlink((module + ".log").c_str()), 0);
  const std::string absent = dir + "/absent";
  ASSERT_EQ(symlink(absent.c_str(), (module + ".log").c_str()), 0);
  EXPECT_EQ(loadPath(module).failure, jxc_load_result::log_refused);
  EXPECT_NE(access(absent.c_str(), F_OK), 0);

  // Neither a directory nor a FIFO (whose open would otherwise wait for a reader).
  ASSERT_EQ(unlink((module + ".log").c_str()), 0);
  ASSERT_EQ(mkdir((module + ".log").c_str(), 0700), 0);
  EXPECT_EQ(loadPath(module).failure, jxc_load_result::log_refused);
  ASSERT_EQ(rmdir((module + ".log").c_str()), 0);
  ASSERT_EQ(mkfifo((module + ".log").c_str(), 0600), 0);
  r = loadPath(module);
  EXPECT_EQ(r.failure, jxc_load_result::log_refused);
  EXPECT_EQ(r.error.rfind("cannot write the log " + module + ".log: ", 0), 0u) << r.error;

  // A regular log of its own is truncated and rewritten.
  ASSERT_EQ(unlink((module + ".log").c_str()), 0);
  put(module + ".log", std::string(10000, 'x'));
  r = loadPath(module);
  ASSERT_TRUE(r.ok()) << r.error;
  EXPECT_EQ(slurp(module + ".log").substr(0, 8), "13 --> m");
  EXPECT_EQ(slurp(module + ".log").find("xx"), std::string::npos);
  jxc_release(r.module);
}
