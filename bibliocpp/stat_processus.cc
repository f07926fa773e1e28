#include "stat_processus.h"

#include <atomic>
#include <fstream>
#include <string>

#include "Stringpp.h"

namespace {

std::atomic<unsigned long> previous_used{0};

}  // namespace

long used_mem() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.compare(0, 7, "VmSize:") != 0) continue;
    size_t b = line.find_first_of("0123456789");
    if (b == std::string::npos) return 0;
    size_t e = line.find_first_not_of("0123456789", b);
    return Stol(line.substr(b, e == std::string::npos ? std::string::npos : e - b));
  }
  return 0;
}

long diff_used_mem() {
  unsigned long now = static_cast<unsigned long>(used_mem());
  return static_cast<long>(now - previous_used.exchange(now));
}
