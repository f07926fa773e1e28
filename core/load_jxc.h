// Loading compiled modules (.jxc): a file read through the compiled-module reader
// (Compilation::jxc_reader), its unrecognised characters and trace lines written to the file's
// ".log", and the freeing of a module read so.
#ifndef LOAD_JXC_H
#define LOAD_JXC_H

#include <iosfwd>
#include <list>
#include <string>

class Module;

struct jxc_load_request {
  std::string instance;      // suffix of every declared signal's internal name
  std::string run_instance;  // handed to the reader
  // A non-empty list makes each input (output) it does not name fatal unless valued: a
  // message and exit 1.
  std::list<std::string>* awaited_inputs = nullptr;
  std::list<std::string>* awaited_outputs = nullptr;
  int explain = 1;  // 1: trace lines in the log
};

struct jxc_load_result {
  enum failure_kind {
    none,
    not_found,  // the module file cannot be opened (its ".log" is made all the same)
    directory,  // the path names a directory: nothing read, no ".log"
    rejected    // the reader refused the file (its "line N: " messages on standard error)
  };
  Module* module = nullptr;  // the caller's, to free with jxc_release; null on a failure
  failure_kind failure = none;
  std::string error;  // what went wrong, one line without its end; "" on success
  // Why no log is written (the ".log" is a symbolic link, not a regular file, or cannot be
  // written), one line without its end; "" when the log is written. Not a failure.
  std::string no_log;

  bool ok() const { return module != nullptr; }
};

// Reads the module of path, its log in path + ".log": created (mode 0666 less the umask) or
// truncated, never through a symbolic link and only as a regular file; when the log cannot
// be written so, the module is read without it (no_log says why).
jxc_load_result jxc_load(const std::string& path, const jxc_load_request& request);
// Reads one module from in, the log going to log (failures: rejected only).
jxc_load_result jxc_read(std::istream& in, std::ostream& log, const jxc_load_request& request);

// Frees a module returned by a load with all it holds: its signals (with their occurrence
// tables), registers, bindings and their expressions, lists, equation table, equation system
// and signal manager; nothing of it, copies of its signals included, may be used afterwards.
// Declarations entered in the global data tables stay there. Null does nothing.
void jxc_release(Module* m);

#endif
