// Test support: the data part of the value-server example module "Valued" in the global
// tables, and the programs that build and drive its server.
#ifndef SERVER_TABLES_H
#define SERVER_TABLES_H

#include <list>
#include <string>

#include "compilation.h"
#include "data.h"
#include "data_tables_scope.h"

// Types real and num (declared in that order); methods "num count()", "num twice(num)",
// "real mix(num ,real)"; constants "num ten := 10" and "real rate" (the server's).
// Everything comes back afterwards.
struct ServerTables : DataTablesScope {
  explicit ServerTables(bool methods = true, bool constants = true) {
    Compilation::GDataTypeTable = new DataTypeTable();
    Compilation::GDataTypeTable->addType("real");
    Compilation::GDataTypeTable->addType("num");
    if (methods) {
      std::string num = "num", real = "real", count = "count", twice = "twice", mix = "mix";
      Compilation::GDataMethodTable = new DataMethodTable();
      Compilation::GDataMethodTable->addMethod(new MethodDecl(&num, &count, new std::list<std::string>{}));
      Compilation::GDataMethodTable->addMethod(new MethodDecl(&num, &twice, new std::list<std::string>{"num"}));
      Compilation::GDataMethodTable->addMethod(
          new MethodDecl(&real, &mix, new std::list<std::string>{"num", "real"}));
    }
    if (constants) {
      DataValue* ten = new DataValue("10");
      ten->setType("num");
      Compilation::GDataConstantTable = new DataConstantTable();
      Compilation::GDataConstantTable->addConstant(new ConstantDecl("num", "ten", ten));
      Compilation::GDataConstantTable->addConstant(new ConstantDecl("real", "rate"));
    }
  }
  ~ServerTables() { free_read_tables(); }
};

// The completed user-data files of "Valued", kept with the simulator's examples.
inline std::string valued_example_dir() {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/') + 1) + "../../SIMULATOR_JXC/examples/";
}

#endif
