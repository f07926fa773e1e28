// The compile steps' deep stack: threads kept from one job to the next, which must serve a job
// far deeper than a usual stack and give its pages back, carry its exception to the caller,
// serve callers that come at the same time, and serve a forked child, which has none of its
// parent's threads.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <stdexcept>
#include <thread>

#include "deep_stack.h"

namespace {

// n frames of about 1 KB; gives n.
long descend(long n) {
  volatile char frame[1024];
  frame[0] = 1;
  if (n == 0) return 0;
  long below = descend(n - 1);
  return below + frame[0];
}

constexpr long kFrames = 65536;  // 64 MB of stack, eight times a usual thread's

long resident_kb() {
  FILE* f = std::fopen("/proc/self/status", "r");
  long kb = -1;
  char line[256];
  while (f && std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "VmRSS: %ld kB", &kb) == 1) break;
  if (f) std::fclose(f);
  return kb;
}

TEST(DeepStack, KeptThreadsServeDeepJobsThrowsSimultaneousCallersAndForkedChildren) {
  long before = resident_kb();
  long depth = 0;
  run_on_deep_stack([&] { depth = descend(kFrames); });
  EXPECT_EQ(depth, kFrames);
  EXPECT_LT(resident_kb() - before, 24 * 1024) << "the job's stack stayed resident";

  try {
    run_on_deep_stack([] { throw std::runtime_error("refused"); });
    ADD_FAILURE() << "the job's exception was lost";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "refused");
  }
  // After a throw the kept thread still serves; a job called from a job runs where it is.
  std::thread::id outer, inner;
  run_on_deep_stack([&] {
    outer = std::this_thread::get_id();
    run_on_deep_stack([&] { inner = std::this_thread::get_id(); });
  });
  EXPECT_NE(outer, std::this_thread::get_id());
  EXPECT_EQ(outer, inner);

  // Each job waits for the other to start: served one after the other, the first gives up.
  std::atomic<int> started{0}, met{0};
  auto meet = [&] {
    ++started;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (started < 2 && std::chrono::steady_clock::now() < until)
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    if (started == 2) ++met;
  };
  std::thread other([&] { run_on_deep_stack(meet); });
  run_on_deep_stack(meet);
  other.join();
  EXPECT_EQ(met, 2) << "two callers waited for one thread";

  pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    alarm(20);  // a job left for a thread of the parent would wait for ever
    long d = 0;
    run_on_deep_stack([&] { d = descend(kFrames); });
    _exit(d == kFrames ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the forked child's job was not served";
}

}  // namespace
