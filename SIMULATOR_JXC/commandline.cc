#include "commandline.h"

const char* const kUsage = "usage: zars [module.jxc [host port]]";

int parsePort(const std::string& text) {
  if (text.empty() || text.size() > 5) return -1;
  int port = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return -1;
    port = port * 10 + (c - '0');
  }
  return port >= 1 && port <= 65535 ? port : -1;
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
  CommandLine cl;
  if (argc <= 1) return cl;
  if (argc != 2 && argc != 4) {
    cl.ok = false;
    cl.error = "expected a module, or a module, a host and a port";
    return cl;
  }
  cl.module = argv[1] ? argv[1] : "";
  if (argc == 4) {
    cl.host = std::string(argv[2] ? argv[2] : "").substr(0, 80);
    cl.port = parsePort(argv[3] ? argv[3] : "");
    if (cl.port < 0) {
      cl.ok = false;
      cl.error = "the port must be a number in 1..65535";
      return cl;
    }
    cl.connect = true;
  }
  return cl;
}
