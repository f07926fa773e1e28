// Test support: programs of several modules taken through build_example into a scratch
// folder, and the reactions of the modules it writes (.jxc read back, valued signals served by
// a loopback value server or another one), beside a module of a program compiled alone.
#ifndef BUILT_PROGRAM_H
#define BUILT_PROGRAM_H

#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "jxc_flow.h"
#include "module_and_files.h"
#include "value_server.h"

struct Built {
  int status;
  std::string output;  // standard output and error
};

// build_example on source (written to dir/program.jx) into dir, ended after 120 s (status 124).
inline Built build_example(const std::string& source, const std::string& dir) {
  write_file(dir + "/program.jx", source);
  std::string cmd = std::string("timeout 120 '") + ZARIM_BUILD_EXAMPLE + "' '" + dir + "/program.jx' '" + dir +
                    "' >'" + dir + "/built' 2>&1";
  int status = std::system(cmd.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128, read_file(dir + "/built")};
}

// The reactions of a module, values shown, asked of the value server at the other end of
// client; with none, of a loopback value server, whose requests are given when asked for.
inline Trace served(Module* m, const Trace& inputs, std::vector<std::string>* requests, socket_type* client) {
  std::unique_ptr<ValueServer> loopback(client == nullptr ? new ValueServer : nullptr);
  ReactionHarness h(m);
  h.show_values = true;
  h.simulation().load(m);
  h.simulation().setSocket(client != nullptr ? client : loopback->client());
  Trace t = h.run(inputs);
  if (requests != nullptr && loopback != nullptr) *requests = loopback->requests();
  return t;
}

// The reactions of the module read from path.
inline Trace jxc_trace(const std::string& path, const Trace& inputs, std::vector<std::string>* requests = nullptr,
                       socket_type* client = nullptr) {
  DataTablesScope tables;
  jxc_load_request request;
  request.explain = 0;
  jxc_load_result read = jxc_load(path, request);
  if (!read.ok()) return {"not read: " + read.error};
  Trace t = served(read.module, inputs, requests, client);
  jxc_release(read.module);
  DataTablesScope::free_read_tables();
  return t;
}

// The module compiled alone from the program (its runs compiled, not finalised), saved into
// dir; the reactions of the module read back.
inline Trace alone_trace(const std::string& source, const std::string& module, const std::string& dir,
                         const Trace& inputs) {
  {
    SourceHarness src(source);
    src.build(module);
    const std::string saved = Module::OutputDir;
    Module::OutputDir = dir;
    src.module(module)->save();
    Module::OutputDir = saved;
  }
  return jxc_trace(dir + "/" + module + ".jxc", inputs);
}

// A trace on one line: "[O=T P=B] [O=B P=B] ".
inline std::string joined(const Trace& t) {
  std::string s;
  for (const std::string& r : t) s += "[" + r + "] ";
  return s;
}

#endif
