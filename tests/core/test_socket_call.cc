#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

#include "compilation.h"
#include "sock.h"
#include "loopback_pair.h"

namespace {

using Link = LoopbackPair;

// Serves one request of request_size bytes with reply; returns what it received.
std::string call(Link& l, const std::string& request, const std::string& reply, std::string* result) {
  std::string received;
  std::thread server([&] {
    received = read_n(l.server, request.size());
    SOCK_write(l.server, reply.data(), static_cast<int>(reply.size()));
  });
  *result = Compilation::Socket_call(request, l.client);
  server.join();
  return received;
}

}  // namespace

TEST(SocketCall, SendsTheExactRequestAndReturnsTheReply) {
  Link l;
  ASSERT_TRUE(l.ok());
  std::string result;
  testing::internal::CaptureStderr();
  std::string received = call(l, "MC,3,1,%s%n", "true", &result);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Socket_call buffer: MC,3,1,%s%n\n");
  EXPECT_EQ(received, "MC,3,1,%s%n");
  EXPECT_EQ(result, "true");

  // A zero byte ends the reply text.
  call(l, "q", std::string("fal\0se", 6), &result);
  EXPECT_EQ(result, "fal");
}

TEST(SocketCall, ReplyOf1023BytesOrMoreIsTooLong) {
  Link l;
  ASSERT_TRUE(l.ok());
  std::string result;
  const std::string longest(1022, 'a');
  call(l, "r1", longest, &result);
  EXPECT_EQ(result, longest);

  testing::internal::CaptureStderr();
  call(l, "r2", std::string(1023, 'b'), &result);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("Socket_call: reply too long"), std::string::npos);
  EXPECT_EQ(result, "--");
  call(l, "r3", "ok", &result);
  EXPECT_EQ(result, "ok");
}

TEST(SocketCall, NoSocketEmptyOrOversizedRequestGiveEmptyReply) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::Socket_call("abc", nullptr), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Socket_call buffer: abc\n");

  Link l;
  ASSERT_TRUE(l.ok());
  // Nothing sent: nothing read (a read here would block forever).
  EXPECT_EQ(Compilation::Socket_call("", l.client), "");

  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::Socket_call(std::string(1024, 'x'), l.client), "");
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("refused"), std::string::npos);
  EXPECT_EQ(err.find("Socket_call buffer:"), std::string::npos);
  // The refused request was not sent: the next request arrives alone.
  std::string result;
  EXPECT_EQ(call(l, "next", "ok", &result), "next");
  EXPECT_EQ(result, "ok");
}

TEST(SocketCall, ClosedServerGivesEmptyReplyWithoutSignal) {
  Link l;
  ASSERT_TRUE(l.ok());
  SOCK_shutdown(l.server, 1);
  l.server = nullptr;
  close(l.listen_fd);
  l.listen_fd = -1;

  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::Socket_call("first", l.client), "");
  testing::internal::GetCapturedStderr();
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "connexion stopped by client \n");
  // Later sends fail on the closed connection: still an empty reply, and the process
  // is not killed by SIGPIPE.
  for (int i = 0; i < 3; ++i) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(Compilation::Socket_call("again", l.client), "");
    testing::internal::GetCapturedStderr();
  }
}
