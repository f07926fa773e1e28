// Test support: the data part of the value-server example module "Valued" in the global
// tables, and the programs that build and drive its server.
#ifndef SERVER_TABLES_H
#define SERVER_TABLES_H

#include <cstdlib>
#include <list>
#include <string>

#include "compilation.h"
#include "data.h"
#include "data_tables_scope.h"
#include "module.h"
#include "tool_on_path.h"

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
      ConstantDecl* ten_decl = new ConstantDecl("num", "ten", ten);
      ten->setDecl(ten_decl);
      Compilation::GDataConstantTable = new DataConstantTable();
      Compilation::GDataConstantTable->addConstant(ten_decl);
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

// The folder of the stand-in "zars" (tests/support/bin).
inline std::string standin_bin_dir() {
  std::string here = __FILE__;
  return here.substr(0, here.find_last_of('/') + 1) + "bin";
}

inline bool have_gxx() { return tool_on_path("g++"); }

// Writes zars_<name>.cc into dir (the global data tables must be in place) and compiles
// dir/zars_<name> with the user files dir/user_data_<name>.{h,cc}, warnings as errors, with
// the compiler flags given. Returns the compiler's status.
inline int build_server(const std::string& dir, const std::string& name, const std::string& flags = "") {
  std::string saved = Module::SimulationJxcDir;
  Module::SimulationJxcDir = dir;
  Module m(name);
  m.save_zars_code();
  Module::SimulationJxcDir = saved;
  std::string cmd = "cd '" + dir + "' && g++ -O1 -Wall -Wextra -Werror " + flags + " -o zars_" + name + " zars_" +
                    name + ".cc user_data_" + name + ".cc";
  return std::system(cmd.c_str());
}

// build_server of "Valued" (the tables of ServerTables must be in place) with the completed
// user files, copied into dir.
inline int build_valued_server(const std::string& dir, const std::string& flags = "") {
  std::string ex = valued_example_dir();
  std::string cmd = "cp '" + ex + "user_data_Valued.h' '" + ex + "user_data_Valued.cc' '" + dir + "'";
  if (std::system(cmd.c_str()) != 0) return 1;
  return build_server(dir, "Valued", flags);
}

#endif
