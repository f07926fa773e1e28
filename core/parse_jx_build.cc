// Actions of the source grammar: data part, modules, data expressions, signal conditions,
// Mealy right parts and the statements whose classes the library has.
#include "parse_jx_build.h"

#include <cstdio>
#include <cstdlib>

#include "Stringpp.h"
#include "compilation.h"
#include "data.h"
#include "expression.h"
#include "statement_control.h"
#include "module.h"
#include "module_signal.h"
#include "parse_jx.tab.hh"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"

Module* TheModule = nullptr;
std::list<Local*>* TheLocalStack = nullptr;
std::map<std::string, State*>* TheCurrentStateTable = nullptr;

namespace {

// What a failed parse gives back.
struct ParseRecord {
  std::vector<Module*> modules;  // put into ModTable by this parse, in order
  DataTypeTable* types = nullptr;
  DataMethodTable* methods = nullptr;
  DataConstantTable* constants = nullptr;
};
ParseRecord record;

void free_module(Module* m) {
  SignalManager* sm = m->getSignalManager();
  delete m;
  delete sm;
}

// The largest count of 'wait n': n statements are made, so memory stays bounded.
const int32_t kMaxWaitCount = 1000000;

[[noreturn]] void not_built(const char* construct) { throw IllegalOperationException(construct, "not built yet"); }

void check_type(const std::string& type) {
  if (Compilation::GDataTypeTable == nullptr || !Compilation::GDataTypeTable->isDefined(type))
    throw UndefinedTypeException(type);
}

void add_constant(ConstantDecl* d) {
  if (Compilation::GDataConstantTable == nullptr) Compilation::GDataConstantTable = new DataConstantTable();
  Compilation::GDataConstantTable->addConstant(d);
}

// The name of the module being built; "" in the data part.
std::string module_text() { return TheModule != nullptr ? TheModule->getName() : std::string(); }

DataExpr* constant_of(const std::string& name, const std::string& text) {
  if (Compilation::GDataConstantTable == nullptr)
    throw jx_report("PARSE ERROR: empty constant table detected: \n\nAbortion ...", 1);
  ConstantDecl* c = Compilation::GDataConstantTable->getConstant(name);
  if (c == nullptr) throw ModuleUndefinedConstantException(text, module_text());
  return new DataConstant(c->getConstantIndex());
}

Signal* new_interface_signal(const std::string& name, const std::string& type) {
  Signal* s = new Signal(name, TheModule, TheModule->getBddWood());
  if (!type.empty()) s->setValueType(type, TheModule);
  return s;
}

// A signal that may be emitted: local scopes, then outputs.
Signal* emitted_signal(const std::string& name) {
  return TheModule->getOutputRenamedSignal(name, TheLocalStack);
}

Signal* statement_signal(const std::string& name) {
  Signal* s = emitted_signal(name);
  if (s == nullptr) throw StatementSignalException(name);
  return s;
}

void make_local(Signal* s) {
  s->is_local = true;
  s->is_input = false;
  s->is_output = false;
  TheModule->addLocalSignal(s);
}

}  // namespace

// ----- parse bracket -----

void jx_parse_begin() {
  TheModule = nullptr;
  TheLocalStack = nullptr;
  TheCurrentStateTable = nullptr;
  record.modules.clear();
  record.types = Compilation::GDataTypeTable;
  record.methods = Compilation::GDataMethodTable;
  record.constants = Compilation::GDataConstantTable;
}

void jx_parse_undo() {
  for (Module* m : record.modules) {
    Compilation::ModTable->table->erase(m->getName());
    free_module(m);
  }
  record.modules.clear();
  if (TheModule != nullptr) free_module(TheModule);
  TheModule = nullptr;
  TheLocalStack = nullptr;
  TheCurrentStateTable = nullptr;
  if (Compilation::GDataTypeTable != record.types) delete Compilation::GDataTypeTable;
  if (Compilation::GDataMethodTable != record.methods) delete Compilation::GDataMethodTable;
  if (Compilation::GDataConstantTable != record.constants) delete Compilation::GDataConstantTable;
  Compilation::GDataTypeTable = record.types;
  Compilation::GDataMethodTable = record.methods;
  Compilation::GDataConstantTable = record.constants;
}

// ----- token values -----

bool jx_scan_int(const char* text, jx_int* out) {
  long long value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 2147483647LL) return false;
  }
  out->value = static_cast<int32_t>(value);
  out->text = new std::string(text);
  return true;
}

void jx_scan_real(const char* text, jx_real* out) {
  out->value = std::strtod(text, nullptr);
  out->text = new std::string(text);
}

int jx_scan_char(char c) {
  unsigned char code = static_cast<unsigned char>(c);
  return code == 0 ? static_cast<int>(JXUNDEF) : code;
}

void jx_input_failure(const char* message) { throw jx_report(message, 2); }

std::string jx_literal_constant_name(const std::string& text) {
  std::string name = "C__";
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
                 (c == '_' && (i + 1 == text.size() || text[i + 1] != 'x'));
    if (plain) {
      name += static_cast<char>(c);
    } else {
      char hex[5];
      std::snprintf(hex, sizeof hex, "_x%02X", c);
      name += hex;
    }
  }
  return name;
}

// ----- data part -----

void jx_new_type_table() { Compilation::GDataTypeTable = new DataTypeTable(); }
void jx_new_method_table() { Compilation::GDataMethodTable = new DataMethodTable(); }
void jx_new_constant_table() { Compilation::GDataConstantTable = new DataConstantTable(); }

void jx_type(const std::string& name) { Compilation::GDataTypeTable->addType(name); }

void jx_method(const std::string& result, const std::string& name, const std::list<std::string>* args) {
  check_type(result);
  if (Compilation::GDataMethodTable == nullptr) Compilation::GDataMethodTable = new DataMethodTable();
  Compilation::GDataMethodTable->addMethod(new MethodDecl(&result, &name, args));
}

void jx_constant(const std::string& type, const std::string& name, DataExpr* value) {
  check_type(type);
  ConstantDecl* d = new ConstantDecl(type, name, value);
  if (value != nullptr) {
    value->setType(type);
    if (value->isDataValue()) static_cast<DataValue*>(value)->setDecl(d);
  }
  add_constant(d);
}

void jx_literal_constant(const std::string& type, const std::string& literal) {
  check_type(type);
  DataValue* v = new DataValue(literal);
  v->setType(type);
  ConstantDecl* d = new ConstantDecl(type, jx_literal_constant_name(literal), v);
  v->setDecl(d);
  add_constant(d);
}

DataExpr* jx_literal_value(const std::string& literal) { return new DataValue(literal); }

// ----- modules -----

void jx_module_header(const std::string& name) {
  TheModule = new Module(name);
  TheLocalStack = new std::list<Local*>();
}

void jx_input(const std::string& name, const std::string& type) {
  Signal* s = new_interface_signal(name, type);
  s->is_input = true;
  TheModule->addInputSignal(s);
}

void jx_output(const std::string& name, const std::string& type) {
  Signal* s = new_interface_signal(name, type);
  s->is_output = true;
  TheModule->addOutputSignal(s);
}

void jx_run_decl(const std::string& path, const std::string& module) {
  if (path.find('/') == std::string::npos) {
    TheModule->addRunDecl(module, path, ".");
    return;
  }
  std::string file;
  std::string dir = last_record(path, '/', file);
  TheModule->addRunDecl(module, file, dir);
}

void jx_run_decl(const std::string& dir, const std::string& file, const std::string& module) {
  TheModule->addRunDecl(module, file, substitute_char(dir, '\\', '/'));
}

void jx_module_body(Statement* body) { TheModule->addBodyStatement(body != nullptr ? body : jx_nothing()); }

void jx_module_end() {
  Compilation::ModTable->add(TheModule);
  record.modules.push_back(TheModule);
  TheModule = nullptr;
}

// ----- data expressions -----

DataExpr* jx_literal_reference(const std::string& literal) {
  return constant_of(jx_literal_constant_name(literal), literal);
}

DataExpr* jx_constant_reference(const std::string& name) { return constant_of(name, name); }

DataExpr* jx_method_call(const std::string& name, std::list<DataExpr*>* args) {
  MethodDecl* d = Compilation::GDataMethodTable != nullptr ? Compilation::GDataMethodTable->getMethod(name) : nullptr;
  if (d == nullptr) throw UndefinedMethodException(name);
  return new DataMethodCall(d->getIndex(), args);
}

DataExpr* jx_binary(int op, DataExpr* left, DataExpr* right) { return new DataBinaryOp(op, left, right); }

DataExpr* jx_unary(int op, DataExpr* operand) { return new DataUnaryOp(op, operand); }

DataExpr* jx_signal_value(const std::string& name) {
  Signal* s = TheModule != nullptr ? TheModule->getValuedRenamedSignal(name, TheLocalStack) : nullptr;
  if (s == nullptr) throw ModuleUnknownSignalException(name);
  return new DataSignalValue(s);
}

// ----- signal conditions and Mealy right parts -----

Expression* jx_condition_signal(const std::string& name) {
  Signal* s = TheModule->getInputRenamedSignal(name, TheLocalStack);
  if (s == nullptr) throw ModuleUnknownSignalException(name);
  return s;
}

Expression* jx_condition(jx_logic op, Expression* left, Expression* right) {
  switch (op) {
    case JX_OR:
      return new OrExpression(left, right);
    case JX_AND:
      return new AndExpression(left, right);
    case JX_NOT:
      return new NpExpression(left);
    case JX_ABS:
      return new NotExpression(left);
    default:
      throw IllegalOperationException("jx_condition", "invalid_operator");
  }
}

Expression* jx_condition_true() { return new TrueExpression(); }
Expression* jx_condition_false() { return new FalseExpression(); }
Expression* jx_condition_bottom() { return new BottomExpression(); }

Expression* jx_right_name(const std::string& name) {
  Signal* s = TheModule->getInputRenamedSignal(name, TheLocalStack);
  if (s == nullptr) s = TheModule->getSignal(name);
  if (s == nullptr) throw StatementSignalException(name);
  return s;
}

Expression* jx_right_constant(int32_t value) {
  if (value == 0) return new FalseExpression();
  if (value == 1) return new TrueExpression();
  throw StatementSignalException(" constant right part is not a Boolean value");
}

Expression* jx_right_part(jx_logic op, Expression* left, Expression* right) {
  switch (op) {
    case JX_NOR:
      return new AndExpression(new NotExpression(left), new NotExpression(right));
    case JX_XOR:
      return new OrExpression(new AndExpression(left, new NotExpression(right)),
                              new AndExpression(new NotExpression(left), right));
    case JX_NAND:
      return new OrExpression(new NotExpression(left), new NotExpression(right));
    default:
      return jx_condition(op, left, right);
  }
}

// ----- statements -----

Statement* jx_nothing() { return new Nothing(TheModule->generateName("N", Module::NothingNumber), TheModule); }

Statement* jx_pause() { not_built("pause"); }
Statement* jx_halt() { not_built("halt"); }
Statement* jx_parallel(Statement*, Statement*) { not_built("parallel"); }
Statement* jx_sequence(Statement*, Statement*) { not_built("sequence"); }
Statement* jx_present(Expression*, Statement*, Statement*) { not_built("present"); }
Statement* jx_if(DataExpr*, Statement*, Statement*) { not_built("if"); }
Statement* jx_loop(Statement*) { not_built("loop"); }

void jx_local_open(const jx_typed_names& names) {
  std::string n = TheModule->generateName("Lo", Module::LocalNumber);
  std::list<Signal*>* signals = new std::list<Signal*>();
  for (const auto& declared : names) {
    Signal* s = new Signal(declared.first, declared.first + "_" + n, TheModule, TheModule->getBddWood());
    if (!declared.second.empty()) s->setValueType(declared.second, TheModule);
    s->is_clock = true;
    signals->push_back(s);
    make_local(s);
  }
  TheLocalStack->push_front(new Local(n, TheModule, signals, nullptr));
}

Statement* jx_local_close(Statement* body) {
  Local* l = TheLocalStack->front();
  TheLocalStack->pop_front();
  l->setBody(body);
  return l;
}

Statement* jx_wait(Expression*) { not_built("wait"); }

Statement* jx_wait_count(int32_t n, Expression*) {
  if (n < 1 || n > kMaxWaitCount) throw BadValueNumberWaitException("is a bad number for wait", n);
  not_built("wait");
}

Statement* jx_abort(Statement*, Expression*) { not_built("weak abort"); }
Statement* jx_strong_abort(Statement*, Expression*) { not_built("strong abort"); }

Statement* jx_emit(const std::string& name, DataExpr*) {
  statement_signal(name);
  not_built("emit");
}

Statement* jx_noemit(const std::string& name) {
  statement_signal(name);
  not_built("noemit");
}

Statement* jx_sustain(const std::string& name, DataExpr*, Expression*) {
  statement_signal(name);
  not_built("sustain");
}

std::pair<std::string, Signal*> jx_renaming(const std::string& caller, const std::string& called) {
  Signal* s = TheModule->getInputRenamedSignal(caller, TheLocalStack);
  if (s == nullptr) s = TheModule->getOutputRenamedSignal(caller, TheLocalStack);
  if (s == nullptr) throw RunUnknownSignalException("undeclared", caller);
  return std::make_pair(called, s);
}

Statement* jx_run(const std::string&, jx_renamings*) { not_built("run"); }

// ----- automata and Mealy machines -----

void jx_automaton_open() { TheCurrentStateTable = new std::map<std::string, State*>(); }

Statement* jx_automaton(std::list<Transition*>*) { not_built("automaton"); }

void jx_state(const std::string&, bool, Statement*, std::list<Signal*>*, std::vector<double>*) { not_built("state"); }

Transition* jx_transition(bool, bool, const std::string*, Expression*, std::list<Signal*>*, int, const std::string*,
                          jx_pair*) {
  not_built("transition");
}

Expression* jx_value_trigger(DataExpr*) { not_built("value trigger"); }

std::list<Signal*>* jx_emission(std::list<Signal*>* list, const std::string& name, DataExpr* value) {
  Signal* s = emitted_signal(name);
  if (s == nullptr) throw ModuleUnknownSignalException(name);
  if (value != nullptr) not_built("valued emission");
  if (list == nullptr) list = new std::list<Signal*>();
  list->push_back(s);
  return list;
}

void jx_register_decl(const std::string& current, int32_t initial, const std::string& next) {
  TheModule->addRegisterDecl(current.c_str(), initial, next.c_str());
}

std::list<Equation*>* jx_equation(const std::string& variable, DataExpr*, Expression*) {
  if (emitted_signal(variable) == nullptr && TheModule->getSignal(variable) == nullptr)
    throw StatementSignalException(variable);
  not_built("Mealy equation");
}

Statement* jx_mealy_machine(std::list<Equation*>*) { not_built("Mealy Machine"); }
