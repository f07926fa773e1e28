// Test support: whether a tool is installed, looked up on PATH directly. A shell started for
// the question can fail to start under memory pressure (sanitizer builds running in
// parallel), which would read as a missing tool and skip the test.
#ifndef TOOL_ON_PATH_H
#define TOOL_ON_PATH_H

#include <unistd.h>

#include <cstdlib>
#include <string>

inline bool tool_on_path(const std::string& name) {
  const char* path = std::getenv("PATH");
  const std::string dirs = path != nullptr ? path : "";
  for (std::size_t start = 0; start <= dirs.size();) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string dir = dirs.substr(start, end - start);
    if (access(((dir.empty() ? "." : dir) + "/" + name).c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

#endif
