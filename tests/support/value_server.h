// Test support for the simulator: a small value server over loopback that answers the
// data requests (by its own answer, or by one given) and records every request it reads.
#ifndef VALUE_SERVER_H
#define VALUE_SERVER_H

#include <sys/socket.h>

#include <cstdlib>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "loopback_pair.h"
#include "sock.h"

namespace value_server {

// The comma-separated fields of a request.
inline std::vector<std::string> split(const std::string& s) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == ',')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

// A small value server over loopback: int arithmetic and comparisons, "twice" and "now"
// methods, the constant K; it records every request it reads and, as the generated server
// does, sends a NUL byte first and ends each reply with one (an empty answer sends nothing).
class ValueServer {
 public:
  typedef std::function<std::string(const std::string&)> Answer;
  explicit ValueServer(Answer answer = &ValueServer::answer) : answer_(std::move(answer)) {
    if (pair_.ok()) thread_ = std::thread([this] { serve(); });
  }
  ~ValueServer() {
    closeClient();
    if (thread_.joinable()) thread_.join();
  }
  socket_type* client() const { return pair_.client; }
  void closeClient() {
    SOCK_shutdown(pair_.client, 1);
    pair_.client = nullptr;
  }
  // The server side hangs up.
  void hangUp() {
    ::shutdown(pair_.server->fd, SHUT_RDWR);
    if (thread_.joinable()) thread_.join();
  }
  std::vector<std::string> requests() {
    std::lock_guard<std::mutex> l(mu_);
    return requests_;
  }

  static std::string answer(const std::string& request) {
    std::vector<std::string> f = split(request);
    if (f[0] == "CONST") return f.size() == 2 && f[1] == "K" ? "7" : "--";
    if (f[0] == "MC" && f.size() >= 3) {
      if (f[1] == "now") return "12";
      if (f[1] == "twice") return std::to_string(2 * std::atol(f[2].c_str()));
      return "";
    }
    if (f[0] == "UOP" && f.size() == 4) {
      if (f[1] == " -") return " -" + f[2];
      if (f[1] == " !") return f[2] == "true" ? "false" : "true";
      return "--";
    }
    if (f[0] == "BOP" && f.size() == 6) {
      if (f[2] != f[5] || f[2] != "int" || f[1] == "--" || f[4] == "--") return "--";
      long a = std::atol(f[1].c_str());
      long b = std::atol(f[4].c_str());
      const std::string& op = f[3];
      auto tf = [](bool x) { return std::string(x ? "true" : "false"); };
      if (op == " + ") return std::to_string(a + b);
      if (op == " * ") return std::to_string(a * b);
      if (op == " > ") return tf(a > b);
      if (op == " == ") return tf(a == b);
      return "--";
    }
    return "";
  }

 private:
  void serve() {
    char buf[1024];
    if (SOCK_write(pair_.server, "", 1) != 1) return;  // the announcement
    for (;;) {
      int r = SOCK_read(pair_.server, buf, 1023);
      if (r <= 0) return;
      std::string req(buf, static_cast<size_t>(r));
      {
        std::lock_guard<std::mutex> l(mu_);
        requests_.push_back(req);
      }
      std::string rep = answer_(req);
      if (!rep.empty()) rep += '\0';
      if (SOCK_write(pair_.server, rep.data(), static_cast<int>(rep.size())) < 0) return;
    }
  }

  Answer answer_;
  LoopbackPair pair_;
  std::thread thread_;
  std::mutex mu_;
  std::vector<std::string> requests_;
};

}  // namespace value_server

using value_server::ValueServer;

#endif
