// Reading source (.jx) files: a generated module of N interface signals (inputs and outputs,
// every other one valued), and a data part of N type names. Module bodies made of statement
// trees wait for the statement classes; the body here is one nothing.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include "parse_jx.h"
#include "reader_tables.h"

namespace {

std::string generate_signals(long n) {
  std::ostringstream os;
  os << "data: Type: int; end data\nmodule big:\n";
  for (const char* kind : {"Input:", "Output:"}) {
    os << kind;
    for (long i = 0; i < n / 2; ++i)
      os << (i == 0 ? " " : ",\n  ") << kind[0] << i << (i % 2 == 0 ? ": int" : "");
    os << ";\n";
  }
  os << "nothing\nend\n";
  return os.str();
}

std::string generate_types(long n) {
  std::ostringstream os;
  os << "data:\nType:";
  for (long i = 0; i < n; ++i) os << (i == 0 ? " " : ",\n  ") << "type_" << i;
  os << ";\nend data\nmodule small: end\n";
  return os.str();
}

void read_jx(benchmark::State& state, const std::string& text, long n) {
  for (auto _ : state) {
    std::istringstream in(text);
    std::string report;
    int status = jx_read_source(in, report);
    state.PauseTiming();
    if (status != 0) {
      state.SkipWithError(report.c_str());
      break;
    }
    drop_modules(Compilation::ModTable);
    drop_data_tables();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}

void BM_ReadJxSignals(benchmark::State& state) { read_jx(state, generate_signals(state.range(0)), state.range(0)); }
BENCHMARK(BM_ReadJxSignals)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadJxTypes(benchmark::State& state) { read_jx(state, generate_types(state.range(0)), state.range(0)); }
BENCHMARK(BM_ReadJxTypes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
