// Data expressions: types, copies, dependency sets, debug texts and the evaluation-table
// writer of the compiled-module file.
#include "data.h"

#include <cstdlib>
#include <iostream>
#include <ostream>
#include <vector>

#include "compilation.h"
#include "g_exit.h"
#include "interface.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"

const int DataExpr::Plus = 0;
const int DataExpr::Minus = 1;
const int DataExpr::Mult = 2;
const int DataExpr::Div = 3;
const int DataExpr::Uminus = 4;
const int DataExpr::And = 5;
const int DataExpr::Or = 6;
const int DataExpr::Not = 7;
const int DataExpr::Eq = 8;
const int DataExpr::Neq = 9;
const int DataExpr::Inf = 10;
const int DataExpr::Infe = 11;
const int DataExpr::Sup = 12;
const int DataExpr::Supe = 13;
const int DataExpr::SignalVal = 14;
const int DataExpr::NbPredefOp = 15;
int DataExpr::Indexation = 0;

namespace {

// Merges b into a (a is kept and returned, b freed); a null side gives the other as it is.
std::set<Signal*>* mergeSets(std::set<Signal*>* a, std::set<Signal*>* b) {
  if (a == nullptr) return b;
  if (b != nullptr && b != a) {
    a->insert(b->begin(), b->end());
    delete b;
  }
  return a;
}

// New list of f applied to each argument in order; a null list stays null.
template <class F>
std::list<DataExpr*>* mapArgs(std::list<DataExpr*>* args, F f) {
  if (args == nullptr) return nullptr;
  std::list<DataExpr*>* out = new std::list<DataExpr*>();
  for (DataExpr* a : *args) out->push_back(f(a));
  return out;
}

std::string moduleName(Module* m) { return m != nullptr ? m->getName() : std::string(); }

}  // namespace

// ----- DataExpr: generator operations (the C and C# texts are in gen_data.cc) -----

void DataExpr::C_put(std::ostream&, Module*) { throw AbstractMethodCallException("DataExpr", "C_put"); }

void DataExpr::CSharp_put(std::ostream&, Module*) { throw AbstractMethodCallException("DataExpr", "CSharp_put"); }

std::string DataExpr::C_opname(int op) {
  static const char* const names[] = {" + ", " - ",  " * ",  " / ", " -",   " && ", " | ",
                                      " !",  " == ", " != ", " < ", " <= ", " > ",  " >= "};
  if (op < 0 || op > 13) throw IllegalOperationException("DataExpr::C_opname", "invalid_operator");
  return names[op];
}

// ----- DataConstant -----

ConstantDecl* DataConstant::getDecl(const std::string& constant_text, const std::string& module_text) const {
  DataConstantTable* t = Compilation::GDataConstantTable;
  ConstantDecl* c = t != nullptr ? t->getConstantById(constant_index) : nullptr;
  if (c == nullptr) throw ModuleUndefinedConstantException(constant_text, module_text);
  return c;
}

void DataConstant::computeType(Module* m) { type = getDecl("constant", moduleName(m))->getType(); }

void DataConstant::setIndex(int i) {
  index = i;
  ConstantDecl* c = getDecl(std::to_string(constant_index), "constant_table");
  if (c->getEvalIndex() == -1) c->setEvalIndex(i);
}

DataExpr* DataConstant::instanciate(Interface*) { return new DataConstant(constant_index); }
DataExpr* DataConstant::duplicate() { return new DataConstant(constant_index); }
DataExpr* DataConstant::changeModule(Module*, Module*) { return new DataConstant(constant_index); }
void DataConstant::print_debug(std::ostream& os) { os << "C: " << constant_index; }

void DataConstant::JXC_put(std::ostream& os, DataEvalTable& t) {
  ConstantDecl* c = getDecl(std::to_string(constant_index), moduleName(t.getModule()));
  if (c->getValue() != nullptr)
    c->getValue()->JXC_put(os, t);
  else
    os << "$" << t.constantPosition(constant_index);
}

// ----- DataValue -----

void DataValue::computeType(Module*) { throw UndefinedTypeException(text); }
DataExpr* DataValue::instanciate(Interface*) { return new DataValue(text, decl); }
DataExpr* DataValue::duplicate() { return new DataValue(text, decl); }
DataExpr* DataValue::changeModule(Module*, Module*) { return new DataValue(text, decl); }
void DataValue::print_debug(std::ostream& os) { os << text; }

void DataValue::JXC_put(std::ostream& os, DataEvalTable& t) {
  if (decl == nullptr) throw IllegalOperationException("DataValue::JXC_put: literal without constant", text);
  os << "$" << t.constantPosition(decl->getConstantIndex());
}

// ----- DataSignalValue -----

void DataSignalValue::computeType(Module* m) {
  SignalRef* r = signal->getSignalRef(m);
  if (r == nullptr || !r->isValued()) throw UndefinedTypeException(signal->getName(m));
  type = r->getType();
}

DataExpr* DataSignalValue::instanciate(Interface* I) {
  // The copy keeps the type known in the called module: a signal of an instance included in
  // a branch's copy of the system has no occurrence yet in the module's own, where
  // computeType would look for it.
  auto typed = [this](Signal* s) {
    DataSignalValue* v = new DataSignalValue(s);
    v->type = type;
    return v;
  };
  Signal* found = nullptr;
  if (signal->is_input) {
    if (Signal* source = I->getValueSource(signal->getOriginalName())) return typed(source);
    found = I->getInputSignal(signal->getOriginalName());
    if (found == nullptr) throw IllegalOperationException("Interface::getInputSignal", signal->getOriginalName());
  } else if (signal->is_output) {
    found = I->getOutputSignal(signal->getOriginalName());
    if (found == nullptr) throw IllegalOperationException("Interface::getOutputSignal", signal->getOriginalName());
  } else if (signal->is_local) {
    found = I->getLocalSignal(signal->getInternalName());
    if (found == nullptr) throw IllegalOperationException("Interface::getLocalSignal", signal->getInternalName());
  } else {
    throw IllegalOperationException("DataSignalValue::instanciate", signal->getInternalName());
  }
  return typed(found);
}

DataExpr* DataSignalValue::duplicate() { return new DataSignalValue(signal); }

DataExpr* DataSignalValue::changeModule(Module* new_module, Module*) {
  Signal* s = new_module->getSignal(signal->getInternalName());
  if (s == nullptr)
    throw IllegalOperationException("DataSignalValue::changeModule: no signal in new module for:",
                                    signal->getInternalName());
  return new DataSignalValue(s);
}

std::set<Signal*>* DataSignalValue::computeDependencySet() { return new std::set<Signal*>{signal}; }

void DataSignalValue::print_debug(std::ostream& os) { os << signal->getInternalName(); }

void DataSignalValue::JXC_put(std::ostream& os, DataEvalTable& t) {
  Module* m = t.getModule();
  Bddexpressionwood* w = m->getBddWood();
  os << "%%" << DataEvalTable::evalCode(signal->getValueType(m), SignalVal) << "("
     << t.fileNumber(signal->getInitialBddStatusId(m, w)) << ", " << t.fileNumber(signal->getInitialBddValueId(m, w))
     << ")";
}

// ----- DataUnaryOp -----

void DataUnaryOp::computeType(Module* m) {
  if (operand->getType().empty()) operand->computeType(m);
  type = operand->getType();
}

DataExpr* DataUnaryOp::instanciate(Interface* I) { return new DataUnaryOp(op, operand->instanciate(I)); }
DataExpr* DataUnaryOp::duplicate() { return new DataUnaryOp(op, operand->duplicate()); }
DataExpr* DataUnaryOp::changeModule(Module* n, Module* o) { return new DataUnaryOp(op, operand->changeModule(n, o)); }
std::set<Signal*>* DataUnaryOp::computeDependencySet() { return operand->computeDependencySet(); }

void DataUnaryOp::print_debug(std::ostream& os) {
  os << op << "(";
  operand->print_debug(os);
  os << ")";
}

void DataUnaryOp::JXC_put(std::ostream& os, DataEvalTable& t) {
  if (type.empty()) computeType(t.getModule());
  os << "%%" << DataEvalTable::evalCode(type, op) << "(";
  t.writeReference(os, operand);
  os << ")\n";
}

// ----- DataBinaryOp -----

void DataBinaryOp::computeType(Module* m) {
  if (left->getType().empty()) left->computeType(m);
  if (right->getType().empty()) right->computeType(m);
  std::string l = left->getType();
  std::string r = right->getType();
  if (l != r) {
    g_exit(1, "*** Type check error in binary operator: type: " + l + " differs from type: " + r + "\n");
  }
  type = l;
}

DataExpr* DataBinaryOp::instanciate(Interface* I) {
  DataExpr* l = left->instanciate(I);
  DataExpr* r = right->instanciate(I);
  return new DataBinaryOp(op, l, r);
}

DataExpr* DataBinaryOp::duplicate() {
  DataExpr* l = left->duplicate();
  DataExpr* r = right->duplicate();
  return new DataBinaryOp(op, l, r);
}

DataExpr* DataBinaryOp::changeModule(Module* n, Module* o) {
  DataExpr* l = left->changeModule(n, o);
  DataExpr* r = right->changeModule(n, o);
  return new DataBinaryOp(op, l, r);
}

std::set<Signal*>* DataBinaryOp::computeDependencySet() {
  std::set<Signal*>* l = left->computeDependencySet();
  return mergeSets(l, right->computeDependencySet());
}

void DataBinaryOp::print_debug(std::ostream& os) {
  os << " " << op << "(";
  left->print_debug(os);
  os << ", ";
  right->print_debug(os);
  os << ")";
}

void DataBinaryOp::JXC_put(std::ostream& os, DataEvalTable& t) {
  if (type.empty()) computeType(t.getModule());
  os << "%%" << DataEvalTable::evalCode(type, op) << "(";
  t.writeReference(os, left);
  os << ", ";
  t.writeReference(os, right);
  os << ")";
}

// ----- DataMethodCall -----

void DataMethodCall::computeType(Module*) {
  DataMethodTable* t = Compilation::GDataMethodTable;
  MethodDecl* d = t != nullptr ? t->getMethodById(method_index) : nullptr;
  if (d == nullptr) throw UndefinedMethodException("method");
  type = d->getReturnType();
}

DataExpr* DataMethodCall::instanciate(Interface* I) {
  return new DataMethodCall(method_index, mapArgs(args, [I](DataExpr* a) { return a->instanciate(I); }));
}

DataExpr* DataMethodCall::duplicate() {
  return new DataMethodCall(method_index, mapArgs(args, [](DataExpr* a) { return a->duplicate(); }));
}

DataExpr* DataMethodCall::changeModule(Module* n, Module* o) {
  return new DataMethodCall(method_index, mapArgs(args, [n, o](DataExpr* a) { return a->changeModule(n, o); }));
}

void data_expression_closure(DataExpr* e, std::set<DataExpr*>& into) {
  std::vector<DataExpr*> stack{e};
  while (!stack.empty()) {
    DataExpr* x = stack.back();
    stack.pop_back();
    if (x == nullptr || !into.insert(x).second) continue;
    if (auto* u = dynamic_cast<DataUnaryOp*>(x)) {
      stack.push_back(u->getOperand());
    } else if (auto* b = dynamic_cast<DataBinaryOp*>(x)) {
      stack.push_back(b->getLeft());
      stack.push_back(b->getRight());
    } else if (auto* c = dynamic_cast<DataMethodCall*>(x)) {
      if (c->getArgs() != nullptr) stack.insert(stack.end(), c->getArgs()->begin(), c->getArgs()->end());
    }
  }
}

void delete_data_node(DataExpr* e) {
  if (auto* c = dynamic_cast<DataMethodCall*>(e)) delete c->getArgs();
  delete e;
}

std::set<Signal*>* DataMethodCall::computeDependencySet() {
  if (args == nullptr) return nullptr;
  std::set<Signal*>* result = nullptr;
  for (DataExpr* a : *args) result = mergeSets(result, a->computeDependencySet());
  return result;
}

void DataMethodCall::print_debug(std::ostream& os) {
  os << method_index << "(";
  if (args != nullptr) {
    bool first = true;
    for (DataExpr* a : *args) {
      if (!first) os << ", ";
      first = false;
      a->print_debug(os);
    }
  }
  os << ")";
}

void DataMethodCall::JXC_put(std::ostream& os, DataEvalTable& t) {
  os << "%" << method_index << "(";
  if (args != nullptr) {
    bool first = true;
    for (DataExpr* a : *args) {
      if (!first) os << ", ";
      first = false;
      t.writeReference(os, a);
    }
  }
  os << ")";
}

// ----- DataEvalTable -----

DataEvalTable::DataEvalTable(const long* renumbering, long size, Module* m)
    : renumbering(renumbering), size(size), module(m), counter(0) {
  if (Compilation::GDataConstantTable != nullptr)
    constant_positions = Compilation::GDataConstantTable->getFilePositions();
}

int DataEvalTable::reference(DataExpr* e) {
  if (e->isDataConstant()) {
    DataConstant* dc = static_cast<DataConstant*>(e);
    ConstantDecl* c = dc->getDecl(std::to_string(dc->getConstantIndex()), moduleName(module));
    auto it = constant_index.find(c);
    if (it != constant_index.end()) return it->second;
    int i = counter++;
    constant_index[c] = i;
    DataExpr* entry = c->getValue() != nullptr ? c->getValue() : e;
    // The value expression is numbered through its constant only.
    queue.emplace_back(i, entry);
    return i;
  }
  auto it = expr_index.find(e);
  if (it != expr_index.end()) return it->second;
  int i = counter++;
  expr_index[e] = i;
  queue.emplace_back(i, e);
  return i;
}

void DataEvalTable::writeReference(std::ostream& os, DataExpr* e) { os << reference(e); }

void DataEvalTable::writeEntries(std::ostream& os) {
  while (!queue.empty()) {
    std::pair<int, DataExpr*> entry = queue.front();
    queue.pop_front();
    os << "   " << entry.first << ": ";
    entry.second->JXC_put(os, *this);
    os << ";\n";
  }
}

long DataEvalTable::fileNumber(long id) const {
  if (renumbering == nullptr || id < 0 || id >= size || renumbering[id] < 0)
    throw IllegalOperationException("DataEvalTable: variable without file number", std::to_string(id));
  return renumbering[id];
}

int DataEvalTable::constantPosition(int constant_index) const {
  auto it = constant_positions.find(constant_index);
  if (it == constant_positions.end())
    throw IllegalOperationException("DataEvalTable: constant not in constant section", std::to_string(constant_index));
  return it->second;
}

int DataEvalTable::evalCode(const std::string& type, int code) {
  DataTypeTable* t = Compilation::GDataTypeTable;
  int ti = t != nullptr ? t->getIndex(type) : -1;
  if (ti < 0) throw UndefinedTypeException(type);
  // Type indexes stay small: the product cannot overflow for a table that fits memory.
  return ti * DataExpr::NbPredefOp + code;
}
