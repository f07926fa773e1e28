// Output files written through a descriptor: a buffer that keeps the first failed write, and a
// file that is written whole or not at all.
#ifndef BIBLIOCPP_WHOLE_FILE_H
#define BIBLIOCPP_WHOLE_FILE_H

#include <ostream>
#include <streambuf>
#include <string>

// Buffered output to a file descriptor, which it closes. After the first failed write every
// later write is dropped and fails, so that a stream over it goes bad.
class fd_buffer : public std::streambuf {
 public:
  explicit fd_buffer(int fd);
  ~fd_buffer() override;
  fd_buffer(const fd_buffer&) = delete;
  fd_buffer& operator=(const fd_buffer&) = delete;
  // Writes what is buffered and closes the descriptor (once): 0, or the errno of the first
  // failed write or of the close.
  int close();
  int error() const { return error_; }

 protected:
  int overflow(int c) override;
  int sync() override;

 private:
  bool drain();
  int fd_;
  int error_ = 0;
  char space_[4096];
};

// A file that replaces path only when it was written whole: the writes go to a temporary file
// beside path (temporary_files.h), which takes path's name (a symbolic link there is itself
// replaced, never the file it names) only once every write and the close succeeded. An existing
// regular file passes its permission bits on; a directory, a FIFO, a device, a socket, or a file
// this process may not write is refused without being opened. The temporary is removed when the
// file is dropped unreplaced, and at exit, SIGINT or SIGTERM when the process ends before that;
// the temporaries of path that an ended process left are removed before this one is made.
class whole_file {
 public:
  // Creates the temporary; is_open() tells whether that worked, why() why not (the errno of the
  // failed call, or the kind of file at path; "the folder F cannot be written (...)" when the
  // temporary may not be made there).
  explicit whole_file(const std::string& path);
  ~whole_file();
  whole_file(const whole_file&) = delete;
  whole_file& operator=(const whole_file&) = delete;

  bool is_open() const { return buffer_ != nullptr; }
  // The temporary's stream; writes to a file that is not open are dropped.
  std::ostream& stream() { return stream_; }
  // Writes out and closes the temporary: false, the temporary removed and the reason in why(),
  // when it is not open or a write or the close failed.
  bool finish();
  // After finish: renames the temporary to path; false with the reason when that fails.
  bool replace();
  // Removes the temporary, if any: path stays as it was.
  void discard();
  const std::string& path() const { return path_; }
  const std::string& why() const { return why_; }

 private:
  std::string path_;
  std::string temporary_;
  std::string why_;
  fd_buffer* buffer_ = nullptr;
  std::ostream stream_;
  bool finished_ = false;
  int slot_ = -1;  // of open_temporary
};

#endif
