// Round trips to the compiled value server of the Valued example over loopback: 10^4
// "MC,twice,21" requests through Compilation::Socket_call per iteration.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "compilation.h"
#include "server_tables.h"
#include "sock.h"

namespace {

// The server built and started in a scratch folder, its simulator a no-op; the port read
// from its log. Null when g++ or the server failed.
socket_type* connect_server(std::string* dir) {
  char tmpl[] = "/tmp/zarim_bench_server_XXXXXX";
  if (mkdtemp(tmpl) == nullptr) return nullptr;
  *dir = tmpl;
  ServerTables tables;
  if (build_valued_server(*dir) != 0) return nullptr;
  std::string cmd = "cd '" + *dir + "' && mkdir bin && printf '#!/bin/sh\\nexit 0\\n' > bin/zars && chmod +x bin/zars" +
                    " && (PATH=\"$PWD/bin:$PATH\" timeout 600 ./zars_Valued 2>server.log &)";
  if (std::system(cmd.c_str()) != 0) return nullptr;
  const std::string key = "allocated port number is ";
  for (int tries = 0; tries < 500; ++tries) {
    std::ifstream log(*dir + "/server.log");
    std::string line;
    if (std::getline(log, line) && line.rfind(key, 0) == 0)
      return SOCK_make_client("127.0.0.1", std::atoi(line.c_str() + key.size()));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return nullptr;
}

void BM_ServeRequests(benchmark::State& state) {
  std::string dir;
  socket_type* client = connect_server(&dir);
  if (client == nullptr) {
    state.SkipWithError("value server not built or not started");
    return;
  }
  std::ostringstream sink;
  std::streambuf* saved = std::cerr.rdbuf(sink.rdbuf());
  const int n = static_cast<int>(state.range(0));
  bool right = true;
  for (auto _ : state) {
    for (int i = 0; i < n; ++i) right = Compilation::Socket_call("MC,twice,21", client) == "42" && right;
    sink.str("");
  }
  std::cerr.rdbuf(saved);
  if (!right) state.SkipWithError("wrong reply");
  state.SetItemsProcessed(state.iterations() * n);
  SOCK_shutdown(client, 1);  // the server exits 0
  std::system(("sleep 0.2; rm -rf '" + dir + "'").c_str());
}
BENCHMARK(BM_ServeRequests)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
