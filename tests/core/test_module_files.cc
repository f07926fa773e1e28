#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "compilation.h"
#include "g_messages.h"
#include "library_exit.h"
#include "module.h"
#include "module_and_files.h"
#include "server_tables.h"
#include "sexception.h"
#include "source_harness.h"
#include "test_scope.h"

namespace {

// A fresh directory per test, the module settings saved and a recording message sink.
class FilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_jxc_dir = Module::SimulationJxcDir;
    saved_sim_dir = Module::SimulationDir;
    saved_list = Module::CompilationFileList;
    saved_reader = Compilation::jxc_reader;
    saved_source_reader = Compilation::jx_reader;
    forms_sink sink = forms_stderr_sink();
    sink.show = [this](forms_box_kind, const std::string& text) { boxes.push_back(text); };
    forms_set_sink(sink);
  }
  void TearDown() override {
    Module::SimulationJxcDir = saved_jxc_dir;
    Module::SimulationDir = saved_sim_dir;
    Module::CompilationFileList = saved_list;
    Compilation::jxc_reader = saved_reader;
    Compilation::jx_reader = saved_source_reader;
    forms_reset_sink();
  }

  ScratchDir scratch{"zarim_files"};
  const std::string dir = scratch.path;
  std::vector<std::string> boxes;
  std::string saved_jxc_dir, saved_sim_dir;
  std::list<std::string>* saved_list = nullptr;
  Compilation::JxcReader saved_reader = nullptr;
  Compilation::JxReader saved_source_reader = nullptr;
};

using JxcLoadingTest = FilesTest;
using JxcLoadingExitTest = FilesTest;
using ModuleFilesTest = FilesTest;

// Test reader: records what it was given, answers with reader_module (or fails).
Module* reader_module = nullptr;
std::string reader_text, reader_instance, reader_run_instance;
int reader_explain = -1;

int fake_reader(std::istream& in, std::ostream& log, int explain, const std::string& instance,
                const std::string& run_instance, std::list<std::string>*, std::list<std::string>*, Module** result) {
  std::ostringstream s;
  s << in.rdbuf();
  reader_text = s.str();
  reader_instance = instance;
  reader_run_instance = run_instance;
  reader_explain = explain;
  log << "parsed\n";
  *result = reader_module;
  return reader_module != nullptr ? 0 : 1;
}

std::string source_text;
int fake_source_reader(std::istream& in, std::string&) {
  std::ostringstream s;
  s << in.rdbuf();
  source_text = s.str();
  return 0;
}

}  // namespace

TEST_F(JxcLoadingTest, FileNameMatchesTheWholeModuleName) {
  write_file(dir + "/ab.jxc", "module: AB  0 1\ninput: x ;\n");
  write_file(dir + "/bar.jxc", "module: BAR  1 1\n");
  write_file(dir + "/a1.jxc", "module: A  1 1\n");
  write_file(dir + "/a2.jxc", "module: A  0 1\n");
  std::list<std::string> files = {dir + "/missing.jxc", dir + "/ab.jxc", dir + "/bar.jxc", dir + "/a1.jxc",
                                  dir + "/a2.jxc"};
  Module::CompilationFileList = &files;
  // A is not matched by AB or BAR; the first file in list order wins.
  EXPECT_EQ(Compilation::getJxcFileName("A"), dir + "/a1.jxc");
  EXPECT_EQ(Compilation::getJxcFileName("AB"), dir + "/ab.jxc");
  EXPECT_EQ(Compilation::getJxcFileName("B"), "");
  EXPECT_EQ(Compilation::getReincarnateFromJxcFile("A"), 1);
  EXPECT_EQ(Compilation::getReincarnateFromJxcFile("AB"), 0);
  EXPECT_EQ(Compilation::getReincarnateFromJxcFile("B"), -1);

  std::list<std::string> empty;
  Module::CompilationFileList = &empty;
  EXPECT_EQ(Compilation::getJxcFileName("A"), "");
  EXPECT_EQ(Compilation::getReincarnateFromJxcFile("A"), -1);
  Module::CompilationFileList = nullptr;
  EXPECT_EQ(Compilation::getJxcFileName("A"), "");
  EXPECT_EQ(Compilation::getReincarnateFromJxcFile("A"), -1);
  EXPECT_EQ(Compilation::createModuleFromJxcCode("A", nullptr, nullptr), nullptr);
}

TEST_F(JxcLoadingTest, MissingFileIsReportedAndLeavesALog) {
  std::string path = dir + "/none.jxc";
  std::string instance = "i";
  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::jxc_parse(path, instance, nullptr, nullptr), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "File: " + path + " does not exist\n");
  EXPECT_TRUE(file_exists(path + ".log"));
}

TEST_F(JxcLoadingTest, ParseGoesThroughTheReader) {
  std::string path = dir + "/m.jxc";
  write_file(path, "module: M  0 1\n");
  Compilation::jxc_reader = fake_reader;
  Module m("M");
  reader_module = &m;
  std::string instance = "inst", run_instance = "run";
  EXPECT_EQ(Compilation::jxc_parse(path, instance, run_instance, nullptr, nullptr), &m);
  EXPECT_EQ(reader_text, "module: M  0 1\n");
  EXPECT_EQ(reader_instance, "inst");
  EXPECT_EQ(reader_run_instance, "run");
  EXPECT_EQ(reader_explain, 1);
  EXPECT_EQ(read_file(path + ".log"), "parsed\n");

  // The four-argument form passes the shared empty run instance.
  EXPECT_EQ(Compilation::jxc_parse(path, instance, nullptr, nullptr), &m);
  EXPECT_EQ(reader_run_instance, "");

  std::list<std::string> files = {path};
  Module::CompilationFileList = &files;
  EXPECT_EQ(Compilation::createModuleFromJxcCode("M", nullptr, nullptr), &m);
  EXPECT_EQ(reader_instance, "");

  // A parse failure, and a library without the reader, are load errors.
  reader_module = nullptr;
  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::jxc_parse(path, instance, nullptr, nullptr), nullptr);
  Compilation::jxc_reader = nullptr;
  EXPECT_EQ(Compilation::jxc_parse(path, instance, nullptr, nullptr), nullptr);
  std::string line = "ERROR during loading file : " + path + "\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), line + line);
}

TEST_F(JxcLoadingTest, SourceParseReadsTheFile) {
  std::string path = dir + "/m.jx";
  write_file(path, "module M: end");
  Compilation::jx_reader = fake_source_reader;
  Compilation::jx_parse(path.c_str());
  EXPECT_EQ(source_text, "module M: end");
}

TEST_F(JxcLoadingExitTest, UnreadableSourceEndsTheProcess) {
  std::string path = dir + "/none.jx";
  forms_set_sink(forms_stderr_sink());
  EXPECT_LIBRARY_EXIT(Compilation::jx_parse(path.c_str()), 1,
                      "Can not open input file:\n" + path + "\n");
}

TEST_F(ModuleFilesTest, GeneratedFileNamesAndOpenFailures) {
  ServerTables tables(false, false);
  Module m("M");
  Module::SimulationJxcDir = dir;
  m.save_zars_code();
  EXPECT_EQ(read_file(dir + "/zars_M.cc").rfind("#include  \"user_data_M.h\"\n", 0), 0u);
  m.save_user_data_code();
  EXPECT_TRUE(file_exists(dir + "/user_data_M.h"));
  EXPECT_TRUE(file_exists(dir + "/user_data_M.cc"));
  EXPECT_FALSE(file_exists(dir + "/user_data_M.h.bak"));

  Module::SimulationJxcDir = dir + "/no/such";
  testing::internal::CaptureStderr();
  m.save_zars_code();
  m.save_user_data_code();
  std::string err = testing::internal::GetCapturedStderr();
  std::string zars = "Cannot open zars file:" + dir + "/no/such/zars_M.cc: No such file or directory";
  std::string h = "Cannot open user data file:" + dir + "/no/such/user_data_M.h: No such file or directory";
  std::string cc = "Cannot open user data file:" + dir + "/no/such/user_data_M.cc: No such file or directory";
  EXPECT_EQ(err, zars + "\n" + h + "\n" + cc + "\n");
  EXPECT_EQ(boxes, (std::vector<std::string>{zars, h, cc}));
}

TEST_F(ModuleFilesTest, UserDataFilesAreKeptAsBackups) {
  ServerTables tables(false, false);
  Module m("M");
  Module::SimulationJxcDir = dir;
  write_file(dir + "/user_data_M.h", "completed header");
  write_file(dir + "/user_data_M.cc", "completed body");
  testing::internal::CaptureStderr();
  m.save_user_data_code();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "File: " + dir + "/user_data_M.h already exists. File rewrited.\n" + "File: " + dir +
                "/user_data_M.cc already exists. File rewrited.\n");
  EXPECT_EQ(read_file(dir + "/user_data_M.h.bak"), "completed header");
  EXPECT_EQ(read_file(dir + "/user_data_M.cc.bak"), "completed body");
  EXPECT_EQ(read_file(dir + "/user_data_M.h").rfind("#ifndef  USER_DATA_M_H\n", 0), 0u);
}

// On a full disk every writer of a module (the .jxc, the value server, the user files, the
// netlist for the simulator and each target generator) reports its file with the reason and
// leaves the older file as it was, with no temporary beside it; the simulator is not run.
TEST_F(ModuleFilesTest, EveryWriterLeavesItsFileAsItWasOnAFullDisk) {
  SmallTmpfs disk(64);
  if (!disk.mounted()) GTEST_SKIP() << disk.why;
  SourceHarness source(read_file(valued_example_dir() + "valued.jx"));
  Module* m = source.module("Valued");
  source.build("Valued");
  const std::vector<std::string> files = {"F.jxc", "zars_Valued.cc", "user_data_Valued.h", "user_data_Valued.cc",
                                          "Valued.blif", "F.c", "F.h", "F.cs", "F.vhdl", "F.gal", "F.smv",
                                          "F.blif", "F.dbg"};
  for (const std::string& f : files) write_file(disk.path + "/" + f, "old " + f);
  disk.fill_leaving(0);
  char* here = getcwd(nullptr, 0);
  ASSERT_EQ(chdir(disk.path.c_str()), 0);
  const std::string saved_dir = Module::OutputDir, saved_file = Module::OutputFile;
  Module::OutputDir = Module::SimulationJxcDir = ".";
  Module::SimulationDir = "./";
  Module::OutputFile = "F";
  const std::string saved_path = getenv("PATH") != nullptr ? getenv("PATH") : "";
  setenv("PATH", "/nonexistent", 1);  // blif_simul, were it run, is not found
  const std::vector<std::pair<const char*, void (Module::*)()>> writers = {
      {"save", &Module::save},
      {"save_zars_code", &Module::save_zars_code},
      {"save_user_data_code", &Module::save_user_data_code},
      {"simulate", &Module::simulate},
      {"printC", &Module::printC},
      {"printCSHARP", &Module::printCSHARP},
      {"printVHDL", &Module::printVHDL},
      {"printENCAPSULATEDGAL", &Module::printENCAPSULATEDGAL},
      {"printSMV", &Module::printSMV},
      {"printBLIF", &Module::printBLIF},
      {"printDebug", &Module::printDebug}};
  for (const auto& w : writers) {
    testing::internal::CaptureStderr();
    (m->*w.second)();
    const std::string err = testing::internal::GetCapturedStderr();
    std::istringstream lines(err);
    int refused = 0;
    for (std::string line; std::getline(lines, line);)
      if (line.rfind("Cannot ", 0) == 0) {
        ++refused;
        EXPECT_TRUE(line.rfind("Cannot write output file: ", 0) == 0 && line.size() > 25 &&
                    line.compare(line.size() - 25, 25, ": No space left on device") == 0)
            << w.first << ": " << line;
      }
    EXPECT_GT(refused, 0) << w.first << ": " << err;
    EXPECT_EQ(err.find("blif_simul"), std::string::npos) << "the simulator was run: " << err;
  }
  setenv("PATH", saved_path.c_str(), 1);
  Module::OutputDir = saved_dir;
  Module::OutputFile = saved_file;
  ASSERT_EQ(chdir(here), 0);
  std::free(here);
  std::vector<std::string> left;
  for (const std::string& f : files) {
    EXPECT_EQ(read_file(disk.path + "/" + f), "old " + f);
    left.push_back(f);
  }
  left.push_back("fill");
  std::sort(left.begin(), left.end());
  std::vector<std::string> found;
  if (DIR* d = opendir(disk.path.c_str())) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') found.push_back(e->d_name);
    closedir(d);
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found, left);
}

TEST_F(ModuleFilesTest, SimulateRunsTheStandInOnTheQuotedPath) {
  // Stand-in simulator first on PATH: records its arguments, one per line.
  std::string bin = dir + "/bin";
  ASSERT_EQ(mkdir(bin.c_str(), 0755), 0);
  write_file(bin + "/blif_simul", "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" + dir + "/args\"\n");
  ASSERT_EQ(chmod((bin + "/blif_simul").c_str(), 0755), 0);
  std::string saved_path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  setenv("PATH", (bin + ":" + saved_path).c_str(), 1);

  std::string sim = dir + "/it's a dir";
  ASSERT_EQ(mkdir(sim.c_str(), 0755), 0);
  Module::SimulationDir = sim + "/";  // no separator is added
  Module m("M");
  m.setFinalised(1);  // already finalised: not finalised again
  m.simulate();
  std::string blif = sim + "/M.blif";
  EXPECT_TRUE(file_exists(blif));
  EXPECT_EQ(read_file(dir + "/args"), blif + "\n");

  testing::internal::CaptureStderr();
  m.simulate();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "File: " + blif + " already exists. File rewrited.\n");

  // An output file that cannot be opened: reported, and the command is not run.
  std::remove((dir + "/args").c_str());
  Module::SimulationDir = dir + "/no/such/";
  testing::internal::CaptureStderr();
  m.simulate();
  std::string text = "Cannot open output file: " + dir + "/no/such/M.blif: No such file or directory";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), text + "\n");
  EXPECT_EQ(boxes, std::vector<std::string>{text});
  EXPECT_FALSE(file_exists(dir + "/args"));
  setenv("PATH", saved_path.c_str(), 1);
}

TEST_F(ModuleFilesTest, SimulateRequiresCompilation) {
  Module m("M");
  EquationTable* table = m.compilation;
  m.compilation = nullptr;
  try {
    m.simulate();
    ADD_FAILURE() << "no exception";
  } catch (const IllegalOperationException& e) {
    EXPECT_STREQ(e.operation_name(), "Simulation requires compilation");
    EXPECT_EQ(e.argument_name(), nullptr);
  }
  m.compilation = table;
}
