// Reading source (.jx) files: a generated module of N interface signals (inputs and outputs,
// every other one valued), a data part of N type names, and a module body of about N
// statements, read alone and then taken on to its compiled-module text; and the shapes whose
// compile time grew faster than their size: a sequence of parallels, a wide parallel over
// distinct signals, a module of many inputs or outputs, runs of a module, many one-line
// modules. peak_MB is the process's peak resident size so far: run one benchmark per process
// (--benchmark_filter) to read it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <sstream>
#include <string>

#include "module.h"

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

// Groups of eight statements (two parallel branches of a present, a wait, an emission and
// two pauses, their Pn and Sn) in one flat sequence.
// ">>" binds tighter than "||": the groups make one flat parallel of their halves, unless
// bracketed, when they follow one another.
std::string generate_statements(long n, bool in_sequence = false) {
  std::ostringstream os;
  os << "module big: Input: I; Output: O, P;\n";
  const char* open = in_sequence ? "{" : "";
  const char* close = in_sequence ? "}" : "";
  for (long i = 0; i < n / 8; ++i)
    os << (i == 0 ? "" : " >>\n") << open << "{present I emit O else pause >> wait I} || {emit P >> pause}" << close;
  os << "\nend\n";
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

// A comment line of N characters (kind 0), or one signal of a name of N characters declared
// and read (kind 1, two tokens of N): the time per character stays flat as N grows.
std::string generate_long_tokens(long n, long kind) {
  const std::string name = "S" + std::string(static_cast<size_t>(kind == 1 ? n : 1), 'x');
  const std::string comment = kind == 0 ? ";; " + std::string(static_cast<size_t>(n), 'c') + "\n" : "";
  return comment + "module big: Input: " + name + "; Output: O;\npresent " + name + " emit O\nend\n";
}

void BM_ReadJxLongTokens(benchmark::State& state) {
  read_jx(state, generate_long_tokens(state.range(0), state.range(1)), state.range(0));
}
BENCHMARK(BM_ReadJxLongTokens)
    ->ArgsProduct({{1 << 12, 1 << 16, 1 << 20, 1 << 22, 1 << 23}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_ReadJxStatements(benchmark::State& state) {
  read_jx(state, generate_statements(state.range(0)), state.range(0));
}
BENCHMARK(BM_ReadJxStatements)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// n branches, branch k "present Ik emit Ok": every branch over signals of its own.
std::string generate_distinct_parallel(long n) {
  std::ostringstream os;
  os << "module big:\nInput:";
  for (long i = 0; i < n; ++i) os << (i == 0 ? " " : ", ") << "I" << i;
  os << ";\nOutput:";
  for (long i = 0; i < n; ++i) os << (i == 0 ? " " : ", ") << "O" << i;
  os << ";\n";
  for (long i = 0; i < n; ++i) os << (i == 0 ? "" : " ||\n") << "{present I" << i << " emit O" << i << "}";
  os << "\nend\n";
  return os.str();
}

// n pure inputs and one output, or one input and n pure outputs; the body emits O0.
std::string generate_interface(long n, bool inputs) {
  std::ostringstream os;
  os << "module big:\nInput:";
  for (long i = 0; i < (inputs ? n : 1); ++i) os << (i == 0 ? " " : ", ") << "I" << i;
  os << ";\nOutput:";
  for (long i = 0; i < (inputs ? 1 : n); ++i) os << (i == 0 ? " " : ", ") << "O" << i;
  os << ";\nemit O0\nend\n";
  return os.str();
}

// n runs of a small module one after the other, each alone or followed by a pause, or n groups
// of the sequence's two branches with a third that runs it.
enum class Runs { in_sequence, with_pauses, in_groups };
std::string generate_runs(long n, Runs shape) {
  std::ostringstream os;
  os << "module Sub: Input: A; Output: B; present A emit B >> pause end\n"
     << "module big: Input: I; Output: O, P;\n";
  for (long i = 0; i < n; ++i) {
    os << (i == 0 ? "" : " >>\n");
    if (shape == Runs::in_groups)
      os << "{{present I emit O else pause >> wait I} || {emit P >> pause} || {run Sub [I \\ A, O \\ B]}}";
    else
      os << "run Sub [I \\ A, O \\ B]" << (shape == Runs::with_pauses ? " >> pause" : "");
  }
  os << "\nend\n";
  return os.str();
}

// n one-line modules, each over signals of its own.
std::string generate_modules(long n) {
  std::ostringstream os;
  for (long i = 0; i < n; ++i) os << "module M" << i << ": Input: A; Output: B; present A emit B end\n";
  return os.str();
}

void count_peak(benchmark::State& state) {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Reads text as a source into the module table; false, the benchmark skipped with the
// reader's report, when it is refused.
bool read_source(benchmark::State& state, const std::string& text) {
  std::istringstream in(text);
  std::string report;
  if (jx_read_source(in, report) == 0) return true;
  state.SkipWithError(report.c_str());
  return false;
}

// Source to compiled-module text: read, compile, finalise, write.
void source_to_jxc(benchmark::State& state, const std::string& text) {
  for (auto _ : state) {
    if (!read_source(state, text)) break;
    Module* m = Compilation::ModTable->get("big");
    m->compile();
    m->finalize(0);
    std::ostringstream out;
    m->JXC_put(out, 0, 0, 0);
    benchmark::DoNotOptimize(out.str().size());
    state.PauseTiming();
    drop_modules(Compilation::ModTable);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  count_peak(state);
}

void statements_to_jxc(benchmark::State& state, bool in_sequence) {
  source_to_jxc(state, generate_statements(state.range(0), in_sequence));
}

void BM_JxStatementsToJxc(benchmark::State& state) { statements_to_jxc(state, false); }
BENCHMARK(BM_JxStatementsToJxc)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The same groups one after the other: each parallel forks a system holding every group before it.
void BM_JxSequenceToJxc(benchmark::State& state) { statements_to_jxc(state, true); }
BENCHMARK(BM_JxSequenceToJxc)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(10000)->Arg(20000)->Unit(benchmark::kMillisecond);

// A flat parallel of n branches, each over an input and an output of its own.
void BM_JxDistinctParallelToJxc(benchmark::State& state) {
  source_to_jxc(state, generate_distinct_parallel(state.range(0)));
}
BENCHMARK(BM_JxDistinctParallelToJxc)->Arg(1000)->Arg(3000)->Arg(10000)->Unit(benchmark::kMillisecond);

// Each run includes the same module: its cost should follow the run module, not the caller.
void BM_JxRunsToJxc(benchmark::State& state) { source_to_jxc(state, generate_runs(state.range(0), Runs::in_sequence)); }
BENCHMARK(BM_JxRunsToJxc)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

// The same runs, each followed by a pause.
void BM_JxRunsWithPausesToJxc(benchmark::State& state) {
  source_to_jxc(state, generate_runs(state.range(0), Runs::with_pauses));
}
BENCHMARK(BM_JxRunsWithPausesToJxc)->Arg(100)->Arg(200)->Arg(400)->Unit(benchmark::kMillisecond);

void BM_JxRunGroupsToJxc(benchmark::State& state) {
  source_to_jxc(state, generate_runs(state.range(0), Runs::in_groups));
}
BENCHMARK(BM_JxRunGroupsToJxc)->Arg(50)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// n one-line modules from source to compiled-module text, as build_example takes them: every
// one compiled, then every one finalised, then every one written. What a module costs before
// it makes its first node (its manager and tables, the compile's thread) counts n times.
void BM_JxModulesToJxc(benchmark::State& state) {
  const std::string text = generate_modules(state.range(0));
  for (auto _ : state) {
    if (!read_source(state, text)) break;
    const auto& modules = *Compilation::ModTable->table;
    for (const auto& entry : modules) entry.second->compile();
    for (const auto& entry : modules) entry.second->finalize(0);
    size_t bytes = 0;
    for (const auto& entry : modules) {
      std::ostringstream out;
      entry.second->JXC_put(out, 0, 0, 0);
      bytes += out.str().size();
    }
    benchmark::DoNotOptimize(bytes);
    state.PauseTiming();
    drop_modules(Compilation::ModTable);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0));
  count_peak(state);
}
// One build each, so that peak_MB is one build's: a dropped module leaves its signals and
// statement tree behind.
BENCHMARK(BM_JxModulesToJxc)->Arg(1000)->Arg(10000)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_JxInputsToJxc(benchmark::State& state) { source_to_jxc(state, generate_interface(state.range(0), true)); }
BENCHMARK(BM_JxInputsToJxc)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_JxOutputsToJxc(benchmark::State& state) { source_to_jxc(state, generate_interface(state.range(0), false)); }
BENCHMARK(BM_JxOutputsToJxc)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
