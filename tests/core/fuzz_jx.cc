// libFuzzer target: one source file per input through the source reader, then each module read
// compiled and finalised, in the fuzzer's process. Message boxes are dropped; the exceptions of
// the module model are the reader's and the compiler's answers, not faults, and so are their
// fatal ends, which the throwing exit handler turns into g_exit_error. A faulty input crashes or
// draws a sanitizer report here, and libFuzzer keeps it. The reader accepts programs that take
// minutes and gigabytes to compile (a wait of 10^5 instants, loops whose bodies are doubled at
// each level, runs of runs), which are not faults: an input whose parse made more than a bound
// of statements, weighted by its loops and runs, is read and not compiled. The modules read and
// the global data tables are dropped after each input, so that memory grows only by what a
// source module never frees (its statements and expression nodes): about 6 MB a second.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

#include "g_exit.h"
#include "parse_jx.h"
#include "reader_tables.h"

namespace {

// Statements made by the parses so far (every statement name takes a number of these).
long statements_made() {
  return long{Module::PauseNumber} + Module::NothingNumber + Module::HaltNumber + Module::ParallelNumber +
         Module::SequenceNumber + Module::PresentNumber + Module::LoopNumber + Module::LocalNumber +
         Module::WaitNumber + Module::AbortNumber + Module::EmitNumber + Module::NoEmitNumber +
         Module::SustainUntilNumber + Module::RunNumber + Module::AutomatonNumber + Module::MealyMachineNumber +
         Module::TransitionNumber;
}

// The compile of one statement, weighted: a loop may double its body and a run may double what
// it includes, so each counts as a doubling of the whole.
const long kMaxWeightedStatements = 4000;

bool cheap_enough(long statements, long loops_and_runs) {
  long weighted = statements;
  for (long k = 0; k < loops_and_runs && weighted <= kMaxWeightedStatements; ++k) weighted *= 2;
  return weighted <= kMaxWeightedStatements;
}

void read_and_compile(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string report;
  const long statements = statements_made(), loops_and_runs = long{Module::LoopNumber} + Module::RunNumber;
  try {
    if (jx_read_source(in, report) != 0) return;
    if (!cheap_enough(statements_made() - statements, Module::LoopNumber + Module::RunNumber - loops_and_runs))
      return;
    for (auto& entry : *Compilation::ModTable->table) {
      Module* m = entry.second;
      if (m->getSet() == nullptr) m->compile();  // a module run by another is compiled already
      m->finalize(0);
    }
  } catch (const std::exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  forms_set_sink(silent_sink());
  g_set_exit_handler(g_throwing_exit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  read_and_compile(data, size);
  drop_modules(Compilation::ModTable);
  drop_data_tables();
  return 0;
}
