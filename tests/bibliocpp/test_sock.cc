#include "sock.h"
#include "loopback_pair.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <string>
#include <thread>

namespace {

using Pair = LoopbackPair;

int free_port() {
  socket_type* s = SOCK_make_server(0);
  int port = SOCK_port_number(s);
  SOCK_shutdown(s, 1);
  return port;
}

}  // namespace

TEST(Sock, LoopbackRoundTrip) {
  Pair p;
  ASSERT_TRUE(p.ok());
  EXPECT_NE(p.server->fd, p.listen_fd);
  EXPECT_STREQ(SOCK_host_address(p.client), "127.0.0.1");
  EXPECT_STREQ(SOCK_host_address(p.server), "127.0.0.1");
  ASSERT_NE(SOCK_hostname(p.client), nullptr);
  ASSERT_NE(SOCK_hostname(p.server), nullptr);
  EXPECT_STREQ(SOCK_local_address(p.client), "127.0.0.1");

  const std::string request = "MC,3,1,%s%n";
  ASSERT_EQ(SOCK_write(p.client, request.data(), static_cast<int>(request.size())),
            static_cast<int>(request.size()));
  EXPECT_EQ(read_n(p.server, request.size()), request);

  ASSERT_EQ(SOCK_write(p.server, "true", 4), 4);
  EXPECT_EQ(read_n(p.client, 4), "true");

  // A read never returns more than asked and adds no terminator.
  ASSERT_EQ(SOCK_write(p.server, "abcdef", 6), 6);
  char buf[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  ASSERT_EQ(SOCK_read(p.client, buf, 2), 2);
  EXPECT_EQ(std::string(buf, 3), "abx");
  EXPECT_EQ(read_n(p.client, 4), "cdef");
}

TEST(Sock, ServerOnPortZeroGetsChosenPort) {
  socket_type* s = SOCK_make_server(0);
  ASSERT_NE(s, nullptr);
  EXPECT_GT(SOCK_port_number(s), 0);
  EXPECT_LE(SOCK_port_number(s), 65535);
  EXPECT_EQ(SOCK_hostname(s), nullptr);
  EXPECT_EQ(SOCK_host_address(s), nullptr);
  SOCK_shutdown(s, 1);
}

TEST(Sock, ClosedPeerReadsZeroAndWriteFailsWithoutSignal) {
  std::signal(SIGPIPE, SIG_DFL);  // a SIGPIPE would kill the test program
  Pair p;
  ASSERT_TRUE(p.ok());
  SOCK_shutdown(p.client, 1);
  p.client = nullptr;

  char buf[16];
  EXPECT_EQ(SOCK_read(p.server, buf, sizeof buf), 0);
  // The first send after the close may still be accepted; the peer's reset makes a later one fail.
  int r = 0;
  for (int i = 0; i < 200 && r >= 0; ++i) {
    r = SOCK_write(p.server, "data", 4);
    if (r >= 0) usleep(1000);
  }
  EXPECT_EQ(r, -1);
}

TEST(Sock, NegativeLengthIsAnError) {
  Pair p;
  ASSERT_TRUE(p.ok());
  char buf[4];
  EXPECT_EQ(SOCK_read(p.server, buf, -1), -1);
  EXPECT_EQ(SOCK_write(p.client, buf, -5), -1);
}

TEST(Sock, UnknownHostMessageHoldsWholeTextLiterally) {
  // One label longer than 63 characters: refused by the resolver without a query.
  const std::string host = "%s%n" + std::string(300, 'x');
  testing::internal::CaptureStderr();
  EXPECT_EQ(SOCK_make_client(host.c_str(), 80), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Sock error: unknown or misspelled host name `" + host + "'\n");

  testing::internal::CaptureStderr();
  EXPECT_EQ(SOCK_make_client(nullptr, 80), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sock error: unknown or misspelled host name `'\n");
}

TEST(Sock, ConnectionRefusedAndPortInUse) {
  const int port = free_port();
  testing::internal::CaptureStderr();
  EXPECT_EQ(SOCK_make_client("127.0.0.1", port), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sock error: cannot set connexion\n");

  socket_type* first = SOCK_make_server(0);
  ASSERT_NE(first, nullptr);
  testing::internal::CaptureStderr();
  EXPECT_EQ(SOCK_make_server(SOCK_port_number(first)), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sock error: Cannot create socket\n");
  SOCK_shutdown(first, 1);
}

TEST(Sock, AcceptFailureLeavesHandleUnchanged) {
  Pair p;
  ASSERT_TRUE(p.ok());
  const int fd = p.client->fd;
  char* name = p.client->hostname;
  testing::internal::CaptureStderr();
  EXPECT_EQ(SOCK_accept(p.client), 0);  // not a listening socket
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Sock error: unable to make connexion\n");
  EXPECT_EQ(p.client->fd, fd);
  EXPECT_EQ(p.client->hostname, name);
}

TEST(Sock, ShutdownWithoutReleaseKeepsHandle) {
  Pair p;
  ASSERT_TRUE(p.ok());
  const int port = p.client->portnum;
  SOCK_shutdown(p.client, 0);
  EXPECT_EQ(p.client->fd, -1);
  EXPECT_EQ(SOCK_port_number(p.client), port);
  EXPECT_STREQ(SOCK_host_address(p.client), "127.0.0.1");
  SOCK_shutdown(p.client, 0);  // already closed: nothing more happens

  testing::internal::CaptureStderr();
  EXPECT_EQ(SOCK_local_address(p.client), nullptr);
  EXPECT_EQ(SOCK_dup(p.client), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Sock error: cannot get socket name\nSock error: cannot duplicate socket\n");
}

TEST(Sock, DupHasOwnStringsAndDescriptor) {
  Pair p;
  ASSERT_TRUE(p.ok());
  socket_type* d = SOCK_dup(p.client);
  ASSERT_NE(d, nullptr);
  EXPECT_NE(d->fd, p.client->fd);
  EXPECT_EQ(d->portnum, p.client->portnum);
  EXPECT_NE(d->hostname, p.client->hostname);
  EXPECT_STREQ(d->hostname, p.client->hostname);
  EXPECT_STREQ(d->hostip, p.client->hostip);

  // Closing the duplicate keeps the original connection usable.
  SOCK_shutdown(d, 1);
  ASSERT_EQ(SOCK_write(p.client, "ok", 2), 2);
  EXPECT_EQ(read_n(p.server, 2), "ok");
}

TEST(Sock, NullHandleAccessors) {
  SOCK_init();
  EXPECT_EQ(SOCK_port_number(nullptr), 0);
  EXPECT_EQ(SOCK_hostname(nullptr), nullptr);
  EXPECT_EQ(SOCK_host_address(nullptr), nullptr);
  EXPECT_EQ(SOCK_local_address(nullptr), nullptr);
  EXPECT_EQ(SOCK_accept(nullptr), 0);
  SOCK_shutdown(nullptr, 1);
}
