// Test support: the global data tables cleared for a test and put back afterwards.
#ifndef DATA_TABLES_SCOPE_H
#define DATA_TABLES_SCOPE_H

#include "compilation.h"

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
  DataTablesScope(const DataTablesScope&) = delete;
  DataTablesScope& operator=(const DataTablesScope&) = delete;
};

#endif
