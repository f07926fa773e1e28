// Test support: a scratch file under /tmp and runs of external command-line tools.
#ifndef TOOL_RUN_H
#define TOOL_RUN_H

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tool_on_path.h"

// A file /tmp/<stem>_XXXXXX<suffix> holding `content`, removed at the end of the scope.
struct ScratchFile {
  std::string path;
  ScratchFile(const std::string& stem, const std::string& suffix, const std::string& content) {
    std::string tmpl = "/tmp/" + stem + "_XXXXXX" + suffix;
    std::vector<char> buf(tmpl.begin(), tmpl.end());
    buf.push_back('\0');
    int fd = mkstemps(buf.data(), static_cast<int>(suffix.size()));
    if (fd < 0) return;
    close(fd);
    path = buf.data();
    std::ofstream(path, std::ios::binary) << content;
  }
  ~ScratchFile() {
    if (!path.empty()) unlink(path.c_str());
  }
  std::string read() const {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
};

struct ToolResult {
  int status = -1;  // exit status, -1 when the command did not end normally
  std::string output;
};

// Runs a shell command line and collects its standard output.
inline ToolResult run_tool(const std::string& command) {
  ToolResult r;
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.output.append(buf, n);
  int st = pclose(p);
  if (st != -1 && WIFEXITED(st)) r.status = WEXITSTATUS(st);
  return r;
}

inline bool tool_present(const std::string& name) { return tool_on_path(name); }

#endif
