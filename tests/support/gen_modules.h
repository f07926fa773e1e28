// Test support for the target generators: modules built through the equation table,
// as the statement compiler leaves them, and scratch-file helpers.
#ifndef GEN_MODULES_H
#define GEN_MODULES_H

#include <fstream>
#include <sstream>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"

// A module with its Set, Reset and RTL wires. Never freed: signals point into it.
class TestModule {
 public:
  explicit TestModule(const std::string& name) : m(new Module(name)), w(m->getBddWood()) {
    m->setSet(new Signal("SET" + name, m, w));
    m->setReset(new Signal("RESET" + name, m, w));
    m->setRtl(new Signal("RTL" + name, m, w));
  }
  Signal* input(const std::string& n, const std::string& type = "") {
    Signal* s = make(n, type, &Signal::is_input);
    m->addInputSignal(s);
    return s;
  }
  Signal* output(const std::string& n, const std::string& type = "") {
    Signal* s = make(n, type, &Signal::is_output);
    m->addOutputSignal(s);
    return s;
  }
  Signal* local(const std::string& n, const std::string& type = "") {
    Signal* s = make(n, type, &Signal::is_local);
    m->addLocalSignal(s);
    return s;
  }
  // Current-state signal of a new register; next is its next-state signal.
  Signal* reg(const std::string& current, int initially_true, const std::string& next) {
    m->addRegisterDecl(current.c_str(), initially_true, next.c_str());
    m->getEquationTable()->createRegisterEquation(m->getLocalSignal(current), m);
    return m->getLocalSignal(current);
  }
  Signal* sig(const std::string& n) const { return m->getSignal(n); }
  void eq(Signal* s, Expression* e) { m->getEquationTable()->createEquation(s, e, m); }
  // A fresh local emission signal bound to e under clock, defined by condition.
  Signal* emit(Signal* clock, DataExpr* e, Expression* condition, const std::string& prefix) {
    Signal* s = m->addSignalBinding(e, prefix, clock);
    s->is_local = true;
    m->addLocalSignal(s);
    eq(s, condition);
    return s;
  }
  Module* date() {
    m->getEquationTable()->callPert();
    return m;
  }

  Module* m;
  Bddexpressionwood* w;

 private:
  Signal* make(const std::string& n, const std::string& type, bool Signal::*kind) {
    Signal* s = new Signal(n, m, w);
    s->*kind = true;
    if (!type.empty()) s->setValueType(type, m);
    return s;
  }
};

inline DataValue* int_literal(const std::string& text) {
  DataValue* v = new DataValue(text);
  v->setType("int");
  return v;
}

inline std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void write_text(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// The lines of text from the first one that starts with from, up to the first later one
// that starts with to (excluded); empty when from is not found.
inline std::string text_between(const std::string& text, const std::string& from, const std::string& to) {
  size_t start = text.find(from);
  if (start == std::string::npos) return "";
  size_t end = text.find(to, start + from.size());
  return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}


// The global data tables of a test: int, the method "twice(int)", the constants K = 3 and
// K2 (no value), the binding counter from 0; the tables, the counter and the output
// file settings come back afterwards.
struct GenDataScope {
  GenDataScope() {
    DataExpr::Indexation = 0;
    std::string int_type = "int", twice = "twice";
    Compilation::GDataTypeTable = new DataTypeTable();
    Compilation::GDataTypeTable->addType("int");
    Compilation::GDataMethodTable = new DataMethodTable();
    Compilation::GDataMethodTable->addMethod(new MethodDecl(&int_type, &twice, new std::list<std::string>{"int"}));
    Compilation::GDataConstantTable = new DataConstantTable();
    Compilation::GDataConstantTable->addConstant(new ConstantDecl("int", "K", int_literal("3")));
    Compilation::GDataConstantTable->addConstant(new ConstantDecl("int", "K2"));
  }
  ~GenDataScope() {
    Compilation::GDataTypeTable = types;
    Compilation::GDataMethodTable = methods;
    Compilation::GDataConstantTable = constants;
    Module::OutputFile = file;
    Module::OutputDir = dir;
    DataExpr::Indexation = indexation;
  }
  GenDataScope(const GenDataScope&) = delete;
  GenDataScope& operator=(const GenDataScope&) = delete;

  DataTypeTable* types = Compilation::GDataTypeTable;
  DataMethodTable* methods = Compilation::GDataMethodTable;
  DataConstantTable* constants = Compilation::GDataConstantTable;
  std::string file = Module::OutputFile;
  std::string dir = Module::OutputDir;
  int indexation = DataExpr::Indexation;
};

// Valued input A, valued output O emitted with A + 1 when A and R, register R (initially
// true, next Rn := A), valued local V emitted with A * 3 when A. Not finalised.
inline Module* golden_module() {
  TestModule t("G");
  Signal* a = t.input("A", "int");
  Signal* o = t.output("O", "int");
  Signal* r = t.reg("R", 1, "Rn");
  Signal* v = t.local("V", "int");
  t.eq(t.sig("Rn"), a);
  t.eq(v, a);
  t.emit(v, new DataBinaryOp(DataExpr::Mult, new DataSignalValue(a), int_literal("3")), a, "v");
  t.emit(o, new DataBinaryOp(DataExpr::Plus, new DataSignalValue(a), int_literal("1")), a, "o");
  t.eq(o, new AndExpression(a, r));
  return t.date();
}

#endif
