#include "module.h"

#include <iostream>

#include "sexception.h"

ModuleTable::ModuleTable() : table(new std::map<std::string, Module*>), out(&std::cout) {}

ModuleTable::~ModuleTable() { delete table; }

Module* ModuleTable::get(const std::string& name) const {
  auto it = table->find(name);
  return it != table->end() ? it->second : nullptr;
}

void ModuleTable::add(const std::string& name, Module* m) {
  if (!table->emplace(name, m).second) throw HashTableAddException(name);
}
