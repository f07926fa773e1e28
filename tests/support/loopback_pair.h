// Test support: a connected TCP pair over loopback, and an exact read.
#ifndef LOOPBACK_PAIR_H
#define LOOPBACK_PAIR_H

#include <unistd.h>

#include <algorithm>
#include <string>
#include <thread>

#include "sock.h"

// The server handle stands for the accepted connection.
struct LoopbackPair {
  socket_type* server = nullptr;
  socket_type* client = nullptr;
  int listen_fd = -1;

  LoopbackPair() {
    server = SOCK_make_server(0);
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
