#include "g_exit.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Built on first use, so that a handler set during static initialisation is kept.
g_exit_handler& handler() {
  static g_exit_handler h;
  return h;
}

}  // namespace

void g_exit(int status, const std::string& text, bool written) {
  const g_exit_request request{status, text, written};
  // A copy: the handler may replace itself.
  g_exit_handler h = handler();
  if (h) h(request);
  g_default_exit(request);
}

void g_set_exit_handler(const g_exit_handler& h) { handler() = h; }

g_exit_handler g_get_exit_handler() { return handler(); }

void g_default_exit(const g_exit_request& request) {
  if (!request.written && !request.text.empty()) std::fwrite(request.text.data(), 1, request.text.size(), stderr);
  std::fflush(stderr);
  std::exit(request.status);
}

void g_throwing_exit(const g_exit_request& request) { throw g_exit_error(request); }
