// Test support: the global data tables cleared for a test and put back afterwards.
#ifndef DATA_TABLES_SCOPE_H
#define DATA_TABLES_SCOPE_H

#include "compilation.h"
#include "data.h"

struct DataTablesScope {
  DataTypeTable* types = Compilation::GDataTypeTable;
  DataMethodTable* methods = Compilation::GDataMethodTable;
  DataConstantTable* constants = Compilation::GDataConstantTable;
  DataTablesScope() { clear(); }
  ~DataTablesScope() {
    Compilation::GDataTypeTable = types;
    Compilation::GDataMethodTable = methods;
    Compilation::GDataConstantTable = constants;
  }
  static void clear() {
    Compilation::GDataTypeTable = nullptr;
    Compilation::GDataMethodTable = nullptr;
    Compilation::GDataConstantTable = nullptr;
  }
  // Frees the current tables with their declarations, as the compiled-module reader makes
  // them (a constant's value is a literal or none), and clears them.
  static void free_read_tables() {
    delete Compilation::GDataTypeTable;
    if (DataMethodTable* t = Compilation::GDataMethodTable) {
      if (t->getMethodList() != nullptr)
        for (MethodDecl* d : *t->getMethodList()) delete d;
      delete t->getMethodList();
      delete t;
    }
    if (DataConstantTable* t = Compilation::GDataConstantTable) {
      if (t->getConstantList() != nullptr)
        for (ConstantDecl* c : *t->getConstantList()) {
          delete c->getValue();
          delete c;
        }
      delete t->getConstantList();
      delete t;
    }
    clear();
  }
  DataTablesScope(const DataTablesScope&) = delete;
  DataTablesScope& operator=(const DataTablesScope&) = delete;
};

#endif
