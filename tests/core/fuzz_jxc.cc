// libFuzzer target: one compiled-module file per input through the .jxc reader. Message boxes
// go nowhere; the module read and the global data tables are freed after each input, so that
// memory stays flat over a long run and a leak check finds what the reader loses. The reader
// refuses a broken file without ending the process: a fatal end of the library is thrown
// (g_exit_error) and, caught by nobody, kept by libFuzzer as a fault with its stack.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>

#include "data_tables_scope.h"
#include "g_exit.h"
#include "load_jxc.h"
#include "reader_tables.h"

namespace {

std::ofstream& logStream() {
  static std::ofstream log("/dev/null");
  return log;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  forms_set_sink(silent_sink());
  g_set_exit_handler(g_throwing_exit);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
  jxc_release(jxc_read(in, logStream(), jxc_load_request()).module);
  DataTablesScope::free_read_tables();
  return 0;
}
