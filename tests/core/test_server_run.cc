#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "module_and_files.h"
#include "server_tables.h"
#include "source_harness.h"
#include "test_scope.h"

namespace {

// Request sent by the stand-in simulator => the reply of the compiled server.
const char* const Exchange =
    "MC,count, => 1\n"
    "MC,count, => 2\n"
    "MC,twice,21 => 42\n"
    "MC,twice,x => --\n"
    "MC,twice,4611686018427387903 => 9223372036854775806\n"
    "MC,twice,-4611686018427387904 => -9223372036854775808\n"
    "MC,twice,4611686018427387904 => --\n"
    "MC,mix,4,0.5 => 2\n"
    "MC,mix,4 => --\n"
    "MC,nosuch,1 => --\n"
    "MC => --\n"
    "BOP,3,num, + ,4,num => 7\n"
    "BOP,7,num, - ,4,num => 3\n"
    "BOP,3,num, * ,4,num => 12\n"
    "BOP,9223372036854775807,num, + ,1,num => --\n"
    "BOP,-9223372036854775808,num, + ,-1,num => --\n"
    "BOP,9223372036854775807,num, + ,-1,num => 9223372036854775806\n"
    "BOP,-9223372036854775808,num, - ,1,num => --\n"
    "BOP,9223372036854775807,num, - ,-1,num => --\n"
    "BOP,-1,num, - ,9223372036854775807,num => -9223372036854775808\n"
    "BOP,3037000500,num, * ,3037000500,num => --\n"
    "BOP,-3037000500,num, * ,3037000500,num => --\n"
    "BOP,-9223372036854775808,num, * ,-1,num => --\n"
    "BOP,-4611686018427387904,num, * ,2,num => -9223372036854775808\n"
    "BOP,3037000499,num, * ,-3037000499,num => -9223372030926249001\n"
    "BOP,1e308,real, * ,10,real => inf\n"
    "BOP,1.5,real, / ,0.5,real => 3\n"
    "BOP,7,num, / ,2,num => 3\n"
    "BOP,7,num, / ,0,num => --\n"
    "BOP,-9223372036854775808,num, / ,-1,num => --\n"
    "BOP,-9223372036854775808,num, / ,1,num => -9223372036854775808\n"
    "BOP,1,real, / ,0,real => inf\n"
    "BOP,1,num, && ,1,num => false\n"
    "BOP,1,num, | ,2,num => false\n"
    "BOP,3,num, == ,3,num => true\n"
    "BOP,3,num, != ,3,num => false\n"
    "BOP,2,num, < ,3,num => true\n"
    "BOP,3,num, <= ,3,num => true\n"
    "BOP,2,num, > ,3,num => false\n"
    "BOP,2.5,real, >= ,2.5,real => true\n"
    "BOP,3,num, + ,4,real => --\n"
    "BOP,3,num, % ,4,num => --\n"
    "BOP,x,num, + ,4,num => --\n"
    "BOP,3,num, + => --\n"
    "BOP => --\n"
    "UOP, -,5,num =>  -5\n"
    "UOP, !,5,num => true\n"
    "UOP, !,x,num => --\n"
    "UOP, ~,5,num => --\n"
    "UOP, - => --\n"
    "CONST,rate => 0.5\n"
    "CONST,ten => --\n"
    "CONST => --\n"
    "XYZ,1 => --\n";

// The compiled server dir/zars_<name> started with the stand-in simulator on PATH, which
// sends the request of each line of exchange ("request => reply") and records
// "request => reply" lines in dir/replies: the server's exit status (-1 for another end).
int serve(const std::string& dir, const std::string& name, const std::string& exchange) {
  std::string requests;
  for (size_t at = 0; at < exchange.size();) {
    size_t arrow = exchange.find(" => ", at), end = exchange.find('\n', at);
    requests += exchange.substr(at, arrow - at) + "\n";
    at = end + 1;
  }
  write_file(dir + "/requests", requests);
  std::string cmd = "cd '" + dir + "' && PATH='" + standin_bin_dir() + "':$PATH ZARS_REQUESTS=requests" +
                    " ZARS_REPLIES=replies ZARS_ARGV=argv ZARS_PROBE=probe timeout 60 ./zars_" + name + " 2>server.log";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The compiled server, built with the undefined-behaviour sanitizer (which ends it at the
// first fault), listens on the loopback address only, starts the stand-in simulator with
// that address, serves it alone, sends it a NUL byte first, answers each request (an integer
// sum, difference, product or quotient outside its type, or a user function that throws,
// gives "--" and the server goes on) and exits 0 when the client closes.
TEST(ServerRun, CompiledServerAnswersTheStandIn) {
  if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  ServerTables tables;
  ScratchDir scratch{"zarim_server"};
  const std::string dir = scratch.path;
  ASSERT_EQ(build_valued_server(dir, "-fsanitize=undefined -fno-sanitize-recover=undefined"), 0);
  EXPECT_EQ(serve(dir, "Valued", Exchange), 0);
  EXPECT_EQ(read_file(dir + "/replies"), Exchange);

  std::string log = read_file(dir + "/server.log");
  std::string argv = read_file(dir + "/argv");
  const std::string port_text = "allocated port number is ";
  size_t p = log.find(port_text);
  ASSERT_NE(p, std::string::npos);
  std::string port = log.substr(p + port_text.size(), log.find('\n', p) - p - port_text.size());
  EXPECT_EQ(argv, "Valued.jxc\n127.0.0.1\n" + port + "\n");
  EXPECT_EQ(read_file(dir + "/probe"), "listening on 127.0.0.1\nannounced\nsecond connection: ConnectionRefusedError\n");
  EXPECT_EQ(log.find("runtime error"), std::string::npos) << log;
  EXPECT_NE(log.find("BUFFER RECEIVED:MC,twice,21\nTRANSMIT:42\n"), std::string::npos);
  EXPECT_NE(log.find("Error: Binary operator with arguments not having the same type\n"), std::string::npos);
  EXPECT_NE(log.find("Error: SIMUL_JXC:unknown binary operator\n"), std::string::npos);
  EXPECT_NE(log.find("Error: SIMUL_JXC:unknown unary operator\n"), std::string::npos);
}

// User names that the standard library also declares, or that the server's own locals
// take: the type vector, the methods count and swap, the constants max and data. The user's
// header brings std into scope, as the skeleton's does (here after its own declarations).
// The server names none of them but through the global namespace: g++ compiles it with
// -Werror and it answers each request from the user's definitions.
TEST(ServerRun, UserNamesOfTheStandardLibraryCompileAndAnswer) {
  if (!have_gxx()) GTEST_SKIP() << "g++ missing";
  SourceHarness src("data:\n  Type: num, vector;\n  Method: num count(vector); vector swap(vector, num);\n"
                    "  Constant: num max; vector data; num ten := 10;\nend data\n"
                    "module Names: Input: A: vector; Output: O: num;\npresent A { emit O(count(#A)) }\nend\n");
  ScratchDir scratch{"zarim_server_names"};
  const std::string dir = scratch.path;
  write_file(dir + "/user_data_Names.h", R"(#ifndef USER_DATA_Names_H
#define USER_DATA_Names_H
#include <algorithm>
#include <errno.h>
#include <iostream>
#include <sstream>
#include <string>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>
typedef long num;
typedef double vector;
extern bool check_num(std::string arg);
extern num string_to_num(std::string arg);
extern std::string num_to_string(num arg);
extern bool check_vector(std::string arg);
extern vector string_to_vector(std::string arg);
extern std::string vector_to_string(vector arg);
const num max = 50;
const vector data = 1.5;
extern num count(vector);
extern vector swap(vector, num);
using namespace std;
#endif
)");
  write_file(dir + "/user_data_Names.cc", R"(#include "user_data_Names.h"
#include <cstdlib>
static bool number(const std::string & s, bool integer) {
  char * end = 0;
  if (integer) strtol(s.c_str(), &end, 10); else strtod(s.c_str(), &end);
  return !s.empty() && *end == 0;
}
bool check_num(std::string arg) { return number(arg, true); }
num string_to_num(std::string arg) { return strtol(arg.c_str(), 0, 10); }
std::string num_to_string(num arg) { std::ostringstream s; s << arg; return s.str(); }
bool check_vector(std::string arg) { return number(arg, false); }
::vector string_to_vector(std::string arg) { return strtod(arg.c_str(), 0); }
std::string vector_to_string(::vector arg) { std::ostringstream s; s << arg; return s.str(); }
num count(::vector x) { return (num)x; }
::vector swap(::vector a, num b) { return b - a; }
)");
  ASSERT_EQ(build_server(dir, "Names"), 0) << read_file(dir + "/zars_Names.cc");
  const std::string exchange =
      "CONST,max => 50\n"
      "CONST,data => 1.5\n"
      "CONST,ten => --\n"
      "MC,count,2.5 => 2\n"
      "MC,count,x => --\n"
      "MC,swap,1.5,4 => 2.5\n"
      "BOP,1.5,vector, + ,2,vector => 3.5\n"
      "BOP,3,vector, > ,2.5,vector => true\n"
      "BOP,7,num, / ,2,num => 3\n"
      "BOP,7,num, / ,0,num => --\n"
      "UOP, -,5,num =>  -5\n";
  EXPECT_EQ(serve(dir, "Names", exchange), 0);
  EXPECT_EQ(read_file(dir + "/replies"), exchange);
}

}  // namespace
