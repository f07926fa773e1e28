// Data expressions through the whole valued flow, as a user runs a program: build_example
// writes the .jxc and the value server, g++ compiles the server with the example's completed
// user file (a type int beside its own), the server is started, and the engine loads the
// .jxc, connects to it and reacts. The values are those the test computes itself.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "data_tables_scope.h"
#include "evaluation.h"
#include "load_jxc.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "server_tables.h"
#include "sock.h"
#include "test_scope.h"
#include "valued_session.h"

namespace {

// ----- the user's files: the example's, with a type int beside num and real -----

const char* const IntDeclarations =
    "const int zero_int= 0;\n"
    "extern bool check_int(string arg);\n"
    "extern int string_to_int(string arg);\n"
    "extern string int_to_string(int  arg);\n\n"
    "const int lim= 12;\n\n";

const char* const IntDefinitions = R"(
#include <cerrno>
#include <climits>

// An int is a decimal integer within its type's range.
bool check_int(string arg){
  if (!check_num(arg)) return false;
  errno = 0;
  long v = strtol(arg.c_str(), 0, 10);
  return errno == 0 && v >= INT_MIN && v <= INT_MAX;
}
int string_to_int(string arg)  { return (int)strtol(arg.c_str(), 0, 10); }
string int_to_string(int  arg) { ostringstream s; s << arg; return s.str(); }
)";

// user_data_<module>.h and .cc in dir: the example's completed files, int added.
void write_user_files(const std::string& dir, const std::string& module) {
  const std::string ex = valued_example_dir();
  std::string header = read_file(ex + "user_data_Valued.h");
  header.insert(header.rfind("#endif"), IntDeclarations);
  std::string body = read_file(ex + "user_data_Valued.cc");
  const std::string include = "#include \"user_data_Valued.h\"";
  body.replace(body.find(include), include.size(), "#include \"user_data_" + module + ".h\"");
  write_file(dir + "/user_data_" + module + ".h", header);
  write_file(dir + "/user_data_" + module + ".cc", body + IntDefinitions);
}

// The generator: this tree's build_example, or the one ZARIM_DATA_BUILD_EXAMPLE names (an
// older tree's, to see what the check finds there).
std::string generator() {
  const char* g = std::getenv("ZARIM_DATA_BUILD_EXAMPLE");
  return g != nullptr ? g : ZARIM_BUILD_EXAMPLE;
}

// Compiled servers by the text of their sources: the programs of one data part have few
// server texts, and g++ compiles each once per test process.
class ServerCache {
 public:
  // The server of dir/zars_<module>.cc and dir's user files; "" when g++ refuses them (its
  // output in *why).
  std::string binary(const std::string& dir, const std::string& module, std::string* why) {
    const std::string stem = dir + "/" + module;
    std::string key = read_file(dir + "/zars_" + module + ".cc") + read_file(dir + "/user_data_" + module + ".h") +
                      read_file(dir + "/user_data_" + module + ".cc");
    auto at = built.find(key);
    if (at != built.end()) return at->second;
    std::string exe = store.path + "/zars_" + std::to_string(built.size());
    std::string cmd = "cd '" + dir + "' && g++ -O1 -Wall -Wextra -Werror -o '" + exe + "' zars_" + module +
                      ".cc user_data_" + module + ".cc >gxx.log 2>&1";
    if (std::system(cmd.c_str()) != 0) {
      *why = read_file(dir + "/gxx.log");
      return "";
    }
    return built[key] = exe;
  }

 private:
  ScratchDir store{"zarim_data_servers"};
  std::map<std::string, std::string> built;
};

// A program served as a user runs it: build_example into a scratch folder, the module's
// server compiled and started there (the simulator it starts does nothing: the engine
// connects itself), the engine connected with the module's .jxc loaded. error says what
// failed ("" when all went well).
class ServedProgram {
 public:
  ServedProgram(const std::string& source, const std::string& module, ServerCache& cache) {
    write_file(dir + "/program.jx", source);
    std::string cmd = "'" + generator() + "' '" + dir + "/program.jx' '" + dir + "' >'" + dir + "/built' 2>&1";
    if (std::system(cmd.c_str()) != 0) {
      error = "build_example: " + read_file(dir + "/built");
      return;
    }
    write_user_files(dir, module);
    std::string exe = cache.binary(dir, module, &error);
    if (exe.empty()) return;
    mkdir((dir + "/bin").c_str(), 0755);
    write_file(dir + "/bin/zars", "#!/bin/sh\n");
    chmod((dir + "/bin/zars").c_str(), 0755);
    cmd = "cd '" + dir + "' && (PATH=\"$PWD/bin:$PATH\" timeout 60 '" + exe + "' 2>server.log; echo $? > status) &";
    if (std::system(cmd.c_str()) != 0) error = "the server was not started";
    if (error.empty()) connect(module);
  }
  ~ServedProgram() {
    sim.load(nullptr);
    if (client != nullptr) close();
    jxc_release(loaded.module);
    DataTablesScope::free_read_tables();
  }
  ServedProgram(const ServedProgram&) = delete;
  ServedProgram& operator=(const ServedProgram&) = delete;

  // The input or output of that name; null when none.
  Signal* signal(const std::string& name) const {
    for (const std::vector<Signal*>* list : {&sim.inputs(), &sim.outputs()})
      if (Signal* s = ValuedSession::named(*list, name)) return s;
    return nullptr;
  }
  // One reaction with the inputs given present, valued ones with their text; the others
  // absent. The engine's messages are not shown.
  void react(const std::map<std::string, std::string>& present) {
    for (Signal* in : sim.inputs()) {
      auto at = present.find(in->getInternalName());
      sim.setInputColour(in, at != present.end() ? Colour::Bleu : Colour::Noir);
      if (at != present.end()) sim.setInputValue(in, at->second);
    }
    testing::internal::CaptureStderr();
    ReactionReport report = sim.react();
    testing::internal::GetCapturedStderr();
    EXPECT_TRUE(report.ran) << report.refusal;
    EXPECT_FALSE(report.timed_out);
  }
  bool present(const std::string& name) const { return sim.colourOf(signal(name)) == Colour::Bleu; }
  std::string value(const std::string& name) const { return sim.outputValue(signal(name)); }
  // Closes the connexion: the server's exit status ("" when it has not ended in 5 s).
  std::string close() {
    SOCK_shutdown(client, 1);
    client = nullptr;
    for (int i = 0; i < 500 && read_file(dir + "/status").empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return read_file(dir + "/status");
  }
  // Each request the server answered and its reply: "request => reply" lines.
  std::string exchanges() const {
    std::istringstream log(read_file(dir + "/server.log"));
    std::string line, out;
    const std::string got = "BUFFER RECEIVED:", sent = "TRANSMIT:";
    while (std::getline(log, line)) {
      if (line.rfind(got, 0) == 0) out += line.substr(got.size()) + " => ";
      if (line.rfind(sent, 0) == 0) out += line.substr(sent.size()) + "\n";
    }
    return out;
  }

  std::string error;
  Simulation sim;

 private:
  void connect(const std::string& module) {
    const std::string key = "allocated port number is ";
    std::string port;
    for (int i = 0; i < 1000 && port.empty(); ++i) {
      std::string log = read_file(dir + "/server.log");
      if (log.rfind(key, 0) == 0 && log.find('\n') != std::string::npos)
        port = log.substr(key.size(), log.find('\n') - key.size());
      else
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    client = port.empty() ? nullptr : SOCK_make_client("127.0.0.1", std::atoi(port.c_str()));
    if (client == nullptr) {
      error = "no connexion to the server: " + read_file(dir + "/server.log");
      return;
    }
    jxc_load_request request;
    request.explain = 0;
    loaded = jxc_load(dir + "/" + module + ".jxc", request);
    if (!loaded.ok()) {
      error = loaded.error;
      return;
    }
    sim.setSocket(client);
    sim.load(loaded.module);
  }

  ScratchDir scratch{"zarim_data"};
  const std::string dir = scratch.path;
  DataTablesScope tables;
  socket_type* client = nullptr;
  jxc_load_result loaded;
};

class DataFlow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { cache = new ServerCache; }
  static void TearDownTestSuite() {
    delete cache;
    cache = nullptr;
  }
  void SetUp() override {
    if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  }
  static ServerCache* cache;
};

ServerCache* DataFlow::cache = nullptr;

// ----- conditions on constants alone, and the operators that give truth values -----

// A condition that reads no signal (a literal and a constant with a value, a constant the
// server gives, the same inside a called module) is asked in every reaction and holds.
TEST_F(DataFlow, ConditionsOnConstantsAloneHoldInEveryReaction) {
  ServedProgram p("data: Type: int; Constant: int 3; int ten := 10; int lim; end data\n"
                  "module Top: Input: A; Output: U, W, X;\n"
                  "loop { { if ten > 3 emit U || if lim > 3 emit W || run Sub [X \\ V] } >> pause } end\n"
                  "module Sub: Output: V; if ten > 3 emit V end\n",
                  "Top", *cache);
  ASSERT_EQ(p.error, "");
  std::vector<std::string> trace;
  for (const char* a : {"", "A", ""}) {
    p.react(*a != 0 ? std::map<std::string, std::string>{{a, ""}} : std::map<std::string, std::string>{});
    trace.push_back(std::string(p.present("U") ? "U" : "-") + (p.present("W") ? "W" : "-") +
                    (p.present("X") ? "X" : "-"));
  }
  EXPECT_EQ(trace, (std::vector<std::string>{"UWX", "UWX", "UWX"}));
  EXPECT_EQ(p.close(), "0\n");
  // Per reaction: the two conditions on ten, the server constant and the condition on it.
  std::map<std::string, int> asked;
  std::istringstream lines(p.exchanges());
  for (std::string line; std::getline(lines, line);) ++asked[line];
  EXPECT_EQ(asked, (std::map<std::string, int>{
                       {"BOP,10,int, > ,3,int => true", 6}, {"BOP,12,int, > ,3,int => true", 3}, {"CONST,lim => 12", 3}}));
}

// The example with one change each: unary minus gives the negated value in its type's
// text form, `not`, `and` and `or` of comparisons give their truth value. The requests are
// those the example's server was always sent.
TEST_F(DataFlow, MinusNotAndOrGiveTheirValues) {
  struct Change {
    const char* from;
    const char* to;
    std::vector<std::string> expected;  // for A = 41, 3, 20: O's value, or D present
    const char* exchange;               // a request with A = 41 and its reply
  } changes[] = {
      {"emit O(#A + ten)", "emit O(-#A + ten)", {"-31", "7", "-10"}, "UOP, -,41,num => -41\n"},
      {"emit O(#A + ten)", "emit O(-(-#A))", {"41", "3", "20"}, "UOP, -,-41,num => 41\n"},
      {"if #A > 10 emit D", "if not (#A < 10) emit D", {"D", "-", "D"}, "UOP, !,false,num => true\n"},
      {"if #A > 10 emit D", "if (#A > 10) and (#A > 10) emit D", {"D", "-", "D"},
       "BOP,true,num, && ,true,num => true\n"},
      {"if #A > 10 emit D", "if (#A < 10) or (#A > twice(ten)) emit D", {"D", "D", "-"},
       "BOP,false,num, | ,true,num => true\n"},
  };
  const std::string example = read_file(valued_example_dir() + "valued.jx");
  for (const Change& c : changes) {
    SCOPED_TRACE(c.to);
    std::string source = example;
    ASSERT_NE(source.find(c.from), std::string::npos);
    source.replace(source.find(c.from), std::string(c.from).size(), c.to);
    ServedProgram p(source, "Valued", *cache);
    ASSERT_EQ(p.error, "");
    std::vector<std::string> seen;
    for (const char* a : {"41", "3", "20"}) {
      p.react({{"A", a}});
      seen.push_back(c.to[0] == 'e' ? p.value("O") : p.present("D") ? "D" : "-");
    }
    EXPECT_EQ(seen, c.expected);
    EXPECT_EQ(p.close(), "0\n");
    EXPECT_NE(p.exchanges().find(c.exchange), std::string::npos) << p.exchanges();
  }
}

}  // namespace
