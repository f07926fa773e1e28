// Test support: the engine connected to a running value server of the module "Valued"
// (started in dir, writing its log to dir/server.log), with dir/Valued.jxc loaded.
#ifndef VALUED_SESSION_H
#define VALUED_SESSION_H

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "data_tables_scope.h"
#include "evaluation.h"
#include "load_jxc.h"
#include "module_and_files.h"
#include "module_signal.h"
#include "sock.h"

struct ValuedSession {
  // Waits up to 5 s for the server's port, connects to it and loads the module; error
  // says what failed ("" when all went well).
  explicit ValuedSession(const std::string& dir) {
    const std::string key = "allocated port number is ";
    for (int i = 0; i < 500 && port.empty(); ++i) {
      std::string log = read_file(dir + "/server.log");
      if (log.rfind(key, 0) == 0) port = log.substr(key.size(), log.find('\n') - key.size());
      else std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (port.empty()) {
      error = "no port in the server's log";
      return;
    }
    client = SOCK_make_client("127.0.0.1", std::atoi(port.c_str()));
    if (client == nullptr) {
      error = "no connexion to port " + port;
      return;
    }
    jxc_load_request request;
    request.explain = 0;
    loaded = jxc_load(dir + "/Valued.jxc", request);
    if (!loaded.ok()) {
      error = loaded.error;
      return;
    }
    sim.setSocket(client);
    sim.load(loaded.module);
    a = named(sim.inputs(), "A");
    o = named(sim.outputs(), "O");
    p = named(sim.outputs(), "P");
    q = named(sim.outputs(), "Q");
    d = named(sim.outputs(), "D");
    if (!(a && o && p && q && d)) error = "a signal of Valued is missing";
  }
  ~ValuedSession() {
    sim.load(nullptr);
    jxc_release(loaded.module);
    DataTablesScope::free_read_tables();
  }
  ValuedSession(const ValuedSession&) = delete;
  ValuedSession& operator=(const ValuedSession&) = delete;

  // Closes the connexion and waits up to 5 s for the server to end: its exit status as
  // written to dir/status ("" when it has not ended).
  std::string close(const std::string& dir) {
    SOCK_shutdown(client, 1);
    for (int i = 0; i < 500 && read_file(dir + "/status").empty(); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return read_file(dir + "/status");
  }
  // What the stand-in simulator recorded in dir/argv: the server starts it in the
  // background, so the line may come after the server has ended.
  static std::string recorded_arguments(const std::string& dir) {
    std::string line = read_file(dir + "/argv");
    for (int i = 0; i < 500 && (line.empty() || line.back() != '\n'); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      line = read_file(dir + "/argv");
    }
    return line;
  }
  // The arguments the server gives the simulator: module, loopback address, port.
  std::string simulator_arguments() const { return "Valued.jxc 127.0.0.1 " + port + "\n"; }

  static Signal* named(const std::vector<Signal*>& list, const std::string& name) {
    for (Signal* s : list)
      if (s->getInternalName() == name) return s;
    return nullptr;
  }

  DataTablesScope tables;
  std::string error;
  std::string port;
  socket_type* client = nullptr;
  jxc_load_result loaded;
  Simulation sim;
  Signal *a = nullptr, *o = nullptr, *p = nullptr, *q = nullptr, *d = nullptr;
};

// The requests the server received, in order, one a line.
inline std::string served_requests(const std::string& dir) {
  const std::string key = "BUFFER RECEIVED:";
  std::string requests, log = read_file(dir + "/server.log");
  for (size_t at = log.find(key); at != std::string::npos; at = log.find(key, at + 1))
    requests += log.substr(at + key.size(), log.find('\n', at) - at - key.size() + 1);
  return requests;
}

#endif
