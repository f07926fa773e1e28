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
    std::string cmd = "cd '" + dir + "' && timeout 300 g++ -O1 -Wall -Wextra -Werror -o '" + exe + "' zars_" + module +
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
    // Bounded: a compile that does not end is a failure, not a hung test.
    std::string cmd =
        "timeout 60 '" + generator() + "' '" + dir + "/program.jx' '" + dir + "' >'" + dir + "/built' 2>&1";
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

// ----- random data expressions -----

// The values the user's functions give, in their text forms ("--": no value), computed
// here as the example's user file and the int above define them.
namespace user {

enum Type { Num, Int, Real };
const char* const TypeName[] = {"num", "int", "real"};
const std::string None = "--";

bool check(Type t, const std::string& s) {
  if (s.empty()) return false;
  if (t == Real) {
    char* end = nullptr;
    std::strtod(s.c_str(), &end);
    return *end == 0;
  }
  size_t i = s[0] == '-' ? 1 : 0;
  if (i == s.size() || s.find_first_not_of("0123456789", i) != std::string::npos) return false;
  errno = 0;
  long v = std::strtol(s.c_str(), nullptr, 10);
  return t == Num || (errno == 0 && v >= INT_MIN && v <= INT_MAX);
}
long integer(Type t, const std::string& s) {
  long v = std::strtol(s.c_str(), nullptr, 10);
  return t == Int ? static_cast<int>(v) : v;
}
double real(const std::string& s) { return std::strtod(s.c_str(), nullptr); }
template <class T>
std::string text(T v) {
  std::ostringstream o;
  o << v;
  return o.str();
}
std::string truth(bool b) { return b ? "true" : "false"; }
bool is_truth(const std::string& s) { return s == "true" || s == "false"; }

// a op b of type t, op one of + - * /: an integer outside its type, a division by zero or
// of the least integer by -1 has no value.
std::string arithmetic(Type t, char op, const std::string& x, const std::string& y) {
  if (!check(t, x) || !check(t, y)) return None;
  if (t == Real) {
    double a = real(x), b = real(y);
    return text(op == '+' ? a + b : op == '-' ? a - b : op == '*' ? a * b : a / b);
  }
  const __int128 lo = t == Int ? INT_MIN : LONG_MIN, hi = t == Int ? INT_MAX : LONG_MAX;
  __int128 a = integer(t, x), b = integer(t, y);
  if (op == '/' && (b == 0 || (a == lo && b == -1))) return None;
  __int128 r = op == '+' ? a + b : op == '-' ? a - b : op == '*' ? a * b : a / b;
  return r < lo || r > hi ? None : text(static_cast<long>(r));
}
std::string compare(Type t, const std::string& op, const std::string& x, const std::string& y) {
  if (!check(t, x) || !check(t, y)) return None;
  auto holds = [&op](auto a, auto b) {
    return op == "==" ? a == b : op == "!=" ? a != b : op == "<" ? a < b : op == "<=" ? a <= b : op == ">" ? a > b
                                                                                                      : a >= b;
  };
  return truth(t == Real ? holds(real(x), real(y)) : holds(integer(t, x), integer(t, y)));
}
// The type's zero minus the value.
std::string minus(Type t, const std::string& x) { return check(t, x) ? arithmetic(t, '-', "0", x) : None; }
std::string negation(Type t, const std::string& x) {
  return is_truth(x) ? truth(x != "true") : check(t, x) ? "true" : None;
}
std::string logic(Type t, bool conjunction, const std::string& x, const std::string& y) {
  if (!(is_truth(x) || check(t, x)) || !(is_truth(y) || check(t, y))) return None;
  return truth(conjunction ? x == "true" && y == "true" : x == "true" || y == "true");
}
std::string twice(const std::string& x) {
  if (!check(Num, x)) return None;
  long a = integer(Num, x);
  return a > LONG_MAX / 2 || a < LONG_MIN / 2 ? None : text(2 * a);
}
std::string mix(const std::string& x, const std::string& y) {
  return check(Num, x) && check(Real, y) ? text(integer(Num, x) * real(y)) : None;
}

}  // namespace user

// The data part of the random programs: the example's with int literals and constants.
const char* const RandomData =
    "data:\n"
    "  Type: real, num, int;\n"
    "  Method: num count(); num twice(num); real mix(num, real);\n"
    "  Constant: num 10; num 2; num 7; num 0; num ten := 10;\n"
    "    int 3; int 5; int 40000; int 1; int big := 40000; int lim;\n"
    "    real 0.25; real 1.5; real quarter := 0.25; real rate;\n"
    "end data\n";

// What a reaction's expressions read: the input texts ("--" when absent), the server's count.
struct Env {
  std::string a, b, r;
  long count = 0;
};

// An expression's text and the value the test computes for it.
struct Gen {
  std::string text;
  std::function<std::string(Env&)> value;
};

// Random programs of the module Valued over inputs A: num, B: int and R: real: valued
// outputs emitted with random expressions and conditions emitting D (true) or E (else) in
// every reaction, the values computed here; random inputs.
class DataProgramMaker {
 public:
  explicit DataProgramMaker(unsigned seed) : g(seed) {}

  struct Output {
    std::string name;
    Gen gen;
    bool condition;
  };
  std::string source;
  std::vector<Output> outputs;

  void make() {
    int values = 1 + pick(3), conditions = 1 + pick(3);
    std::string decl, body;
    for (int k = 0; k < values; ++k) {
      user::Type t = static_cast<user::Type>(pick(3));
      std::string o = "O" + std::to_string(k);
      outputs.push_back({o, value(t, 1 + pick(3), true), false});
      decl += (decl.empty() ? "" : ", ") + o + ": " + user::TypeName[t];
      body += (body.empty() ? "" : " || ") + ("emit " + o + "(" + outputs.back().gen.text + ")");
    }
    for (int k = 0; k < conditions; ++k) {
      std::string d = "D" + std::to_string(k), e = "E" + std::to_string(k);
      user::Type t = static_cast<user::Type>(pick(3));
      Gen c = truth(t, 1 + pick(3));
      // Every program holds a unary minus, a not, an and or an or: the programs share one
      // server text, which g++ compiles once a block.
      if (k == conditions - 1 && !asks) c = negated(t, negated(t, c));
      outputs.push_back({d, c, true});
      decl += ", " + d + ", " + e;
      body += " || { if " + outputs.back().gen.text + " emit " + d + " else emit " + e + " }";
    }
    source = std::string(RandomData) + "module Valued:\nInput: A: num, B: int, R: real;\nOutput: " + decl +
             ";\nloop { { " + body + " } >> pause }\nend\n";
  }
  // One reaction's inputs: each present (with a value text) or not.
  std::map<std::string, std::string> inputs() {
    std::map<std::string, std::string> in;
    if (pick(7) != 0) in["A"] = integer_text(LONG_MIN, LONG_MAX);
    if (pick(7) != 0) in["B"] = integer_text(INT_MIN, INT_MAX);
    if (pick(7) != 0) in["R"] = pick(10) == 0 ? (pick(2) ? "1e+300" : "-1e+300") : user::text((pick(81) - 40) / 4.0);
    return in;
  }

 private:
  int pick(int n) { return static_cast<int>(g() % static_cast<unsigned>(n)); }
  // Mostly small, else near the half or the end of the type's range.
  std::string integer_text(long lo, long hi) {
    __int128 near = pick(2) ? hi / 2 : hi;
    __int128 v = pick(10) < 7 ? pick(121) - 60 : (pick(2) ? near - pick(3) : -near - pick(3));
    return std::to_string(static_cast<long>(v < lo ? lo : v));
  }
  Gen leaf(user::Type t);
  Gen negated(user::Type t, const Gen& x) {
    asks = true;
    return {"(not " + x.text + ")", [t, x](Env& e) { return user::negation(t, x.value(e)); }};
  }
  Gen value(user::Type t, int depth, bool emitted);
  Gen truth(user::Type t, int depth);

  std::mt19937 g;
  bool asks = false;     // a unary minus, a not, an and or an or is made
  bool counted = false;  // count() is called in one emission at most: its value is the reaction's number
};

Gen DataProgramMaker::leaf(user::Type t) {
  static const std::vector<std::vector<std::string>> literals = {
      {"10", "2", "7", "0"}, {"3", "5", "40000", "1"}, {"0.25", "1.5"}};
  static const char* const named[] = {"ten", "big", "quarter"};
  static const char* const signals[] = {"#A", "#B", "#R"};
  switch (pick(4)) {
    case 0: {
      std::string l = literals[t][static_cast<size_t>(pick(static_cast<int>(literals[t].size())))];
      return {l, [l](Env&) { return l; }};
    }
    case 1: {
      std::string v = t == user::Num ? "10" : t == user::Int ? "40000" : "0.25";
      return {named[t], [v](Env&) { return v; }};
    }
    case 2:
      if (t == user::Int) return {"lim", [](Env&) { return std::string("12"); }};
      if (t == user::Real) return {"rate", [](Env&) { return std::string("0.5"); }};
      break;
  }
  return {signals[t], [t](Env& e) { return t == user::Num ? e.a : t == user::Int ? e.b : e.r; }};
}

Gen DataProgramMaker::value(user::Type t, int depth, bool emitted) {
  if (depth == 0 || pick(3) == 0) {
    if (t == user::Num && emitted && !counted && pick(4) == 0) {
      counted = true;
      return {"count()", [](Env& e) { return user::text(++e.count); }};
    }
    return leaf(t);
  }
  int kind = pick(8);
  if (kind < 5) {
    char op = "+-*/"[pick(4)];
    Gen l = value(t, depth - 1, emitted), r = value(t, depth - 1, emitted);
    return {"(" + l.text + " " + op + " " + r.text + ")",
            [t, op, l, r](Env& e) { return user::arithmetic(t, op, l.value(e), r.value(e)); }};
  }
  if (kind < 7 || t == user::Int) {
    Gen x = value(t, depth - 1, emitted);
    asks = true;
    // Comparisons bind tighter than a unary minus: (-(x)).
    return {"(-(" + x.text + "))", [t, x](Env& e) { return user::minus(t, x.value(e)); }};
  }
  if (t == user::Num) {
    Gen x = value(user::Num, depth - 1, emitted);
    return {"twice(" + x.text + ")", [x](Env& e) { return user::twice(x.value(e)); }};
  }
  Gen x = value(user::Num, depth - 1, emitted), y = value(user::Real, depth - 1, emitted);
  return {"mix(" + x.text + ", " + y.text + ")", [x, y](Env& e) { return user::mix(x.value(e), y.value(e)); }};
}

// A comparison of values of t, or not, and, or of such: typed t, valued "true" or "false".
Gen DataProgramMaker::truth(user::Type t, int depth) {
  int kind = depth == 0 ? 0 : pick(5);
  if (kind <= 1) {
    static const char* const ops[] = {"==", "!=", "<", "<=", ">", ">="};
    std::string op = ops[pick(6)];
    Gen l = value(t, depth, false), r = value(t, depth, false);
    return {"(" + l.text + " " + op + " " + r.text + ")",
            [t, op, l, r](Env& e) { return user::compare(t, op, l.value(e), r.value(e)); }};
  }
  if (kind == 2) return negated(t, truth(t, depth - 1));
  bool conjunction = kind == 3;
  asks = true;
  Gen l = truth(t, depth - 1), r = truth(t, depth - 1);
  return {"(" + l.text + (conjunction ? " and " : " or ") + r.text + ")",
          [t, conjunction, l, r](Env& e) { return user::logic(t, conjunction, l.value(e), r.value(e)); }};
}

unsigned from_environment(const char* name, unsigned otherwise) {
  const char* v = std::getenv(name);
  return v != nullptr ? static_cast<unsigned>(std::strtoul(v, nullptr, 10)) : otherwise;
}

#if defined(__SANITIZE_ADDRESS__) || !defined(__OPTIMIZE__)
const unsigned ProgramsPerBlock = 6;
#else
const unsigned ProgramsPerBlock = 30;
#endif
const unsigned Reactions = 6;

class DataRandom : public DataFlow, public ::testing::WithParamInterface<int> {};

// What the engine shows of an output: a value, or which of D and E is present.
std::string shown(const ServedProgram& p, const DataProgramMaker::Output& o) {
  if (!o.condition) return p.value(o.name);
  return p.present(o.name) ? "true" : p.present("E" + o.name.substr(1)) ? "else" : "neither";
}

// Per block, ZARIM_DATA_PROGRAMS programs (30; 6 in unoptimised and sanitizer builds) from
// seed ZARIM_DATA_FIRST_SEED (1) + block * that count, each run for 6 reactions with random
// inputs: every valued output shows the value computed here, and D or E is present as the
// condition is true or not.
TEST_P(DataRandom, ExpressionsGiveTheValuesTheUsersFunctionsCompute) {
  const unsigned count = from_environment("ZARIM_DATA_PROGRAMS", ProgramsPerBlock);
  const unsigned first = from_environment("ZARIM_DATA_FIRST_SEED", 1) + static_cast<unsigned>(GetParam()) * count;
  unsigned reactions = 0, compared = 0, differences = 0, no_value = 0, held = 0;
  for (unsigned seed = first; seed < first + count; ++seed) {
    DataProgramMaker make(seed);
    make.make();
    ServedProgram p(make.source, "Valued", *cache);
    ASSERT_EQ(p.error, "") << "seed " << seed << "\n" << make.source;
    Env env;
    std::string trace;
    for (unsigned k = 0; k < Reactions; ++k) {
      std::map<std::string, std::string> in = make.inputs();
      env.a = in.count("A") ? in["A"] : user::None;
      env.b = in.count("B") ? in["B"] : user::None;
      env.r = in.count("R") ? in["R"] : user::None;
      p.react(in);
      trace += "reaction " + std::to_string(k + 1) + ": A=" + env.a + " B=" + env.b + " R=" + env.r + "\n";
      for (const DataProgramMaker::Output& o : make.outputs) {
        std::string expected = o.gen.value(env), seen = shown(p, o);
        no_value += expected == user::None ? 1 : 0;
        held += expected == "true" ? 1 : 0;
        if (o.condition) expected = expected == "true" ? "true" : "else";
        ++compared;
        if (seen == expected) continue;
        // The first differences in full; the count says how many more.
        if (++differences <= 3)
          ADD_FAILURE() << "seed " << seed << ", " << o.name << ": " << seen << ", computed " << expected << "\n"
                        << trace << make.source << "the server's exchanges:\n" << p.exchanges();
      }
    }
    reactions += Reactions;
    EXPECT_EQ(p.close(), "0\n");
  }
  std::cout << count << " programs, " << reactions << " reactions, " << compared << " values compared (" << no_value
            << " without a value, " << held << " conditions true), " << differences << " differences\n";
  EXPECT_EQ(differences, 0u);
}

INSTANTIATE_TEST_SUITE_P(Blocks, DataRandom, ::testing::Range(0, 10));

}  // namespace
