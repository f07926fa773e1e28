#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "module_and_files.h"
#include "server_tables.h"
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
  std::string requests, expected = Exchange;
  for (size_t at = 0; at < expected.size();) {
    size_t arrow = expected.find(" => ", at), end = expected.find('\n', at);
    requests += expected.substr(at, arrow - at) + "\n";
    at = end + 1;
  }
  write_file(dir + "/requests", requests);
  std::string cmd = "cd '" + dir + "' && PATH='" + standin_bin_dir() + "':$PATH ZARS_REQUESTS=requests" +
                    " ZARS_REPLIES=replies ZARS_ARGV=argv ZARS_PROBE=probe timeout 60 ./zars_Valued 2>server.log";
  int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_EQ(read_file(dir + "/replies"), expected);

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

}  // namespace
