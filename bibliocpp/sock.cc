#include "sock.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Writes "Sock error: ", the message as plain text and a newline on stderr.
void report(const std::string& message) {
  std::string line = "Sock error: " + message + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

[[noreturn]] void exhausted(const char* message) {
  report(message);
  std::abort();
}

socket_type* new_handle(const char* oom_message) {
  socket_type* s = static_cast<socket_type*>(std::calloc(1, sizeof(socket_type)));
  if (s == nullptr) exhausted(oom_message);
  return s;
}

// malloc'ed copy released with free() by SOCK_shutdown; null stays null.
char* copy_text(const char* text, const char* oom_message) {
  if (text == nullptr) return nullptr;
  char* c = strdup(text);
  if (c == nullptr) exhausted(oom_message);
  return c;
}

}  // namespace

void SOCK_init() {}

socket_type* SOCK_make_client(const char* host, int port) {
  const std::string host_text = host != nullptr ? host : "";
  struct hostent* he = host != nullptr ? gethostbyname(host) : nullptr;
  // Only an IPv4 address fits in sin_addr.
  if (he == nullptr || he->h_addrtype != AF_INET || he->h_length <= 0 || he->h_length > 4 ||
      he->h_addr_list == nullptr || he->h_addr_list[0] == nullptr) {
    report("unknown or misspelled host name `" + host_text + "'");
    return nullptr;
  }
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  std::memcpy(&addr.sin_addr, he->h_addr_list[0], static_cast<size_t>(he->h_length));
  const uint16_t port16 = static_cast<uint16_t>(port);
  addr.sin_port = htons(port16);
  // The look-up's storage is static: keep the official name before any further call.
  const std::string official = he->h_name != nullptr ? he->h_name : host_text;

  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    report("cannot create socket");
    return nullptr;
  }
  if (connect(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) < 0) {
    close(fd);
    report("cannot set connexion");
    return nullptr;
  }
  socket_type* s = new_handle("memory exausted");
  s->portnum = port16;
  s->hostname = copy_text(official.c_str(), "memory exausted");
  s->hostip = copy_text(inet_ntoa(addr.sin_addr), "memory exausted");
  s->fd = fd;
  return s;
}

socket_type* SOCK_make_server(int port) {
  int fd = socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) {
    report("Cannot create socket");
    return nullptr;
  }
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_ANY);
  addr.sin_port = htons(static_cast<uint16_t>(port));
  if (bind(fd, reinterpret_cast<struct sockaddr*>(&addr), sizeof addr) < 0) {
    close(fd);
    report("Cannot create socket");
    return nullptr;
  }
  socklen_t len = sizeof addr;
  if (getsockname(fd, reinterpret_cast<struct sockaddr*>(&addr), &len) < 0 || listen(fd, 5) < 0) {
    close(fd);
    report("cannot create socket");
    return nullptr;
  }
  socket_type* s = new_handle("memory exhausted");
  s->portnum = ntohs(addr.sin_port);
  s->fd = fd;
  return s;
}

int SOCK_accept(socket_type* s) {
  if (s == nullptr) return 0;
  struct sockaddr_in peer;
  std::memset(&peer, 0, sizeof peer);
  socklen_t len = sizeof peer;
  int fd = accept(s->fd, reinterpret_cast<struct sockaddr*>(&peer), &len);
  if (fd < 0) {
    report("unable to make connexion");
    return 0;
  }
  const std::string dotted = inet_ntoa(peer.sin_addr);
  struct hostent* he = gethostbyaddr(&peer.sin_addr, sizeof peer.sin_addr, AF_INET);
  const std::string name = he != nullptr && he->h_name != nullptr ? he->h_name : dotted;
  // The handle now stands for the connection; the listening descriptor is left open.
  std::free(s->hostip);
  std::free(s->hostname);
  s->hostip = copy_text(dotted.c_str(), "memory exhausted");
  s->hostname = copy_text(name.c_str(), "memory exhausted");
  s->fd = fd;
  return 1;
}

int SOCK_read(socket_type* s, char* buf, int len) {
  if (len < 0) return -1;
  return static_cast<int>(recv(s->fd, buf, static_cast<size_t>(len), 0));
}

int SOCK_write(socket_type* s, const char* buf, int len) {
  if (len < 0) return -1;
  // MSG_NOSIGNAL: a closed peer gives -1 (EPIPE) instead of killing the process.
  return static_cast<int>(send(s->fd, buf, static_cast<size_t>(len), MSG_NOSIGNAL));
}

void SOCK_shutdown(socket_type* s, int release) {
  if (s == nullptr) return;
  if (s->fd >= 0) close(s->fd);
  s->fd = -1;
  if (release) {
    std::free(s->hostname);
    std::free(s->hostip);
    std::free(s);
  }
}

socket_type* SOCK_dup(socket_type* s) {
  int fd = dup(s->fd);
  if (fd < 0) {
    report("cannot duplicate socket");
    return nullptr;
  }
  socket_type* d = new_handle("memory exhausted");
  d->portnum = s->portnum;
  d->hostname = copy_text(s->hostname, "memory exhausted");
  d->hostip = copy_text(s->hostip, "memory exhausted");
  d->fd = fd;
  d->owed = s->owed;
  d->framed = s->framed;
  d->heard = s->heard;
  d->gave_up = s->gave_up;
  return d;
}

char* SOCK_local_address(socket_type* s) {
  if (s == nullptr) return nullptr;
  struct sockaddr_in addr;
  std::memset(&addr, 0, sizeof addr);
  socklen_t len = sizeof addr;
  if (getsockname(s->fd, reinterpret_cast<struct sockaddr*>(&addr), &len) < 0) {
    report("cannot get socket name");
    return nullptr;
  }
  return inet_ntoa(addr.sin_addr);
}

int SOCK_port_number(socket_type* s) { return s != nullptr ? s->portnum : 0; }

char* SOCK_hostname(socket_type* s) { return s != nullptr ? s->hostname : nullptr; }

char* SOCK_host_address(socket_type* s) { return s != nullptr ? s->hostip : nullptr; }
