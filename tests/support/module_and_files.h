// Test support: signals declared into a hand-built module, its compiled-module text, and files
// read and written whole.
#ifndef MODULE_AND_FILES_H
#define MODULE_AND_FILES_H

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

#include "module.h"
#include "module_signal.h"

// A new signal of m declared in the list of its kind, its variables in wood (m's own when
// null). The module's lists keep the signal; tests never free it.
inline Signal* add_input(Module* m, const std::string& name, Bddexpressionwood* wood = nullptr) {
  Signal* s = new Signal(name, m, wood != nullptr ? wood : m->getBddWood());
  s->is_input = true;
  m->addInputSignal(s);
  return s;
}
inline Signal* add_output(Module* m, const std::string& name, Bddexpressionwood* wood = nullptr) {
  Signal* s = new Signal(name, m, wood != nullptr ? wood : m->getBddWood());
  s->is_output = true;
  m->addOutputSignal(s);
  return s;
}
inline Signal* add_local(Module* m, const std::string& name, Bddexpressionwood* wood = nullptr) {
  Signal* s = new Signal(name, m, wood != nullptr ? wood : m->getBddWood());
  s->is_local = true;
  m->addLocalSignal(s);
  return s;
}

// The module's Set, Reset and RTL wires, named SET, RESET and RTL followed by the module name,
// created in that order (their variables come first when m has no signal yet).
inline void add_wires(Module* m) {
  Bddexpressionwood* w = m->getBddWood();
  m->setSet(new Signal("SET" + m->getName(), m, w));
  m->setReset(new Signal("RESET" + m->getName(), m, w));
  m->setRtl(new Signal("RTL" + m->getName(), m, w));
}

// The compiled-module text of m, as save writes it.
inline std::string jxc_text(Module& m, int forget_locals_names = 0) {
  std::ostringstream os;
  m.JXC_put(os, 2, 1, forget_locals_names);
  return os.str();
}

// The folder of a source file with its final '/': folder_of(__FILE__) + "data/" is the data
// folder next to a test.
inline std::string folder_of(const std::string& file) { return file.substr(0, file.find_last_of('/') + 1); }

// The whole content of a file; empty when it cannot be read.
inline std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

inline bool file_exists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

#endif
