// whole_file's temporaries when the process is ended by SIGINT while another thread writes:
// the handler runs in a thread that writes nothing, and the writer goes on making
// temporaries meanwhile; none may be left once the process has ended.
#include <dirent.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <thread>

#include "test_scope.h"
#include "whole_file.h"

namespace {

int temporaries_in(const std::string& folder) {
  int n = 0;
  DIR* d = opendir(folder.c_str());
  if (d == nullptr) return -1;
  while (const dirent* e = readdir(d)) n += std::strstr(e->d_name, ".tmp") != nullptr;
  closedir(d);
  return n;
}

// Writes files in folder without end, SIGINT held in this thread: another receives it. The
// first replaced file is said on ready.
[[noreturn]] void write_until_ended(const std::string& folder, int ready) {
  std::thread idle([] {  // started first: a thread inherits the signals held
    for (;;) pause();
  });
  idle.detach();
  sigset_t held;
  sigemptyset(&held);
  sigaddset(&held, SIGINT);
  pthread_sigmask(SIG_BLOCK, &held, nullptr);
  for (unsigned long k = 0;; ++k) {
    whole_file f(folder + "/f" + std::to_string(k % 8));
    f.stream() << "file " << k << '\n';
    if (f.finish() && f.replace() && ready >= 0) {
      (void)!write(ready, "r", 1);
      close(ready);
      ready = -1;
    }
  }
}

TEST(WholeFile, SigintInAnotherThreadThanTheWriterLeavesNoTemporary) {
  ScratchDir scratch{"zarim_whole"};
  for (int round = 0; round < 20; ++round) {
    SCOPED_TRACE(round);
    const std::string folder = scratch.path + "/r" + std::to_string(round);
    ASSERT_EQ(mkdir(folder.c_str(), 0777), 0);
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(ready[0]);
      write_until_ended(folder, ready[1]);
    }
    close(ready[1]);
    char c = 0;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    close(ready[0]);
    usleep(1000 * (round % 5));
    kill(pid, SIGINT);
    int status = 0;
    for (int k = 0; k < 1000 && waitpid(pid, &status, WNOHANG) == 0; ++k) usleep(10000);
    if (kill(pid, 0) == 0) {  // still writing after ten seconds
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "SIGINT did not end the writer";
    }
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGINT) << status;
    EXPECT_EQ(temporaries_in(folder), 0);
  }
}

}  // namespace
