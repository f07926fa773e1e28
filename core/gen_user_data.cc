// User-data skeleton: user_data_<module>.h declares what the value server calls for each
// type, method and server constant; user_data_<module>.cc holds stubs the user completes.
#include <cstdlib>
#include <iostream>
#include <list>
#include <map>
#include <string>

#include "compilation.h"
#include "data.h"
#include "g_exit.h"
#include "module.h"

namespace {

const char* const Placeholder = "/* NEEDED DEFINITION HERE! */";

// "(T1 ,T2)" for the header; with names, "(T1 arg0 ,T2 arg1)"; "(void)" without a list.
std::string parameters(const std::list<std::string>* types, bool named) {
  if (types == nullptr) return "(void)";
  std::string out = "(";
  int i = 0;
  for (const std::string& t : *types) {
    if (i != 0) out += " ,";
    out += t;
    if (named) out += " arg" + std::to_string(i);
    ++i;
  }
  return out + ")";
}

}  // namespace

void Module::SIMUL_JXC_put_user_files(std::ostream& header, std::ostream& body) {
  header << "#ifndef  USER_DATA_" << name << "_H\n#define USER_DATA_" << name << "_H\n\n\n";
  for (const char* h : {"iostream", "sstream", "string", "sys/ioctl.h", "stdio.h", "stdlib.h", "errno.h", "algorithm",
                        "vector", "sstream", "cstring", "fstream", "unistd.h"})
    header << "#include <" << h << ">\n";
  header << "\nusing namespace std;\n\n";
  body << "#include \"user_data_" << name << ".h\"\n\n";
  if (Compilation::GDataTypeTable == nullptr) {
    header.flush();
    body.flush();
    g_exit(1, "***error:SIMUL_JXC_put_user_files: No types defined\n");
  }
  body << "// FUNCTIONS TO EXPAND ...\n";
  const std::map<std::string, int>& types = *Compilation::GDataTypeTable->getTypes();
  for (const auto& entry : types) {
    const std::string& t = entry.first;
    header << "typedef " << Placeholder << " " << t << ";\n"
           << "const " << t << " zero_" << t << "= " << Placeholder << ";\n"
           << "extern bool check_" << t << "(string arg);\n"
           << "extern " << t << " string_to_" << t << "(string arg);\n"
           << "extern string " << t << "_to_string(" << t << "  arg);\n\n";
    body << "bool check_" << t << "(string arg){ return false; }\n";
    // The value server defines string_to_bool itself.
    if (t != "bool") body << t << " string_to_" << t << "(string arg)  { return zero_" << t << "; }\n";
    body << "string " << t << "_to_string(" << t << "  arg) { return string(\"--\"); }\n\n";
  }
  if (Compilation::GDataConstantTable != nullptr && Compilation::GDataConstantTable->getConstantList() != nullptr) {
    for (ConstantDecl* c : *Compilation::GDataConstantTable->getConstantList())
      if (c->getValue() == nullptr)
        header << "const " << c->getType() << " " << c->getIdentifier() << "= " << Placeholder << ";\n";
    header << "\n";
  }
  if (Compilation::GDataMethodTable != nullptr && Compilation::GDataMethodTable->getMethodList() != nullptr) {
    for (MethodDecl* m : *Compilation::GDataMethodTable->getMethodList()) {
      const std::string& r = m->getReturnType();
      const std::list<std::string>* args = m->getArgTypeList();
      // A dotted name is no C++ identifier: the user supplies the object it names.
      if (m->getName().find('.') != std::string::npos) {
        header << "// extern " << r << " " << m->getName() << parameters(args, false) << "; " << Placeholder << "\n";
        body << "// " << r << " " << m->getName() << parameters(args, true) << " " << Placeholder << "\n\n";
        continue;
      }
      header << "extern " << r << " " << m->getName() << parameters(args, false) << ";\n";
      body << r << " " << m->getName() << parameters(args, true) << "\n{\n   return zero_" << r << ";\n}\n\n";
    }
  }
  header << "\n#endif\n";
}
