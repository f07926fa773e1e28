// Data declarations, the global type, method and constant tables, and value bindings.
#include <cstdlib>
#include <iostream>
#include <ostream>

#include "data.h"
#include "g_exit.h"
#include "interface.h"
#include "list.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"

// ----- MethodDecl -----

MethodDecl::MethodDecl(const std::string* return_type, const std::string* name, const std::list<std::string>* arg_types)
    : return_type(return_type != nullptr ? *return_type : std::string()),
      name(name != nullptr ? *name : std::string()),
      arg_type_list(arg_types != nullptr ? new std::list<std::string>(*arg_types) : nullptr),
      index(-1) {}

MethodDecl::MethodDecl(const MethodDecl& d)
    : return_type(d.return_type),
      name(d.name),
      arg_type_list(d.arg_type_list != nullptr ? new std::list<std::string>(*d.arg_type_list) : nullptr),
      index(d.index) {}

MethodDecl& MethodDecl::operator=(const MethodDecl& d) {
  if (this == &d) return *this;
  std::list<std::string>* copy = d.arg_type_list != nullptr ? new std::list<std::string>(*d.arg_type_list) : nullptr;
  delete arg_type_list;
  arg_type_list = copy;
  return_type = d.return_type;
  name = d.name;
  index = d.index;
  return *this;
}

MethodDecl::~MethodDecl() { delete arg_type_list; }

void MethodDecl::setArgTypeList(std::list<std::string>* l) {
  if (l == arg_type_list) return;
  delete arg_type_list;
  arg_type_list = l;
}

void MethodDecl::print(std::ostream& os) const {
  os << return_type << " " << name << "(";
  if (arg_type_list != nullptr) {
    bool first = true;
    for (const std::string& a : *arg_type_list) {
      if (!first) os << ", ";
      first = false;
      os << a;
    }
  }
  os << ")";
}

bool operator==(const MethodDecl& a, const MethodDecl& b) {
  return a.index == b.index && a.return_type == b.return_type && a.name == b.name && a.arg_type_list == b.arg_type_list;
}

std::ostream& operator<<(std::ostream& os, const MethodDecl& d) {
  os << "id= " << d.getIndex() << " " << d.getReturnType() << " " << d.getName() << " ";
  if (d.getArgTypeList() != nullptr)
    os << *d.getArgTypeList();
  else
    os << "()";
  os << " ";
  return os;
}

// ----- ConstantDecl -----

void ConstantDecl::print(std::ostream& os) const {
  os << type << " " << name;
  if (value != nullptr) {
    os << " value: ";
    value->print_debug(os);
  }
}

// ----- DataTypeTable -----

DataTypeTable::DataTypeTable() : types(new std::map<std::string, int>()) {}

DataTypeTable::~DataTypeTable() { delete types; }

void DataTypeTable::addType(const std::string& name) {
  if (types->count(name) != 0) return;
  int next = static_cast<int>(types->size());
  (*types)[name] = next;
}

bool DataTypeTable::isDefined(const std::string& name) const { return types->count(name) != 0; }

int DataTypeTable::getIndex(const std::string& name) const {
  auto it = types->find(name);
  return it != types->end() ? it->second : -1;
}

std::string DataTypeTable::getTypeById(int id) const {
  for (const auto& p : *types)
    if (p.second == id) return p.first;
  return "undefined";
}

namespace {

void printEntryPrefix(std::ostream& os, bool with_ids, int i) {
  if (with_ids) os << "   " << i << ": ";
}

}  // namespace

void DataTypeTable::print(std::ostream& os, bool with_ids) const {
  os << "type:\n";
  int n = static_cast<int>(types->size());
  for (int i = 0; i < n; ++i) {
    for (const auto& p : *types) {
      if (p.second != i) continue;
      printEntryPrefix(os, with_ids, i);
      os << p.first << ";\n";
      break;
    }
  }
  os << "\n";
}


// ----- DataMethodTable -----

DataMethodTable::DataMethodTable() : method_list(new std::list<MethodDecl*>()) {}

MethodDecl* DataMethodTable::getMethod(const std::string& name) const {
  if (method_list == nullptr) return nullptr;
  for (MethodDecl* d : *method_list)
    if (d->getName() == name) return d;
  return nullptr;
}

int DataMethodTable::getMethodIndex(const std::string& name) const {
  MethodDecl* d = getMethod(name);
  return d != nullptr ? d->getIndex() : -1;
}

MethodDecl* DataMethodTable::getMethodById(int id) const {
  if (method_list == nullptr) return nullptr;
  for (MethodDecl* d : *method_list)
    if (d->getIndex() == id) return d;
  return nullptr;
}

void DataMethodTable::addMethod(MethodDecl* d) {
  if (method_list == nullptr) method_list = new std::list<MethodDecl*>();
  MethodDecl* old = getMethod(d->getName());
  if (old != nullptr) throw AlreadyDefinedException(old->getName(), "overloading_of_method_not_yet_implemented");
  d->setIndex(method_list->empty() ? 0 : method_list->back()->getIndex() + 1);
  method_list->push_back(d);
}

void DataMethodTable::print(std::ostream& os, bool with_ids) const {
  if (method_list == nullptr) return;
  os << "method:\n";
  int n = static_cast<int>(method_list->size());
  for (int i = 0; i < n; ++i) {
    MethodDecl* d = getMethodById(i);
    if (d == nullptr) continue;
    printEntryPrefix(os, with_ids, i);
    d->print(os);
    os << ";\n";
  }
  os << "\n";
}

// ----- DataConstantTable -----

DataConstantTable::DataConstantTable() : constant_list(new std::list<ConstantDecl*>()) {}

ConstantDecl* DataConstantTable::getConstant(const std::string& name) const {
  if (constant_list == nullptr) return nullptr;
  for (ConstantDecl* c : *constant_list)
    if (c->getName() == name) return c;
  return nullptr;
}

int DataConstantTable::getConstantIndex(const std::string& name) const {
  ConstantDecl* c = getConstant(name);
  return c != nullptr ? c->getConstantIndex() : -1;
}

ConstantDecl* DataConstantTable::getConstantById(int id) const {
  if (constant_list == nullptr || id < 0) return nullptr;
  for (ConstantDecl* c : *constant_list)
    if (c->getConstantIndex() == id) return c;
  return nullptr;
}

void DataConstantTable::addConstant(ConstantDecl* c) {
  if (constant_list == nullptr) constant_list = new std::list<ConstantDecl*>();
  int largest = -1;
  for (ConstantDecl* d : *constant_list) {
    if (d->getName() == c->getName()) throw AlreadyDefinedException(c->getName(), "constant");
    if (d->getConstantIndex() > largest) largest = d->getConstantIndex();
  }
  // Every constant gets its own index, expression-valued ones included, so that each
  // DataConstant names exactly one declaration.
  c->setIndex(largest + 1);
  constant_list->push_back(c);
}

std::map<int, int> DataConstantTable::getFilePositions() const {
  std::map<int, int> positions;
  if (constant_list == nullptr) return positions;
  std::map<int, ConstantDecl*> by_index;
  for (ConstantDecl* c : *constant_list)
    if (c->getConstantIndex() >= 0 && !c->isInlined()) by_index.emplace(c->getConstantIndex(), c);
  int p = 0;
  for (const auto& e : by_index) positions[e.first] = p++;
  return positions;
}

void DataConstantTable::print(std::ostream& os, bool with_ids) const {
  if (constant_list == nullptr) return;
  os << "constant:\n";
  int n = static_cast<int>(constant_list->size());
  for (int i = 0; i < n; ++i) {
    ConstantDecl* c = getConstantById(i);
    if (c == nullptr) continue;
    printEntryPrefix(os, with_ids, i);
    c->print(os);
    os << ";\n";
  }
  os << "\n";
}

// ----- DataBinding -----

DataBinding::DataBinding(const DataBinding& b, Module* target, Module* other)
    : clock(nullptr), signal(nullptr), value(nullptr) {
  const std::string& sname = b.signal->getInternalName();
  signal = target->getSignal(sname);
  if (signal == nullptr)
    throw IllegalOperationException("DataDinding::DataBinding: no signal in new module for:", sname);
  if (b.clock != nullptr) {
    const std::string& cname = b.clock->getInternalName();
    clock = target->getSignal(cname);
    if (clock == nullptr)
      throw IllegalOperationException("DataDinding::DataBinding: no clock in new module for:", cname);
  }
  value = b.value->changeModule(target, other);
}

namespace {

Signal* findInInterface(Interface* I, const std::string& name) {
  Signal* s = I->getInputSignal(name);
  if (s == nullptr) s = I->getOutputSignal(name);
  if (s == nullptr) s = I->getLocalSignal(name);
  if (s == nullptr) s = I->getDataSignal(name);
  return s;
}

}  // namespace

DataBinding* DataBinding::instanciate(Interface* I, Module*, Bddexpressionwood*) {
  Signal* s = findInInterface(I, signal->getInternalName());
  if (s == nullptr) {
    g_exit(1, " not in interface:" + signal->getOriginalName() + "\n");
  }
  Signal* k = clock != nullptr ? findInInterface(I, clock->getInternalName()) : nullptr;
  return new DataBinding(s, value->instanciate(I), k);
}

void DataBinding::print_debug(std::ostream& os) const {
  os << "signal:" << signal->getInternalName();
  if (clock != nullptr) os << "     clock:" << clock->getInternalName();
  os << "     value: ";
  value->print_debug(os);
}
