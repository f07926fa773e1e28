#include "statement.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <tuple>

#include "Bddexpression.h"
#include "data.h"
#include "equationtable.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"

Statement::Statement() : module(nullptr), SET(nullptr), RESET(nullptr), RTL(nullptr), pert_level(0) {}

Statement::Statement(const std::string& n, Module* m)
    : name(n), module(m), SET(nullptr), RESET(nullptr), RTL(nullptr), pert_level(0) {}

void Statement::createEquations(Module*, EquationTable*) {}

void Statement::compile(Module*, EquationTable*) {}

bool Statement::isAutomaton() { return false; }

bool Statement::isParallel() { return false; }

bool Statement::isSequence() { return false; }

std::list<Transition*>* Statement::getTransitionList() { return nullptr; }

std::map<std::string, State*>* Statement::getStateTable() { return nullptr; }

bool Statement::reincarnate() { return true; }

Statement* Statement::duplicate(Module*, EquationTable*) { return nullptr; }

Signal* Statement::getSet() const {
  if (SET == nullptr) throw StatementWireException("set");
  return SET;
}

Signal* Statement::getReset() const {
  if (RESET == nullptr) throw StatementWireException("reset");
  return RESET;
}

Signal* Statement::getRtl() const {
  if (RTL == nullptr) throw StatementWireException("rtl");
  return RTL;
}

void Statement::createWires(Module* m, EquationTable* t) {
  Bddexpressionwood* w = t->getBddexpressionWood();
  Signal** fields[] = {&SET, &RESET, &RTL};
  const char* prefixes[] = {"SET", "RESET", "RTL"};
  for (int i = 0; i < 3; ++i) {
    Signal* s = new Signal(prefixes[i] + name, m, w);
    s->is_wire = true;
    *fields[i] = s;
    m->addLocalSignal(s);
  }
}

void Statement::connectExternalWires(Module* m) {
  Signal* set = getSet();
  Signal* reset = getReset();
  Signal* rtl = getRtl();
  EquationTable* t = m->getEquationTable();
  t->createEquation(set, m->getSet(), m);
  t->createEquation(reset, m->getReset(), m);
  t->createEquation(m->getRtl(), rtl, m);
}

Signal* Statement::makeRegisterSignal(const std::string& n, Module* m, EquationTable* t) {
  Signal* s = new Signal(n, m, t->getBddexpressionWood(), true);
  if (m->getLocalSignalList() == nullptr) m->local_signal_list = new std::list<Signal*>;
  m->getLocalSignalList()->push_back(s);
  return s;
}

Signal* Statement::makeRegister(const std::string& current, const std::string& next, Module* m, EquationTable* t,
                                Signal** next_state) {
  Signal* a = makeRegisterSignal(current, m, t);
  *next_state = makeRegisterSignal(next, m, t);
  m->addRegisterSignal(a, *next_state);
  t->createRegisterEquation(a, m);
  return a;
}

void Statement::compileDated(Statement* child, Module* m, EquationTable* t) {
  child->compile(m, t);
  if (child->getPertLevel() == 0) child->setPertLevel(t->callPert());
}

void Statement::compileInCopy(Statement* child, Module* m, EquationTable* t, EquationTable* copy) {
  ForkCopy owned(copy, m);
  compileDated(child, m, copy);
  t->unify(copy, m);
}

std::string Statement::copyName(Module* m) const {
  std::string candidate = name + "_bis";
  if (m == nullptr) return candidate;
  auto taken = [m](const std::string& n) {
    return m->copy_names.count(n) != 0 || m->getSignalManager()->getSignalRefByName("SET" + n) != nullptr;
  };
  for (int n = 2; taken(candidate); ++n) candidate = name + "_bis" + std::to_string(n);
  m->copy_names.insert(candidate);
  return candidate;
}

Statement* Statement::duplicateChild(Statement* child, Module* m, EquationTable* t) {
  return child != nullptr ? child->duplicate(m, t) : nullptr;
}

std::vector<Statement*> Statement::duplicateAll(const std::vector<Statement*>& children, Module* m,
                                               EquationTable* t) {
  std::vector<Statement*> copies;
  copies.reserve(children.size());
  for (Statement* k : children) copies.push_back(k->duplicate(m, t));
  return copies;
}

void Statement::requireChildren(int count, const char* operation) const {
  if (count < 1) throw IllegalOperationException(operation, "no child statement in " + name);
}

// ----- Local -----

Local::Local(const std::string& n, Module* m, std::list<Signal*>* signals, Statement* b)
    : Statement(n, m), signal_list(signals), body(b) {}

void Local::createEquations(Module* m, EquationTable* t) {
  if (body == nullptr) throw StatementWireException("set");
  createWires(m, t);
  t->createEquation(body->getSet(), getSet(), m);
  t->createEquation(body->getReset(), getReset(), m);
  t->createEquation(getRtl(), body->getRtl(), m);
}

void Local::compile(Module* m, EquationTable* t) {
  pushSignals(m, t);
  // The scope leaves the stack however the body's compilation ends.
  struct Pop {
    Module* m;
    ~Pop() {
      std::list<Module::Scope*>* stack = m->getLocalStack();
      if (stack == nullptr || stack->empty()) return;
      delete stack->front();
      stack->pop_front();
    }
  } pop{m};
  body->compile(m, t);
  createEquations(m, t);
}

namespace {

// Occurrence 0 of r's signal defined by (or, when it already is, chained to) the rails
// of occurrence s_new: status OR, value AND, as pre chains the later occurrences.
void defineFirstOccurrence(Signal* s, SignalRef* r, Module* m, Bddexpressionwood* w) {
  long sid = r->getBddStatusId(w);
  long vid = r->getBddValueId(w);
  bdd status = s->getBddStatus(m, w);
  bdd value = s->getBddValue(m, w);
  Bddexpression* old_status = w->slot(sid);
  Bddexpression* old_value = w->slot(vid);
  if (old_status != nullptr && old_value != nullptr) {
    old_status->append_or_exp(status);
    old_value->append_and_exp(value);
    return;
  }
  for (auto [id, def, kind] : {std::make_tuple(sid, status, s->computeStatusType()),
                               std::make_tuple(vid, value, s->computeValueType())})
    w->enter(s->getInternalName(), w, w->Bdd_var_by_index(id), def, 0, 0, kind);
}

}  // namespace

void Local::openOccurrence(Signal* s, Module* m, EquationTable* t) {
  Bddexpressionwood* w = t->getBddexpressionWood();
  SignalManager* sm = m->getSignalManager();
  bool recorded = s->occurrence_table != nullptr && s->occurrence_table->count(w) != 0;
  if (sm->getCurrentOccurrence(s, w) == nullptr || !recorded)
    throw IllegalOperationException("Local:pushSignals: undefined signal",
                                    recorded ? s->getName(m, w) : s->getInternalName());
  int before = s->getCurrentOccurrence(w);
  s->newOccurrence(w, m);
  t->createBottomEquation(s, m);
  SignalRef* r = sm->getSignalRefByName(s->getInternalName());
  if (r == nullptr)
    throw IllegalOperationException("Local::pushSignals: local signal without reference in signal manager",
                                    s->getName(m, w));
  // A signal that takes no further occurrence keeps its bottom rails.
  if (s->getCurrentOccurrence(w) != before) defineFirstOccurrence(s, r, m, w);
}

void Local::pushSignals(Module* m, EquationTable* t) {
  std::unique_ptr<Module::Scope> scope(new Module::Scope);
  if (signal_list != nullptr)
    for (Signal* s : *signal_list) {
      openOccurrence(s, m, t);
      // A valued signal never emitted has no binding: nothing more to open.
      if (s->isValued(m))
        if (std::unique_ptr<std::list<DataBinding*>> bound{m->getDataBindingByClock(s)})
          for (DataBinding* b : *bound) openOccurrence(b->getSignal(), m, t);
      (*scope)[s->getOriginalName()] = s;
    }
  if (m->getLocalStack() == nullptr) m->setLocalStack(new std::list<Module::Scope*>);
  m->getLocalStack()->push_front(scope.release());
}

bool Local::reincarnate() { return body == nullptr || body->reincarnate(); }

Statement* Local::duplicate(Module* m, EquationTable* t) {
  Statement* b = duplicateChild(body, m, t);
  return new Local(copyName(m), m, signal_list, b);
}

void statementNotBuilt(const char* operation) { throw IllegalOperationException(operation, "not built yet"); }
