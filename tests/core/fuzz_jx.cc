// libFuzzer target: one source file per input through the source reader, then each module read
// compiled and finalised. Message boxes are dropped; the exceptions of the module model are the
// reader's answers, not faults. The reader and the compiler end the process on some refusals
// (exit with a message), so each input runs first in a child process: a child that exits is a
// refusal, and the input goes no further; one that ends on a signal or with the sanitizers' exit
// code is a fault, raised again in the fuzzer's process so that the input is kept. An input that
// the child reads and compiles to the end is then read and compiled in the fuzzer's process too
// (from the same state, so to the same end), for the coverage that guides the fuzzer. The
// modules read and the global data tables are dropped after each input so that memory stays
// flat over a long run.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <sstream>
#include <string>

#include "parse_jx.h"
#include "reader_tables.h"

namespace {

// Exit code of a sanitizer report in the child, distinct from the compiler's own (1, 2, 10).
const int kSanitizerExit = 86;
// A child still compiling after this long is stopped and its input dropped: the reader accepts
// programs that take minutes and gigabytes to compile (a wait of 10^5 instants), which are not
// faults, and the fuzzer would report them as time-outs.
const unsigned kChildSeconds = 4;

void read_and_compile(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string report;
  try {
    if (jx_read_source(in, report) != 0) return;
    for (auto& entry : *Compilation::ModTable->table) {
      Module* m = entry.second;
      if (m->getSet() == nullptr) m->compile();  // a module run by another is compiled already
      m->finalize(0);
    }
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" const char* __asan_default_options() { return "exitcode=86"; }
extern "C" const char* __ubsan_default_options() { return "exitcode=86"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  forms_set_sink(silent_sink());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pid_t child = fork();
  if (child == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // a fuzzer ended on a time-out takes the child along
    signal(SIGALRM, SIG_DFL);  // the fuzzer's own time-out handler is inherited
    alarm(kChildSeconds);
    // Runs before the exit hooks registered earlier, among them the fuzzer's, which would take
    // the compiler's exit for a fault of this input.
    std::atexit([] { _exit(1); });
    read_and_compile(data, size);
    _exit(0);
  }
  int ended = 0;
  if (child < 0 || waitpid(child, &ended, 0) != child) return 0;
  if (WIFSIGNALED(ended) && WTERMSIG(ended) == SIGALRM) return 0;  // too long to compile here
  if (WIFSIGNALED(ended) || (WIFEXITED(ended) && WEXITSTATUS(ended) == kSanitizerExit)) {
    std::fprintf(stderr, "the child ended %s %d\n", WIFSIGNALED(ended) ? "on signal" : "with status",
                 WIFSIGNALED(ended) ? WTERMSIG(ended) : WEXITSTATUS(ended));
    std::abort();
  }
  if (WIFEXITED(ended) && WEXITSTATUS(ended) == 0) {
    read_and_compile(data, size);
    drop_modules(Compilation::ModTable);
    drop_data_tables();
  }
  return 0;
}
