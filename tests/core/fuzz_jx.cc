// libFuzzer target: one source file per input through the source reader. Message boxes are
// dropped; the exceptions of the module model are the reader's answers, not faults. The
// modules read and the global data tables are dropped after each input so that memory stays
// flat over a long run.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <sstream>
#include <string>

#include "compilation.h"
#include "data.h"
#include "formspp.h"
#include "module.h"
#include "parse_jx.h"
#include "signal_manager.h"

namespace {

void dropModules() {
  for (auto& entry : *Compilation::ModTable->table) {
    // A module leaves its signal manager alive: both go here.
    SignalManager* sm = entry.second->getSignalManager();
    delete entry.second;
    delete sm;
  }
  Compilation::ModTable->table->clear();
}

void dropDataTables() {
  delete Compilation::GDataTypeTable;
  Compilation::GDataTypeTable = nullptr;
  delete Compilation::GDataMethodTable;
  Compilation::GDataMethodTable = nullptr;
  delete Compilation::GDataConstantTable;
  Compilation::GDataConstantTable = nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  forms_set_sink(forms_sink{[](forms_box_kind, const std::string&) {}, [](const std::string&) { return 0; },
                            [](const std::string&, const std::string&, std::string&) { return false; },
                            [](const std::string&, int) {}});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  std::string report;
  try {
    jx_read_source(in, report);
  } catch (const std::exception&) {
  }
  dropModules();
  dropDataTables();
  return 0;
}
