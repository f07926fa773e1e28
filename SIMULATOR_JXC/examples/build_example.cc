// Builds the examples: reads a Jexa source, compiles and finalises each of its modules and
// saves each as <dir>/<module>.jxc; a module with data bindings also gets its value server
// zars_<module>.cc and its user-data skeleton user_data_<module>.{h,cc} in dir (an existing
// user file is kept as .bak). The tool chain's option flags stay unset.
//
//   build_example <source.jx> <dir>
//
// Status 0 when every module is saved; 1 when the source is refused or a module cannot be
// built (with the reason on standard error); the compiler's own fatal reports keep theirs.
#include <exception>
#include <fstream>
#include <iostream>
#include <string>

#include "compilation.h"
#include "module.h"
#include "parse_jx.h"
#include "sexception.h"

namespace {

int build(Module* m, const std::string& dir) {
  if (m->getSet() == nullptr) m->compile();  // a module run by another is compiled already
  m->finalize(0);
  m->save();
  std::cout << dir << "/" << m->getName() << ".jxc\n";
  if (m->data_table == nullptr) return 0;
  m->save_zars_code();
  m->save_user_data_code();
  std::cout << dir << "/zars_" << m->getName() << ".cc\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: build_example <source.jx> <dir>\n";
    return 1;
  }
  const std::string source = argv[1], dir = argv[2];
  std::ifstream in(source);
  if (!in) {
    std::cerr << source << ": cannot be read\n";
    return 1;
  }
  Module::OutputDir = dir;
  Module::SimulationJxcDir = dir;
  try {
    std::string report;
    if (jx_read_source(in, report) != 0) {
      std::cerr << report;
      return 1;
    }
    for (const auto& entry : *Compilation::ModTable->table) build(entry.second, dir);
  } catch (const std::exception& e) {
    std::cerr << source << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
