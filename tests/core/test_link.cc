// The compiler's libraries need no window library: this program, which links only them and the
// simulator's Qt-free engine, loads no FLTK, X11 or Qt library.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "tool_on_path.h"

TEST(CompilerLink, LoadsNoWindowLibrary) {
  if (!tool_on_path("ldd")) GTEST_SKIP() << "ldd missing";
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  ASSERT_GT(length, 0);
  FILE* p = popen(("ldd '" + std::string(self, static_cast<size_t>(length)) + "'").c_str(), "r");
  ASSERT_NE(p, nullptr);
  std::string listed;
  char buf[512];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) listed.append(buf, n);
  ASSERT_EQ(pclose(p), 0) << listed;
  ASSERT_NE(listed.find("libc.so"), std::string::npos) << listed;
  std::istringstream lines(listed);
  for (std::string line; std::getline(lines, line);)
    for (const char* window : {"libfltk", "libX", "libxcb", "libQt"})
      EXPECT_EQ(line.find(window), std::string::npos) << line;
}
