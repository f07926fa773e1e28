// What build_example does with its output folder when it is not a plain one: files of other
// kinds at the outputs' names, a signal while it writes, temporaries left by a killed run, a
// module name as long as a file name may be, a folder it may not write.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "module_and_files.h"
#include "server_tables.h"
#include "test_scope.h"

namespace {

const std::vector<std::string> kExampleFiles = {"Blink.jxc", "Valued.jxc", "zars_Valued.cc", "user_data_Valued.h",
                                                 "user_data_Valued.cc"};

std::string valued_source() { return valued_example_dir() + "valued.jx"; }

// build_example source out in a child, its output and errors into out + ".printed" and
// ".errors"; as the user uid unless it is -1. SIGALRM ends it after 60 s: a build that blocks
// ends the test.
pid_t start_build(const std::string& source, const std::string& out, uid_t uid = static_cast<uid_t>(-1)) {
  const std::string printed = out + ".printed", errors = out + ".errors";
  pid_t pid = fork();
  if (pid != 0) return pid;
  int o = open(printed.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  int e = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0) _exit(126);
  if (uid != static_cast<uid_t>(-1) && (setgroups(0, nullptr) != 0 || setgid(uid) != 0 || setuid(uid) != 0))
    _exit(126);
  alarm(60);
  execl(ZARIM_BUILD_EXAMPLE, "build_example", source.c_str(), out.c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

int wait_build(pid_t pid) {
  int status = 0;
  EXPECT_EQ(waitpid(pid, &status, 0), pid);
  EXPECT_FALSE(WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) << "build_example blocked";
  return status;
}

struct Built {
  int status;
  std::string printed, errors;
};

Built build(const std::string& source, const std::string& out, uid_t uid = static_cast<uid_t>(-1)) {
  const int status = wait_build(start_build(source, out, uid));
  return {status, read_file(out + ".printed"), read_file(out + ".errors")};
}

bool ended_with(const Built& b, int code) { return WIFEXITED(b.status) && WEXITSTATUS(b.status) == code; }

// The names in dir ending with ".tmp".
std::set<std::string> temporaries(const std::string& dir) {
  std::set<std::string> names;
  if (DIR* d = opendir(dir.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string n = e->d_name;
      if (n.size() > 4 && n.compare(n.size() - 4, 4, ".tmp") == 0) names.insert(n);
    }
    closedir(d);
  }
  return names;
}

std::string said_not_written(const std::string& path, const std::string& why) {
  return "build_example: " + path + " not written: " + why + "\n";
}

// A socket bound at path (closed, the socket file stays); false when it cannot be made.
bool make_socket(const std::string& path) {
  sockaddr_un a{};
  a.sun_family = AF_UNIX;
  if (path.size() >= sizeof a.sun_path) return false;
  std::strcpy(a.sun_path, path.c_str());
  int s = socket(AF_UNIX, SOCK_STREAM, 0);
  const bool made = s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  if (s >= 0) close(s);
  return made;
}

// A FIFO, a socket or a device at one output's name: that file (and the user file that goes
// with it) is refused with its kind, without blocking; the others are written; the status is
// 1 and the special file is left as it was.
TEST(BuildFiles, AFileOfAnotherKindAtAnOutputsNameIsRefusedWithoutBlocking) {
  struct Case {
    const char* name;
    mode_t kind;
    const char* why;
  };
  const std::vector<Case> cases = {{"Valued.jxc", S_IFIFO, "it is a FIFO"},
                                   {"zars_Valued.cc", S_IFIFO, "it is a FIFO"},
                                   {"user_data_Valued.h", S_IFIFO, "it is a FIFO"},
                                   {"Blink.jxc", S_IFSOCK, "it is a socket"},
                                   {"user_data_Valued.cc", S_IFCHR, "it is a device"}};
  ScratchDir scratch{"zarim_kinds"};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string out = scratch.path + "/" + c.name + ".out", special = out + "/" + c.name;
    ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
    const bool made = c.kind == S_IFIFO   ? mkfifo(special.c_str(), 0644) == 0
                      : c.kind == S_IFSOCK ? make_socket(special)
                                           : mknod(special.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0;
    if (!made) continue;  // a device needs the right to make one
    const Built b = build(valued_source(), out);
    EXPECT_TRUE(ended_with(b, 1)) << b.errors;
    for (const std::string& f : kExampleFiles) {
      const std::string path = out + "/" + f;
      const bool partner = f.rfind("user_data_", 0) == 0 && std::string(c.name).rfind("user_data_", 0) == 0;
      if (f == c.name)
        EXPECT_NE(b.errors.find(said_not_written(path, c.why)), std::string::npos) << b.errors;
      else if (partner)
        EXPECT_NE(b.errors.find(said_not_written(path, "it goes with " + special + ", which could not be written")),
                  std::string::npos)
            << b.errors;
      else
        EXPECT_NE(b.printed.find(path + "\n"), std::string::npos) << b.printed << b.errors;
    }
    struct stat st;
    ASSERT_EQ(lstat(special.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & S_IFMT, c.kind);
    EXPECT_TRUE(temporaries(out).empty());
  }
}

// The example's data part and n copies of its valued module: 4n files to write, the value
// servers and user files written while they are generated.
std::string many_valued_modules(int n) {
  const std::string example = read_file(valued_source());
  const size_t data_end = example.find("end data") + 8, from = example.find("module Valued:");
  const std::string body = example.substr(from + 14, example.find("\nend\n", from) + 5 - from - 14);
  std::string s = example.substr(0, data_end) + "\n";
  for (int k = 0; k < n; ++k) s += "module V" + std::to_string(k) + ":" + body;
  return s;
}

// Starts build_example and stops it (SIGSTOP) at a moment when one of its temporaries is in
// out: its pid, stopped, or -1 when it ended first (reaped).
pid_t stopped_while_writing(const std::string& source, const std::string& out) {
  int watch = inotify_init1(IN_CLOEXEC);
  EXPECT_GE(watch, 0);
  EXPECT_GE(inotify_add_watch(watch, out.c_str(), IN_CREATE), 0);
  pid_t pid = start_build(source, out);
  alignas(inotify_event) char events[8192];
  pollfd p{watch, POLLIN, 0};
  int status = 0;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (poll(&p, 1, 100) != 1) continue;
    const ssize_t n = read(watch, events, sizeof events);
    bool created = false;
    for (ssize_t at = 0; at < n;) {
      const inotify_event* e = reinterpret_cast<const inotify_event*>(events + at);
      created = created || (e->len > 0 && std::strstr(e->name, ".tmp") != nullptr);
      at += static_cast<ssize_t>(sizeof(inotify_event) + e->len);
    }
    if (!created) continue;
    kill(pid, SIGSTOP);
    if (waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status)) break;  // it ended
    if (!temporaries(out).empty()) {
      close(watch);
      return pid;
    }
    kill(pid, SIGCONT);
  }
  close(watch);
  return -1;
}

// SIGINT or SIGTERM while build_example writes: it ends with that signal and leaves no
// temporary. SIGKILL leaves its temporaries; the next run removes them and keeps those of a
// process that still runs and those of other names.
TEST(BuildFiles, ASignalDuringTheWritesLeavesNoTemporary) {
  ScratchDir scratch{"zarim_signal"};
  const std::string source = scratch.path + "/many.jx";
  write_file(source, many_valued_modules(20));
  for (int sig : {SIGINT, SIGTERM, SIGKILL}) {
    SCOPED_TRACE(strsignal(sig));
    const std::string out = scratch.path + "/out" + std::to_string(sig);
    pid_t pid = -1;
    for (int attempt = 0; attempt < 5 && pid < 0; ++attempt) {
      ASSERT_EQ(std::system(("rm -rf '" + out + "' && mkdir '" + out + "'").c_str()), 0);
      pid = stopped_while_writing(source, out);
    }
    ASSERT_GT(pid, 0) << "no temporary seen";
    kill(pid, sig);
    kill(pid, SIGCONT);
    const int status = wait_build(pid);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    if (sig != SIGKILL) {
      EXPECT_EQ(temporaries(out), std::set<std::string>()) << read_file(out + ".errors");
      continue;
    }
    const std::set<std::string> left = temporaries(out);
    ASSERT_FALSE(left.empty());
    const std::string live = "V1.jxc." + std::to_string(getpid()) + ".1.tmp";
    const std::string other = "Other.jxc." + std::to_string(pid) + ".1.tmp";
    write_file(out + "/" + live, "");
    write_file(out + "/" + other, "");
    const Built b = build(source, out);
    EXPECT_TRUE(ended_with(b, 0)) << b.errors;
    EXPECT_EQ(temporaries(out), (std::set<std::string>{live, other}));
  }
}

// A module name of 245 characters: its .jxc is written (the temporary's name cut to the folder's
// limit) and written again, said to be rewritten once it is; a directory at its name is
// refused with the reason, and not said to be rewritten.
TEST(BuildFiles, AModuleNameAsLongAsAFileNameIsWrittenAndRewritten) {
  ScratchDir scratch{"zarim_long"};
  const std::string name = "M" + std::string(244, 'x'), source = scratch.path + "/long.jx";
  write_file(source, "module " + name + ":\nInput: I;\nOutput: O;\nloop { present I emit O >> pause }\nend\n");
  const std::string out = scratch.path + "/out", jxc = out + "/" + name + ".jxc";
  Built b = build(source, out);
  ASSERT_TRUE(ended_with(b, 0)) << b.errors;
  EXPECT_EQ(b.printed, jxc + "\n");
  EXPECT_EQ(read_file(jxc).rfind("module: " + name + " ", 0), 0u);
  EXPECT_EQ(b.errors, "");
  const std::string text = read_file(jxc);
  write_file(jxc, "old");
  b = build(source, out);
  ASSERT_TRUE(ended_with(b, 0)) << b.errors;
  EXPECT_EQ(b.errors, "File: " + jxc + " already exists. File rewrited.\n");
  EXPECT_EQ(read_file(jxc), text);

  ASSERT_EQ(unlink(jxc.c_str()), 0);
  ASSERT_EQ(mkdir(jxc.c_str(), 0755), 0);
  b = build(source, out);
  EXPECT_TRUE(ended_with(b, 1));
  EXPECT_NE(b.errors.find(said_not_written(jxc, "Is a directory")), std::string::npos) << b.errors;
  EXPECT_EQ(b.errors.find("already exists"), std::string::npos) << b.errors;
  EXPECT_TRUE(temporaries(out).empty());
}

// Writable files in a folder that may not be written: each is refused saying that the folder
// cannot be written, and left as it was. Root writes any folder: the build then runs as nobody.
TEST(BuildFiles, AReadOnlyFolderIsNamedAsTheReason) {
  ScratchDir scratch{"zarim_readonly"};
  ASSERT_EQ(chmod(scratch.path.c_str(), 0755), 0);
  const uid_t as = geteuid() == 0 ? 65534 : static_cast<uid_t>(-1);
  const std::string out = scratch.path + "/out", source = scratch.path + "/valued.jx";
  write_file(source, read_file(valued_source()));
  ASSERT_EQ(mkdir(out.c_str(), 0755), 0);
  for (const std::string& f : kExampleFiles) {
    write_file(out + "/" + f, "old " + f);
    ASSERT_EQ(chmod((out + "/" + f).c_str(), 0666), 0);
  }
  if (as == static_cast<uid_t>(-1)) {
    ASSERT_EQ(chmod(out.c_str(), 0555), 0);
  }
  const Built b = build(source, out, as);
  if (WIFEXITED(b.status) && WEXITSTATUS(b.status) >= 126) {
    GTEST_SKIP() << "build_example cannot be run as user " << as << " here (status " << WEXITSTATUS(b.status) << ")";
  }
  EXPECT_TRUE(ended_with(b, 1)) << b.errors;
  EXPECT_EQ(b.printed, "");
  for (const std::string& f : kExampleFiles) {
    EXPECT_NE(b.errors.find(said_not_written(out + "/" + f, "the folder " + out + " cannot be written (Permission denied)")),
              std::string::npos)
        << b.errors;
    EXPECT_EQ(read_file(out + "/" + f), "old " + f);
  }
  chmod(out.c_str(), 0755);
}

}  // namespace
