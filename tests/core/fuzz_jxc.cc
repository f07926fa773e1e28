// libFuzzer target: one compiled-module file per input through the .jxc reader. Message boxes
// go to standard error; the module and the global data tables are dropped after each input so
// that memory stays flat over a long run.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "compilation.h"
#include "data.h"
#include "formspp.h"
#include "module.h"
#include "parse_jxc.h"
#include "signal_manager.h"

namespace {

std::fstream& logStream() {
  static std::fstream log("/dev/null", std::ios::out);
  return log;
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
  std::string instance, run_instance;
  {
    jxcFlexLexer lexer(&in, &logStream());
    class_jxc_parser parser;
    parser.plexer = &lexer;
    parser.parse(logStream(), 1, instance, run_instance);
    if (parser.pmodule_parse != nullptr) {
      // Modules leave their signal manager alive; every live manager is scanned when a
      // module goes, so both go here.
      SignalManager* sm = parser.pmodule_parse->getSignalManager();
      delete parser.pmodule_parse;
      delete sm;
    }
  }
  dropDataTables();
  return 0;
}
