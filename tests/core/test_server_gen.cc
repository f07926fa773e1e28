#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "compilation.h"
#include "library_exit.h"
#include "module.h"
#include "gen_modules.h"
#include "module_and_files.h"
#include "server_tables.h"
#include "test_scope.h"

namespace {

const std::string Golden = folder_of(__FILE__) + "data/server/";

struct Generated {
  std::string server, header, body;
};

Generated generate(const std::string& name) {
  Module m(name);
  std::ostringstream server, header, body;
  m.SIMUL_JXC_put(server);
  m.SIMUL_JXC_put_user_files(header, body);
  return {server.str(), header.str(), body.str()};
}

// Types in name order, methods with 0, 1 and 2 arguments, a constant with a value (no
// CONST test) and one without.
TEST(ServerGenerator, ServerAndSkeletonOfTheExampleModule) {
  ServerTables tables;
  Generated g = generate("Valued");
  EXPECT_EQ(g.server, read_file(Golden + "zars_Valued.cc"));
  EXPECT_EQ(g.header, read_file(Golden + "user_data_Valued.h"));
  EXPECT_EQ(g.body, read_file(Golden + "user_data_Valued.cc"));
}

// Without method and constant tables: no MC or CONST branch, no constant or method lines.
TEST(ServerGenerator, TypesOnly) {
  ServerTables tables(false, false);
  Generated g = generate("T");
  EXPECT_EQ(g.server.find("METHOD CALL"), std::string::npos);
  EXPECT_EQ(g.server.find("\"MC\""), std::string::npos);
  EXPECT_EQ(g.server.find("CONSTANTS"), std::string::npos);
  EXPECT_EQ(g.server.find("\"CONST\""), std::string::npos);
  EXPECT_NE(g.server.find("   //BINARY OP\n"), std::string::npos);
  EXPECT_NE(g.server.find("   //UNARY OP\n"), std::string::npos);
  EXPECT_EQ(text_between(g.header, "extern string real_to_string", "#endif"),
            "extern string real_to_string(real  arg);\n\n\n");
  EXPECT_EQ(text_between(g.body, "string real_to_string", "zzz"), "string real_to_string(real  arg) { return string(\"--\"); }\n\n");
}

// A type named bool gets no string_to_bool stub (the server defines it); a dotted method
// is a comment with the placeholder; an absent argument list is void.
TEST(ServerGenerator, BoolTypeDottedAndVoidMethods) {
  DataTablesScope scope;
  Compilation::GDataTypeTable = new DataTypeTable();
  Compilation::GDataTypeTable->addType("bool");
  std::string b = "bool", dotted = "obj.get", plain = "now";
  Compilation::GDataMethodTable = new DataMethodTable();
  Compilation::GDataMethodTable->addMethod(new MethodDecl(&b, &dotted, new std::list<std::string>{"bool"}));
  Compilation::GDataMethodTable->addMethod(new MethodDecl(&b, &plain, nullptr));
  Generated g = generate("B");
  EXPECT_EQ(g.body.find("string_to_bool"), std::string::npos);
  EXPECT_NE(g.header.find("extern bool string_to_bool(string arg);\n"), std::string::npos);
  EXPECT_NE(g.header.find("// extern bool obj.get(bool); /* NEEDED DEFINITION HERE! */\n"), std::string::npos);
  EXPECT_NE(g.body.find("// bool obj.get(bool arg0) /* NEEDED DEFINITION HERE! */\n"), std::string::npos);
  EXPECT_NE(g.header.find("extern bool now(void);\n"), std::string::npos);
  EXPECT_NE(g.body.find("bool now(void)\n{\n   return zero_bool;\n}\n"), std::string::npos);
  EXPECT_NE(g.server.find("data = ::bool_to_string(::now());"), std::string::npos);
  EXPECT_NE(g.server.find("data = ::bool_to_string(::obj.get(::string_to_bool(v[2])));"), std::string::npos);
  DataTablesScope::free_read_tables();
}

TEST(ServerGeneratorExitTest, NoTypeTableEndsTheProcess) {
  DataTablesScope scope;
  RecordedBoxes boxes;
  Module m("N");
  std::ostringstream out, header, body;
  EXPECT_LIBRARY_EXIT(m.SIMUL_JXC_put(out), 1, "Module::SIMUL_JXC:No type defined\n");
  EXPECT_LIBRARY_EXIT(m.SIMUL_JXC_put_user_files(header, body), 1,
                      "\\*\\*\\*error:SIMUL_JXC_put_user_files: No types defined\n");
}

}  // namespace
