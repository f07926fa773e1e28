// The simulator's command line: [module.jxc [host port]].
#ifndef COMMANDLINE_H
#define COMMANDLINE_H

#include <string>

struct CommandLine {
  bool ok = true;        // false: print usage and stop
  std::string error;     // why the line was refused
  std::string module;    // empty: start with an empty window
  bool connect = false;  // host and port given
  std::string host;      // at most 80 characters
  int port = 0;          // 1..65535 when connect
};

extern const char* const kUsage;

// Port text: digits only, 1..65535; -1 otherwise.
int parsePort(const std::string& text);
CommandLine parseCommandLine(int argc, const char* const* argv);

#endif
