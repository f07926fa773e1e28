// Supports of long BDD chains: a .jxc holding one equation whose BDD is an and-chain over n
// inputs, read through jxc_read. Each read runs in a child process, so that the counter
// peak_rss_mb is the reading's own peak resident set.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "load_jxc.h"

namespace {

// Inputs x0..x(n-1) (ids 2j, 2j+1) and one local y0 (ids 2n, 2n+1) defined as
// x0 & x1 & ... & x(n-1): node k tests x(n-k) above node k-1, the bottom node tests x(n-1).
std::string generate_support_chain(long n) {
  std::ostringstream os;
  os << "module: wide  0 1\ninput:";
  for (long j = 0; j < n; ++j) os << " x" << j;
  os << ";\nlocal: y0;\nconnexion: SETwide RESETwide RTLwide;\n\nequation_def:\n" << n + 1 << "\n0: -1:-3:-3,1\n";
  for (long k = 1; k <= n; ++k) os << k << ": " << 2 * (n - k) << ":" << k - 1 << ":0,-1\n";
  os << "expressions:\n1 1 " << 2 * n << ":" << n << ",1,()\nend:\n";
  return os.str();
}

// Reads text in a child; returns its peak resident set in MiB, or -1 when the read failed.
double read_in_child(const std::string& text) {
  pid_t pid = fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    std::ofstream log("/dev/null");
    jxc_load_request request;
    request.explain = 0;
    std::istringstream in(text);
    jxc_load_result loaded = jxc_read(in, log, request);
    if (!loaded.ok()) _exit(1);
    jxc_release(loaded.module);
    _exit(0);
  }
  int status = 0;
  struct rusage ru;
  if (wait4(pid, &status, 0, &ru) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return -1;
  return static_cast<double>(ru.ru_maxrss) / 1024.0;
}

void BM_ReadSupportChain(benchmark::State& state) {
  const std::string text = generate_support_chain(state.range(0));
  double peak = 0;
  for (auto _ : state) {
    peak = read_in_child(text);
    if (peak < 0) {
      state.SkipWithError("the generated file was refused or the reader failed");
      break;
    }
  }
  state.counters["peak_rss_mb"] = peak;
  state.counters["file_mb"] = static_cast<double>(text.size()) / (1 << 20);
}
BENCHMARK(BM_ReadSupportChain)->Arg(1000)->Arg(10000)->Arg(40000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
