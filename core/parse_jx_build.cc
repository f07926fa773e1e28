// Actions of the source grammar: data part, modules, data expressions, signal conditions,
// Mealy right parts, statements, automata and Mealy machines.
#include "parse_jx_build.h"

#include <cstdio>
#include <cstdlib>

#include "Stringpp.h"
#include "compilation.h"
#include "data.h"
#include "expression.h"
#include "module.h"
#include "module_signal.h"
#include "parse_jx.tab.hh"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"
#include "statement_automaton.h"
#include "statement_control.h"
#include "statement_machine.h"
#include "statement_parallel.h"
#include "statement_preempt.h"
#include "statement_time.h"

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

// The largest count of 'wait n': n statements are made, each of which takes some 20 KB to
// compile, so that the largest one compiles in about 2 GB.
const int32_t kMaxWaitCount = 100000;

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
    throw jx_report("PARSE ERROR: empty constant table detected: \n\nAbortion ...", 1, text,
                    "constant " + text + " is read, and the source declares no constants");
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

namespace {

DataExpr* nesting_checked(DataExpr* e) {
  if (e->getNesting() > DataExpr::MaxNesting)
    throw jx_report("ERROR at line " + std::to_string(jx_line()) + ": a data expression nests more than " +
                        std::to_string(DataExpr::MaxNesting) + " operators and method calls\n\nAbortion ...",
                    1);
  return e;
}

}  // namespace

DataExpr* jx_method_call(const std::string& name, std::list<DataExpr*>* args) {
  MethodDecl* d = Compilation::GDataMethodTable != nullptr ? Compilation::GDataMethodTable->getMethod(name) : nullptr;
  if (d == nullptr) throw UndefinedMethodException(name);
  size_t declared = d->getArgTypeList() != nullptr ? d->getArgTypeList()->size() : 0;
  size_t given = args != nullptr ? args->size() : 0;
  if (given != declared)
    throw jx_report("ERROR at line " + std::to_string(jx_line()) + ": the method " + name + " is declared with " +
                        std::to_string(declared) + " arguments and called with " + std::to_string(given) +
                        "\n\nAbortion ...",
                    1);
  return nesting_checked(new DataMethodCall(d->getIndex(), args));
}

DataExpr* jx_binary(int op, DataExpr* left, DataExpr* right) {
  return nesting_checked(new DataBinaryOp(op, left, right));
}

DataExpr* jx_unary(int op, DataExpr* operand) { return nesting_checked(new DataUnaryOp(op, operand)); }

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

namespace {

std::string new_name(const char* prefix, int& counter) { return TheModule->generateName(prefix, counter); }

// The value signal of 'S(e)' emitted under the name: bound to e, clocked by S.
Signal* emitted_value(DataExpr* value, const std::string& name, Signal* s) {
  return TheModule->addSignalBinding(value, name, s);
}

// A valued signal read as a condition ('if e', '[value: e]'): bound to e, an input among
// the module's data signals.
Signal* condition_value(DataExpr* value, const std::string& name) {
  Signal* s = TheModule->addSignalBinding(value, name);
  s->is_input = true;
  TheModule->addDataSignal(s);
  return s;
}

// The value signal of a sustained or Mealy-defined signal: an output of the module when s
// is one, else a local.
void place_value(Signal* value, Signal* s) {
  if (!s->is_output) {
    make_local(value);
    return;
  }
  value->is_output = true;
  TheModule->addOutputSignal(value);
}

template <class Flat>
Statement* flatten(Statement* left, Statement* right, bool left_is_flat, const char* prefix, int& counter) {
  Flat* flat = left_is_flat ? dynamic_cast<Flat*>(left) : nullptr;
  if (flat != nullptr) {
    flat->append(right);
    return flat;
  }
  return new Flat(new_name(prefix, counter), nullptr, {left, right});
}

std::vector<Signal*> signal_vector(const std::list<Signal*>* list) {
  return list != nullptr ? std::vector<Signal*>(list->begin(), list->end()) : std::vector<Signal*>();
}

// The state of that name in the automaton being built, made when not yet there.
State* state_named(const std::string& name) {
  State* s = Automaton::findState(TheCurrentStateTable, name);
  if (s == nullptr) {
    s = new State(name);
    (*TheCurrentStateTable)[name] = s;
  }
  return s;
}

}  // namespace

Statement* jx_nothing() { return new Nothing(new_name("N", Module::NothingNumber), TheModule); }
Statement* jx_pause() { return new Pause(new_name("PS", Module::PauseNumber), TheModule); }
Statement* jx_halt() { return new Halt(new_name("H", Module::HaltNumber), TheModule); }

Statement* jx_parallel(Statement* left, Statement* right) {
  return flatten<Pn>(left, right, left->isParallel(), "Pn", Module::ParallelNumber);
}

Statement* jx_sequence(Statement* left, Statement* right) {
  return flatten<Sn>(left, right, left->isSequence(), "Sn", Module::SequenceNumber);
}

Statement* jx_present(Expression* condition, Statement* then_branch, Statement* else_branch) {
  return new Present(new_name("PR", Module::PresentNumber), TheModule, condition, then_branch, else_branch);
}

Statement* jx_if(DataExpr* condition, Statement* then_branch, Statement* else_branch) {
  std::string n = new_name("IF", Module::PresentNumber);
  return new Present(n, TheModule, condition_value(condition, n), then_branch, else_branch);
}

Statement* jx_loop(Statement* body, int line) {
  Loop* loop = new Loop(new_name("L", Module::LoopNumber), TheModule, body);
  loop->line = line;
  return loop;
}

void jx_local_open(const jx_typed_names& names) {
  std::string n = new_name("Lo", Module::LocalNumber);
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

Statement* jx_wait(Expression* condition) { return new Wait(new_name("W", Module::WaitNumber), TheModule, condition); }

Statement* jx_wait_count(int32_t n, Expression* condition) {
  if (n < 1 || n > kMaxWaitCount)
    throw BadValueNumberWaitException("is a bad number for wait (1 to " + std::to_string(kMaxWaitCount) + ")", n);
  if (n == 1) return jx_wait(condition);
  Sn* waits = new Sn(new_name("Sn", Module::SequenceNumber), nullptr);
  for (int32_t i = 0; i < n; ++i) waits->append(new Wait(new_name("W", Module::WaitNumber), nullptr, condition));
  return waits;
}

Statement* jx_abort(Statement* body, Expression* condition) {
  return new Abort(new_name("A", Module::AbortNumber), TheModule, condition, body);
}

Statement* jx_strong_abort(Statement* body, Expression* condition) {
  return new StrongAbort(new_name("SA", Module::AbortNumber), TheModule, condition, body);
}

Statement* jx_emit(const std::string& name, DataExpr* value) {
  std::string n = new_name("E", Module::EmitNumber);
  Signal* s = statement_signal(name);
  Signal* v = nullptr;
  if (value != nullptr) {
    v = emitted_value(value, n, s);
    make_local(v);
  }
  return new Emit(n, TheModule, s, v);
}

Statement* jx_noemit(const std::string& name) {
  std::string n = new_name("NE", Module::NoEmitNumber);
  return new NoEmit(n, TheModule, statement_signal(name));
}

Statement* jx_sustain(const std::string& name, DataExpr* value, Expression* condition) {
  std::string n = new_name("SU", Module::SustainUntilNumber);
  Signal* s = statement_signal(name);
  Signal* v = nullptr;
  if (value != nullptr) {
    v = emitted_value(value, n, s);
    place_value(v, s);
  }
  return new SustainUntil(n, TheModule, s, condition, v);
}

std::pair<std::string, Signal*> jx_renaming(const std::string& caller, const std::string& called) {
  Signal* s = TheModule->getInputRenamedSignal(caller, TheLocalStack);
  if (s == nullptr) s = TheModule->getOutputRenamedSignal(caller, TheLocalStack);
  if (s == nullptr) throw RunUnknownSignalException("undeclared", caller);
  return std::make_pair(called, s);
}

Statement* jx_run(const std::string& module, jx_renamings* renamings, int line) {
  Run* r = new Run(new_name(("R_" + module).c_str(), Module::RunNumber), TheModule, module);
  r->line = line;
  r->setRenamingTable(renamings);  // a called name renamed twice is refused
  return r;
}

// ----- automata and Mealy machines -----

void jx_automaton_open() { TheCurrentStateTable = new std::map<std::string, State*>(); }

Statement* jx_automaton(std::list<Transition*>* transitions) {
  Automaton* a = new Automaton(new_name("AUT", Module::AutomatonNumber), TheModule);
  delete a->state_table;
  a->state_table = TheCurrentStateTable;
  if (transitions != nullptr) a->transition_list->assign(transitions->begin(), transitions->end());
  return a;
}

void jx_state(const std::string& name, bool final, Statement* run, std::list<Signal*>* emissions,
              std::vector<double>* geometry) {
  if (Automaton::findState(TheCurrentStateTable, name) != nullptr)
    throw jx_report("ERROR: two states or more have the same name: " + name + "\n\nAbortion ...", 1, name);
  State* s = state_named(name);
  s->final = final;
  s->run = static_cast<Run*>(run);
  s->moore = signal_vector(emissions);
  if (geometry != nullptr) s->position = new double[3]{(*geometry)[0], (*geometry)[1], (*geometry)[2]};
}

Transition* jx_transition(bool initial, bool final, const std::string* source, Expression* trigger,
                          std::list<Signal*>* emissions, int kind, const std::string* target, jx_pair* geometry) {
  Transition* t = new Transition();
  t->kind = kind;
  t->trigger = trigger;
  *t->actions = signal_vector(emissions);
  t->source = source != nullptr ? state_named(*source) : nullptr;
  t->target = target != nullptr ? state_named(*target) : nullptr;
  if (geometry != nullptr) t->position = new std::pair<double, double>(geometry->x, geometry->y);
  t->initial = initial;
  t->final = final;
  return t;
}

Expression* jx_value_trigger(DataExpr* value) {
  return condition_value(value, new_name("TRANS", Module::TransitionNumber));
}

std::list<Signal*>* jx_emission(std::list<Signal*>* list, const std::string& name, DataExpr* value) {
  Signal* s = emitted_signal(name);
  if (s == nullptr) throw ModuleUnknownSignalException(name);
  Signal* v = nullptr;
  if (value != nullptr) {
    v = emitted_value(value, name + "_Val", s);
    make_local(v);
  }
  if (list == nullptr) list = new std::list<Signal*>();
  list->push_back(s);
  if (v != nullptr) list->push_back(v);
  return list;
}

void jx_register_decl(const std::string& current, int32_t initial, const std::string& next) {
  TheModule->addRegisterDecl(current.c_str(), initial, next.c_str());
}

std::list<Equation*>* jx_equation(const std::string& variable, DataExpr* value, Expression* right) {
  Signal* v = emitted_signal(variable);
  if (v == nullptr) v = TheModule->getSignal(variable);
  if (v == nullptr) throw StatementSignalException(variable);
  std::list<Equation*>* equations = new std::list<Equation*>{new Equation(v, right)};
  if (value != nullptr) {
    Signal* vs = emitted_value(value, v->getInternalName() + "_value", v);
    place_value(vs, v);
    equations->push_back(new Equation(vs, right));
  }
  return equations;
}

Statement* jx_mealy_machine(std::list<Equation*>* equations) {
  MealyMachine* mm = new MealyMachine(new_name("MM", Module::MealyMachineNumber), TheModule);
  mm->setMachineTable(equations, TheModule);  // a later equation of a signal replaces an earlier one
  return mm;
}
