// libFuzzer target: one compiled-module file per input through the .jxc reader. Message boxes
// are dropped; the module and the global data tables are dropped after each input so that
// memory stays flat over a long run.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "parse_jxc.h"
#include "reader_tables.h"

namespace {

std::fstream& logStream() {
  static std::fstream log("/dev/null", std::ios::out);
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  forms_set_sink(silent_sink());
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
    if (parser.pmodule_parse != nullptr) drop_module(parser.pmodule_parse);
  }
  drop_data_tables();
  return 0;
}
