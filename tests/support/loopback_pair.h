// Test support: a connected TCP pair over loopback, and an exact read.
#ifndef LOOPBACK_PAIR_H
#define LOOPBACK_PAIR_H

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>

#include "sock.h"

// Listens on 127.0.0.1 only, on a port the system chooses: a handle as SOCK_make_server
// makes (released by SOCK_shutdown), null on failure.
inline socket_type* loopback_listener() {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return nullptr;
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) < 0 || listen(fd, 1) < 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len) < 0) {
    close(fd);
    return nullptr;
  }
  auto* s = static_cast<socket_type*>(std::calloc(1, sizeof(socket_type)));
  if (s == nullptr) {
    close(fd);
    return nullptr;
  }
  s->fd = fd;
  s->portnum = ntohs(addr.sin_port);
  return s;
}

// The server handle stands for the accepted connection.
struct LoopbackPair {
  socket_type* server = nullptr;
  socket_type* client = nullptr;
  int listen_fd = -1;

  LoopbackPair() {
    server = loopback_listener();
    if (server == nullptr) return;
    listen_fd = server->fd;
    int accepted = 0;
    std::thread t([&] { accepted = SOCK_accept(server); });
    client = SOCK_make_client("127.0.0.1", SOCK_port_number(server));
    t.join();
    if (accepted != 1) {
      SOCK_shutdown(client, 1);
      client = nullptr;
    }
  }
  ~LoopbackPair() {
    SOCK_shutdown(client, 1);
    SOCK_shutdown(server, 1);
    if (listen_fd >= 0) close(listen_fd);  // accept leaves the listening descriptor open
  }
  LoopbackPair(const LoopbackPair&) = delete;
  LoopbackPair& operator=(const LoopbackPair&) = delete;
  bool ok() const { return server != nullptr && client != nullptr; }
};

// Reads exactly n bytes (a stream may deliver them in pieces); fewer when the peer closes.
inline std::string read_n(socket_type* s, size_t n) {
  std::string out;
  char buf[512];
  while (out.size() < n) {
    int r = SOCK_read(s, buf, static_cast<int>(std::min(sizeof buf, n - out.size())));
    if (r <= 0) break;
    out.append(buf, static_cast<size_t>(r));
  }
  return out;
}

#endif
