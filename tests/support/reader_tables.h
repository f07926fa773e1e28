// Test support: what the readers leave in the global tables, dropped between inputs, and a
// message sink that drops every box.
#ifndef READER_TABLES_H
#define READER_TABLES_H

#include <list>
#include <string>

#include "compilation.h"
#include "data.h"
#include "g_messages.h"
#include "module.h"
#include "signal_manager.h"

// A module leaves its signal manager alive (every live manager is scanned when a module goes),
// so both go.
inline void drop_module(Module* m) {
  SignalManager* sm = m->getSignalManager();
  delete m;
  delete sm;
}

// Every module of the table dropped, the table emptied.
inline void drop_modules(ModuleTable* table) {
  for (auto& entry : *table->table) drop_module(entry.second);
  table->table->clear();
}

inline void drop_data_tables() {
  delete Compilation::GDataTypeTable;
  Compilation::GDataTypeTable = nullptr;
  delete Compilation::GDataMethodTable;
  Compilation::GDataMethodTable = nullptr;
  delete Compilation::GDataConstantTable;
  Compilation::GDataConstantTable = nullptr;
}

// Boxes and listings dropped, questions answered no, inputs cancelled.
inline forms_sink silent_sink() {
  return forms_sink{[](forms_box_kind, const std::string&) {}, [](const std::string&) { return 0; },
                    [](const std::string&, const std::string&, std::string&) { return false; },
                    [](const std::string&, int) {}, [](const std::list<std::string>&, const std::string&) {}};
}

#endif
