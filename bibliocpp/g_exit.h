// g_exit: the one way the library ends the process on a fatal error, through a replaceable
// handler. The default handler writes the error's text on standard error exactly as given and
// ends the process with its status (std::exit). A test or a fuzzer installs the throwing handler
// instead: the error then throws g_exit_error, carrying the same status and text, and the caller
// goes on. One handler for the whole process; not for concurrent use. Where the library's
// comments say that it ends the process or exits with a status, it does so through g_exit.
#ifndef BIBLIOCPP_G_EXIT_H
#define BIBLIOCPP_G_EXIT_H

#include <functional>
#include <stdexcept>
#include <string>

struct g_exit_request {
  int status;
  std::string text;  // the system's text, line ends included
  bool written;      // the text is already on standard error (a report of the message sink)
};

typedef std::function<void(const g_exit_request&)> g_exit_handler;

// Hands (status, text, written) to the handler; a handler that returns is followed by the
// default's end.
[[noreturn]] void g_exit(int status, const std::string& text, bool written = false);

// Replaces the handler; an empty one puts back the default.
void g_set_exit_handler(const g_exit_handler& handler);
// The handler in force.
g_exit_handler g_get_exit_handler();
// Writes the text on standard error unless written, then std::exit(status).
[[noreturn]] void g_default_exit(const g_exit_request& request);

// What the throwing handler throws: what() is the text.
class g_exit_error : public std::runtime_error {
 public:
  explicit g_exit_error(const g_exit_request& request)
      : std::runtime_error(request.text), status(request.status), written(request.written) {}
  int status;
  bool written;
};

// Throws g_exit_error(request).
[[noreturn]] void g_throwing_exit(const g_exit_request& request);

// The throwing handler for the scope's life, then the handler from before.
class g_exit_throwing_scope {
 public:
  g_exit_throwing_scope() : before_(g_get_exit_handler()) { g_set_exit_handler(g_throwing_exit); }
  ~g_exit_throwing_scope() { g_set_exit_handler(before_); }
  g_exit_throwing_scope(const g_exit_throwing_scope&) = delete;
  g_exit_throwing_scope& operator=(const g_exit_throwing_scope&) = delete;

 private:
  g_exit_handler before_;
};

#endif
