#include "stat_processus.h"
#include "tool_run.h"

#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

TEST(StatProcessus, VirtualSizeAndItsGrowth) {
  long first = diff_used_mem();
  EXPECT_GT(first, 0);
  EXPECT_EQ(diff_used_mem(), 0);  // nothing allocated in between
  EXPECT_EQ(access("stat_processus_used_mem.don", F_OK), -1);  // no file of its own

  // 64 MB of address space, never touched, counts in the virtual size.
  const size_t bytes = 64UL << 20;
  void* block = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  ASSERT_NE(block, MAP_FAILED);
  long grown = diff_used_mem();
  munmap(block, bytes);
  EXPECT_GE(grown, 65536);
  EXPECT_LT(grown, 65536 + 4096);
  EXPECT_LE(diff_used_mem(), -65536 + 4096);

  // The same quantity as the process-status command's virtual size column.
  if (!tool_present("ps")) GTEST_SKIP() << "ps missing";
  ToolResult ps = run_tool("ps -o vsz= -p " + std::to_string(getpid()));
  ASSERT_EQ(ps.status, 0);
  long reported = std::atol(ps.output.c_str());
  EXPECT_NEAR(static_cast<double>(used_mem()), static_cast<double>(reported), 4096.0);
}
