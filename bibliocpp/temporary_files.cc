#include "temporary_files.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace {

// The folder part of path with its slash ("" for none), and the name in it.
std::pair<std::string, std::string> split(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return {std::string(), path};
  return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

size_t longest_name(const std::string& folder) {
  const long n = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
  return static_cast<size_t>(n > 0 ? n : NAME_MAX);
}

// ----- the table read by the signal handlers -----

// A fixed table, so that a signal handler reads it without allocating or locking. Each slot
// is kept with the process that registered it, so that a forked child that ends leaves its
// parent's temporaries alone.
struct Slot {
  std::atomic<pid_t> owner{0};  // 0: free; -1: being filled
  char path[PATH_MAX];
};
constexpr int kSlots = 128;
Slot slots[kSlots];

// Set by a handler before it removes the temporaries; a file being made counts in making (its
// thread holding SIGINT and SIGTERM meanwhile), so that the handler, which runs in another
// thread, removes it once it exists and no thread makes one after.
std::atomic<bool> ending{false};
std::atomic<int> making{0};

// Async-signal-safe: reads the table and unlinks.
void remove_registered() {
  const pid_t self = ::getpid();
  for (Slot& s : slots)
    if (s.owner.load() == self) ::unlink(s.path);
}

extern "C" void remove_registered_and_end(int sig) {
  ending.store(true);
  // A file being made is made within a few system calls; a second at most is waited for.
  for (int k = 0; k < 1000 && making.load() > 0; ++k) {
    const timespec ms{0, 1000000};
    ::nanosleep(&ms, nullptr);
  }
  remove_registered();
  ::signal(sig, SIG_DFL);
  ::raise(sig);  // delivered once the handler returns, the signal being blocked until then
}

// A program that chose its own action for a signal keeps it.
void install_removers() {
  std::atexit(remove_registered);
  for (int sig : {SIGINT, SIGTERM}) {
    struct sigaction old;
    if (::sigaction(sig, nullptr, &old) != 0 || (old.sa_flags & SA_SIGINFO) != 0 || old.sa_handler != SIG_DFL)
      continue;
    struct sigaction remover {};
    remover.sa_handler = remove_registered_and_end;
    sigemptyset(&remover.sa_mask);
    ::sigaction(sig, &remover, nullptr);
  }
}

// ----- temporaries left by ended processes -----

bool all_digits(const std::string& s, size_t from, size_t end) {
  if (from >= end) return false;
  for (size_t k = from; k < end; ++k)
    if (s[k] < '0' || s[k] > '9') return false;
  return true;
}

// The stem and process of a temporary's name "<stem>.<pid>.<n>.tmp"; false for another name.
bool read_temporary_name(const std::string& name, std::string& stem, pid_t& pid) {
  static const std::string tail = ".tmp";
  if (name.size() <= tail.size() || name.compare(name.size() - tail.size(), tail.size(), tail) != 0) return false;
  const size_t n_end = name.size() - tail.size();
  const size_t n_dot = name.rfind('.', n_end - 1);
  if (n_dot == std::string::npos || n_dot == 0 || !all_digits(name, n_dot + 1, n_end)) return false;
  const size_t pid_dot = name.rfind('.', n_dot - 1);
  if (pid_dot == std::string::npos || pid_dot == 0 || n_dot - pid_dot > 10) return false;
  if (!all_digits(name, pid_dot + 1, n_dot)) return false;
  pid = static_cast<pid_t>(std::atol(name.c_str() + pid_dot + 1));
  stem = name.substr(0, pid_dot);
  return pid > 0;
}

bool ended(pid_t pid) { return ::kill(pid, 0) != 0 && errno == ESRCH; }

// A temporary's name and its stem.
typedef std::vector<std::pair<std::string, std::string>> Temporaries;

// The temporaries in folder whose process has ended.
Temporaries stale_in(const std::string& folder) {
  Temporaries found;
  DIR* d = ::opendir(folder.empty() ? "." : folder.c_str());
  if (d == nullptr) return found;
  while (const dirent* e = ::readdir(d)) {
    std::string stem;
    pid_t pid = 0;
    if (read_temporary_name(e->d_name, stem, pid) && ended(pid)) found.emplace_back(e->d_name, stem);
  }
  ::closedir(d);
  return found;
}

// Each folder read, with the stale temporaries not yet removed.
struct StaleFolders {
  std::mutex mutex;
  std::map<std::string, Temporaries> read;

  static StaleFolders& get() {
    static StaleFolders* s = new StaleFolders;
    return *s;
  }
};

}  // namespace

std::string temporary_name(const std::string& path, unsigned long n) {
  const std::string suffix = "." + std::to_string(::getpid()) + "." + std::to_string(n) + ".tmp";
  const auto [folder, name] = split(path);
  const size_t longest = longest_name(folder);
  if (name.size() + suffix.size() <= longest || suffix.size() >= longest) return path + suffix;
  return folder + name.substr(0, longest - suffix.size()) + suffix;
}

namespace {

int register_slot(const std::string& temporary) {
  if (temporary.size() >= PATH_MAX) return -1;
  for (int k = 0; k < kSlots; ++k) {
    pid_t free = 0;
    if (!slots[k].owner.compare_exchange_strong(free, -1)) continue;
    std::memcpy(slots[k].path, temporary.c_str(), temporary.size() + 1);
    slots[k].owner.store(::getpid());
    return k;
  }
  return -1;
}

}  // namespace

int open_temporary(const std::string& temporary, int& slot) {
  static std::once_flag installed;
  std::call_once(installed, install_removers);
  sigset_t held, old;
  sigemptyset(&held);
  sigaddset(&held, SIGINT);
  sigaddset(&held, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &held, &old);
  making.fetch_add(1);
  if (ending.load()) {
    making.fetch_sub(1);
    for (;;) ::pause();  // the process ends with the handler's signal
  }
  slot = register_slot(temporary);  // before the file exists: the handler finds it
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  const int error = errno;
  if (fd < 0) {
    release_temporary(slot);
    slot = -1;
  }
  making.fetch_sub(1);
  ::pthread_sigmask(SIG_SETMASK, &old, nullptr);
  errno = error;
  return fd;
}

void release_temporary(int slot) {
  if (slot >= 0 && slot < kSlots) slots[slot].owner.store(0);
}

void remove_stale_temporaries(const std::string& path) {
  const auto [folder, name] = split(path);
  StaleFolders& s = StaleFolders::get();
  std::lock_guard<std::mutex> l(s.mutex);
  auto at = s.read.find(folder);
  if (at == s.read.end()) at = s.read.emplace(folder, stale_in(folder)).first;
  Temporaries& stale = at->second;
  if (stale.empty()) return;
  // A cut name is exactly as long as a name may be, and its stem begins the target's name.
  const size_t longest = longest_name(folder);
  for (auto t = stale.begin(); t != stale.end();) {
    const std::string& stem = t->second;
    const bool cut = t->first.size() == longest && stem.size() < name.size() && name.compare(0, stem.size(), stem) == 0;
    if (stem != name && !cut) {
      ++t;
      continue;
    }
    ::unlink((folder + t->first).c_str());
    t = stale.erase(t);
  }
}
