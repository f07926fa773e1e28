// libFuzzer target: one source file per input through the source reader. Message boxes are
// dropped; the exceptions of the module model are the reader's answers, not faults. The
// modules read and the global data tables are dropped after each input so that memory stays
// flat over a long run.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

#include "parse_jx.h"
#include "reader_tables.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  forms_set_sink(silent_sink());
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string report;
  try {
    jx_read_source(in, report);
  } catch (const std::exception&) {
  }
  drop_modules(Compilation::ModTable);
  drop_data_tables();
  return 0;
}
