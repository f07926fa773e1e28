// Test support: work done in a child process, so that a compile that ends the process (a
// causality cycle ends it with status 1, after its report on standard error) or a crash is
// seen by the test instead of ending it.
#ifndef CHILD_END_H
#define CHILD_END_H

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <exception>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

// How the child ended: 0 when work returned 0; 1 when the process ended with status 1 after
// the report of a causality cycle; 3 when work threw; 4 for another end with status 1;
// 128 + the signal of a crash; else work's result (or the child's exit status). The
// child's standard output is dropped; its standard error is given in report when asked for.
inline int end_in_child(const std::function<int()>& work, std::string* report = nullptr) {
  char path[] = "/tmp/zarim_child_end_XXXXXX";
  int err = mkstemp(path);
  std::cout.flush();
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(err, 2);
    int code = 3;
    try {
      code = work();
    } catch (const std::exception& e) {
      std::cerr << "exception: " << e.what() << "\n";
      code = 3;
    } catch (...) {
      code = 3;
    }
    std::cerr.flush();
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  std::vector<char> head(1 << 16, 0);
  ssize_t n = pread(err, head.data(), head.size() - 1, 0);
  close(err);
  unlink(path);
  std::string text(head.data(), n > 0 ? static_cast<size_t>(n) : 0);
  if (report != nullptr) *report = text;
  if (!WIFEXITED(status)) return 128 + WTERMSIG(status);
  int code = WEXITSTATUS(status);
  if (code != 1) return code;
  bool cycle = text.find("dependance cycle") != std::string::npos ||
               text.find("self-dependance") != std::string::npos || text.rfind("<", 0) == 0;
  return cycle ? 1 : 4;
}

#endif
