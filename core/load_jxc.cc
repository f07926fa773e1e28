// Loading compiled modules: the log file opened safely, the reader run, a read module freed.
#include "load_jxc.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <ostream>
#include <streambuf>

#include "compilation.h"
#include "parse_jxc.h"
#include "whole_file.h"

namespace {

// Opens path for writing as a regular file of its own, never through a symbolic link: the
// descriptor, or -1 with the reason in why. O_NONBLOCK keeps a FIFO from blocking the open.
int open_log(const std::string& path, std::string& why) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0666);
  if (fd < 0) {
    why = errno == ELOOP ? "it is a symbolic link" : std::strerror(errno);
    return -1;
  }
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    why = "it is not a regular file";
    ::close(fd);
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return fd;
}

jxc_load_result failed(jxc_load_result::failure_kind kind, const std::string& error) {
  jxc_load_result r;
  r.failure = kind;
  r.error = error;
  return r;
}

}  // namespace

jxc_load_result jxc_read(std::istream& in, std::ostream& log, const jxc_load_request& request) {
  Compilation::JxcReader reader = Compilation::jxc_reader;
  Module* m = nullptr;
  int status = reader != nullptr ? reader(in, log, request.explain, request.instance, request.run_instance,
                                          request.awaited_inputs, request.awaited_outputs, &m)
                                 : 1;
  if (status != 0 || m == nullptr) return failed(jxc_load_result::rejected, "the compiled module was rejected");
  jxc_load_result r;
  r.module = m;
  return r;
}

jxc_load_result jxc_load(const std::string& path, const jxc_load_request& request) {
  // A directory opens as a stream that fails at its first read, which the scanner takes as fatal.
  struct stat st;
  if (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
    return failed(jxc_load_result::directory, path + " is a directory");
  const std::string log_path = path + ".log";
  std::string why;
  int fd = open_log(log_path, why);
  std::unique_ptr<fd_buffer> buffer(fd >= 0 ? new fd_buffer(fd) : nullptr);
  std::ostream log(buffer.get());  // without a buffer, writes are dropped
  std::string no_log = fd < 0 ? "no log is written: cannot write " + log_path + ": " + why : "";
  std::ifstream in(path);
  if (!in) {
    jxc_load_result r = failed(jxc_load_result::not_found, "cannot open " + path);
    r.no_log = no_log;
    return r;
  }
  jxc_load_result r = jxc_read(in, log, request);
  if (!r.ok()) r.error = path + ": " + r.error;
  r.no_log = no_log;
  log.flush();
  return r;
}

void jxc_release(Module* m) {
  if (m == nullptr) return;
  jxc_read_parts parts;
  parts.add_module(m);
  jxc_free_read_module(m, parts);
}
