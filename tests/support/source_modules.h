// Test support: modules entered in the global module tables for one test and taken out
// of both tables after it (the modules themselves are never freed, as in the tool chain).
#ifndef SOURCE_MODULES_H
#define SOURCE_MODULES_H

#include <string>
#include <vector>

#include "compilation.h"
#include "module.h"

struct SourceModules {
  std::vector<std::string> names;
  // A new empty module of that name in the source-module table.
  Module* add(const std::string& name) {
    Module* k = new Module(name);
    Compilation::ModTable->add(k);
    names.push_back(name);
    return k;
  }
  // A name that something else entered (a source file read during the test).
  void forget(const std::string& name) { names.push_back(name); }
  ~SourceModules() {
    for (const std::string& n : names) {
      Compilation::ModTable->table->erase(n);
      if (Compilation::JxcModTable != nullptr) Compilation::JxcModTable->table->erase(n);
    }
  }
};

#endif
