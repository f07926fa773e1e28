#include "whole_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstring>

#include "temporary_files.h"

fd_buffer::fd_buffer(int fd) : fd_(fd) { setp(space_, space_ + sizeof space_); }

fd_buffer::~fd_buffer() { close(); }

int fd_buffer::close() {
  if (fd_ < 0) return error_;
  drain();
  if (::close(fd_) != 0 && error_ == 0) error_ = errno;
  fd_ = -1;
  return error_;
}

int fd_buffer::overflow(int c) {
  if (!drain()) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
  }
  return traits_type::not_eof(c);
}

int fd_buffer::sync() { return drain() ? 0 : -1; }

bool fd_buffer::drain() {
  const char* p = pbase();
  while (error_ == 0 && fd_ >= 0 && p < pptr()) {
    ssize_t n = ::write(fd_, p, static_cast<size_t>(pptr() - p));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) error_ = n < 0 ? errno : EIO;
    else p += n;
  }
  setp(space_, space_ + sizeof space_);
  return error_ == 0;
}

namespace {

// What the file at path is, when it is neither a regular file nor a directory nor a link.
std::string kind_refused(mode_t mode) {
  if (S_ISFIFO(mode)) return "it is a FIFO";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device";
  if (S_ISSOCK(mode)) return "it is a socket";
  return "it is not a regular file";
}

// Why path may not be replaced by a new file, or "" when it may (absent, a symbolic link, or a
// regular file this process may write); mode gets a regular file's permission bits. Only
// lstat and access look at path: nothing there is opened.
std::string refusal(const std::string& path, mode_t& mode, bool& keep_mode) {
  struct stat st;
  keep_mode = false;
  if (::lstat(path.c_str(), &st) != 0) return errno == ENOENT ? "" : std::strerror(errno);
  if (S_ISLNK(st.st_mode)) return "";
  if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
  if (!S_ISREG(st.st_mode)) return kind_refused(st.st_mode);
  if (::access(path.c_str(), W_OK) != 0) return std::strerror(errno);
  mode = st.st_mode & 07777;
  keep_mode = true;
  return "";
}

// Why the temporary of path could not be made, from the errno of its open.
std::string why_no_temporary(const std::string& path, int error) {
  if (error != EACCES && error != EPERM && error != EROFS) return std::strerror(error);
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  return "the folder " + folder + " cannot be written (" + std::strerror(error) + ")";
}

}  // namespace

whole_file::whole_file(const std::string& path) : path_(path), stream_(nullptr) {
  mode_t mode = 0;
  bool keep_mode = false;
  why_ = refusal(path, mode, keep_mode);
  if (!why_.empty()) return;
  remove_stale_temporaries(path);
  static std::atomic<unsigned long> count{0};
  int fd = -1, error = 0;
  // A name taken by another writer (or left by a process that was killed) is passed over.
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temporary_ = temporary_name(path, ++count);
    fd = open_temporary(temporary_, slot_);
    if (fd >= 0) break;
    error = errno;
    if (error != EEXIST) break;
  }
  if (fd < 0) {
    why_ = why_no_temporary(path, error);
    temporary_.clear();
    return;
  }
  if (keep_mode) (void)::fchmod(fd, mode);
  buffer_ = new fd_buffer(fd);
  stream_.rdbuf(buffer_);
}

whole_file::~whole_file() { discard(); }

bool whole_file::finish() {
  if (buffer_ == nullptr) {
    if (why_.empty()) why_ = "it is not open";
    return false;
  }
  stream_.flush();
  int error = buffer_->close();
  if (error == 0 && !stream_) error = EIO;
  if (error != 0) {
    why_ = std::strerror(error);
    discard();
    return false;
  }
  finished_ = true;
  return true;
}

bool whole_file::replace() {
  if (!finished_) {
    if (why_.empty()) why_ = "it is not finished";
    return false;
  }
  if (std::rename(temporary_.c_str(), path_.c_str()) != 0) {
    why_ = std::strerror(errno);
    discard();
    return false;
  }
  release_temporary(slot_);
  slot_ = -1;
  temporary_.clear();
  finished_ = false;
  return true;
}

void whole_file::discard() {
  if (buffer_ != nullptr) {
    stream_.rdbuf(nullptr);
    delete buffer_;
    buffer_ = nullptr;
  }
  if (!temporary_.empty()) {
    ::unlink(temporary_.c_str());
    release_temporary(slot_);
    slot_ = -1;
    temporary_.clear();
  }
  finished_ = false;
}
