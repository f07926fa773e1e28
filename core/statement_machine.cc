#include "statement_machine.h"

#include <cstdlib>
#include <iostream>
#include <memory>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "expression.h"
#include "interface.h"
#include "module.h"
#include "module_signal.h"
#include "refusal.h"
#include "sexception.h"
#include "statement_expr.h"

using namespace stmt_expr;

// ----- MealyMachine -----

MealyMachine::MealyMachine(const std::string& n, Module* m)
    : Statement(n, m), machine_table(new std::map<std::string, Equation*>) {}

Statement* MealyMachine::duplicate(Module* m, EquationTable*) {
  MealyMachine* copy = new MealyMachine(copyName(m), m);
  delete copy->machine_table;
  copy->machine_table = machine_table;
  return copy;
}

void MealyMachine::setMachineTable(std::list<Equation*>* equations, Module*) {
  if (equations == nullptr) return;
  for (Equation* q : *equations) (*machine_table)[q->getSignal()->getInternalName()] = q;
}

void MealyMachine::compile(Module* m, EquationTable* t) { createEquations(m, t); }

void MealyMachine::createEquations(Module* m, EquationTable* t) {
  createWires(m, t);
  // The register equation gives the value rail !status also before finalisation.
  ACTIF = makeRegister("ACTIF" + name, "ACTIFPLUS" + name, m, t, &ACTIFPLUS);
  t->createEquation(ACTIFPLUS, And(Or(getSet(), ACTIF), Not(getReset())), m);
  Bddexpressionwood* w = t->getBddexpressionWood();
  for (const auto& entry : *machine_table) {
    createZarimEquation(entry.second, ACTIF, getSet(), m, t);
    m->machine_definitions[entry.second->getSignal()->getName(m, w)] = {ACTIF, getSet(), ACTIFPLUS};
  }
  // A wire: false, its value rail the negation of its status.
  t->createEquation(getRtl(), new FalseExpression(), m);
}

void MealyMachine::createZarimEquation(Equation* q, Signal* active, Signal* start, Module* m, EquationTable* t) {
  Bddexpressionwood* w = t->getBddexpressionWood();
  Signal* s = q->getSignal();
  Expression* e = And(q->getExpression(), Or(active, start));
  long sid = s->getBddStatusId(m, w);
  if (sid >= w->Nb_bdd_vars()) throw IllegalOperationException("EquationTable::id out of bounds", s->getInternalName());
  long vid = s->getBddValueId(m, w);
  if (vid >= w->Nb_bdd_vars()) throw IllegalOperationException("EquationTable::id out of bounds", s->getInternalName());
  Bddexpression* status = w->slot(sid);
  Bddexpression* value = w->slot(vid);
  if (status == nullptr || value == nullptr) {
    t->createEquation(s, e, m);
    return;
  }
  int self = -1;
  status->setBddExp(w->man->Bdd_follow_assoc(e->getBddStatus(m, w), &self));
  value->setBddExp(w->man->Bdd_follow_assoc(e->getBddValue(m, w), &self));
}

// ----- Run -----

Run::Run(const std::string& n, Module* m, const std::string& c)
    : Statement(n, m), called_name(c), renaming_table(new std::map<std::string, Signal*>) {}

void Run::setRenamingTable(const Renamings* renamings) {
  if (renamings == nullptr) return;
  auto table = std::make_unique<std::map<std::string, Signal*>>();
  for (const auto& entry : *renamings)
    if (!table->emplace(entry.first, entry.second).second) throw HashTableAddException(entry.first);
  renaming_table = table.release();
}

Signal* Run::getRenamingSignal(const std::string& formal) const {
  if (renaming_table == nullptr) return nullptr;
  auto it = renaming_table->find(formal);
  return it != renaming_table->end() ? it->second : nullptr;
}

void Run::computeAwaitedNameList(std::list<std::string>& inputs, std::list<std::string>& outputs,
                                 Module* caller) const {
  auto names = [](std::list<Signal*>* signals, std::list<std::string>* a, std::list<std::string>* b) {
    if (signals == nullptr) return;
    for (Signal* s : *signals) {
      a->push_back(s->getOriginalName());
      if (b != nullptr) b->push_back(s->getOriginalName());
    }
  };
  names(caller->getInputSignalList(), &inputs, nullptr);
  names(caller->getOutputSignalList(), &outputs, nullptr);
  names(caller->getLocalSignalList(), &inputs, &outputs);
  if (renaming_table == nullptr) return;
  for (const auto& entry : *renaming_table) {
    Signal* a = entry.second;
    if (a == nullptr || !a->is_output) inputs.push_back(entry.first);
    if (a == nullptr || !a->is_input) outputs.push_back(entry.first);
  }
}

Module* Run::findCalledModule(Module* caller) {
  const std::string& n = called_name;
  if (Compilation::JxcModTable != nullptr)
    if (Module* k = Compilation::JxcModTable->get(n)) return k;
  Module* source = Compilation::ModTable != nullptr ? Compilation::ModTable->get(n) : nullptr;
  if (caller->getModuleLocation(n) != nullptr) {
    std::list<std::string> inputs, outputs;
    computeAwaitedNameList(inputs, outputs, caller);
    Module* c = Compilation::createModuleFromJxcCode(n, &inputs, &outputs);
    if (source == nullptr) {
      if (c == nullptr) throw IllegalOperationException("Run: compiled called module declared but not provided: ", n);
      if (Compilation::JxcModTable == nullptr) Compilation::JxcModTable = new ModuleTable();
      Compilation::JxcModTable->add(c);
      return c;
    }
    if (c != nullptr) {
      std::cerr << "***error:" << "Run  module:" << n << "  not set" << std::endl;
      throw IllegalOperationException("Run: ambiguous called module: ", n);
    }
  }
  if (source == nullptr) throw IllegalOperationException("Run: called module  not defined in file", n);
  return source;
}

void Run::include(Module* m, EquationTable* t, Interface* included) {
  RunScope place(called_name, line);
  Module* k = findCalledModule(m);
  if (k->compiling) throw IllegalOperationException("Run: recursive module call: ", called_name);
  // Finalising gives a module its own boot and input equations and renames its variables:
  // only its compiled form can be included. A module read from a .jxc file is its own.
  if (k->getFinalised() != 0 && k->getStatement() != nullptr)
    throw IllegalOperationException("Run: called module already finalised: ", called_name);
  checkRenamings(k);
  called = k;
  k->incrCurrentInstance();
  if (k->getCurrentInstance() < 1) k->setCurrentInstance(1);
  instance_suffix = "@" + called_name + "_i" + std::to_string(k->getCurrentInstance());
  if (k->getSet() == nullptr) k->compile();
  valueSources(k, m, included);
  m->includeCompiledModule(k, included, instance_suffix, t->getBddexpressionWood());
  interface = included;
  struct Done {
    Interface*& field;
    ~Done() { field = nullptr; }
  } done{interface};
  createEquations(m, t);
}

void Run::compile(Module* m, EquationTable* t) {
  Interface included;
  include(m, t, &included);
}

void Run::compile_with_preemption(Module* m, EquationTable* t, bdd p) {
  Interface included;
  include(m, t, &included);
  Bddexpressionwood* w = t->getBddexpressionWood();
  if (w == nullptr || w->man == nullptr || w->man->Bdd_is_zero_tautologic(p)) return;
  bdd g = w->Bdd_not(p);
  for (const auto& entry : included.output_signal_table) {
    Signal* x = entry.second;
    for (long id : {x->getBddStatusId(m, w), x->getBddValueId(m, w)}) {
      Bddexpression* e = w->slot(id);
      if (e != nullptr && e->bdd_exp.node() != nullptr) e->setBddExp(w->Bdd_and(g, e->bdd_exp));
    }
  }
}

void Run::createEquations(Module* m, EquationTable* t) {
  if (interface == nullptr || called == nullptr)
    throw IllegalOperationException("Run::createEquations: no module included", called_name);
  createWires(m, t);
  Signal* wires[3];
  const char* kinds[] = {"set", "reset", "rtl"};
  Signal* own[] = {called->getSet(), called->getReset(), called->getRtl()};
  for (int i = 0; i < 3; ++i) {
    wires[i] = own[i] != nullptr ? m->getLocalSignal(own[i]->getName(called) + instance_suffix) : nullptr;
    if (wires[i] == nullptr) throw StatementWireException(kinds[i]);
  }
  t->createEquation(wires[0], getSet(), m);
  t->createEquation(wires[1], getReset(), m);
  t->createEquation(getRtl(), wires[2], m);
  bindInputs(m, t);
  bindOutputs(m, t);
}

void Run::checkRenamings(Module* k) const {
  if (renaming_table == nullptr) return;
  for (const auto& entry : *renaming_table)
    if (k->getInputSignal(entry.first) == nullptr && k->getOutputSignal(entry.first) == nullptr)
      throw RunUnknownSignalException("renames no input or output of the called module " + called_name, entry.first);
}

void Run::valueSources(Module* k, Module* m, Interface* included) const {
  std::list<Signal*>* inputs = k->getInputSignalList();
  if (inputs == nullptr) return;
  for (Signal* in : *inputs) {
    const std::string& f = in->getOriginalName();
    if (!in->isValued(k) || k->getBinding(f) != nullptr) continue;
    Signal* a = actualSignal(f, m, true);
    if (a->isValued(m)) included->addValueSource(f, a);
  }
}

Signal* Run::actualSignal(const std::string& f, Module* m, bool input) const {
  if (Signal* a = getRenamingSignal(f)) {
    if (input && a->is_output) throw RunUnknownSignalException("output signal renames an input signal", a->getInternalName());
    if (!input && a->is_input) throw RunUnknownSignalException("input signal renames an output signal", a->getInternalName());
    return a;
  }
  if (Signal* a = m->getStackLocalSignal(f)) return a;
  if (Signal* a = input ? m->getInputSignal(f) : m->getOutputSignal(f)) return a;
  throw RunUnknownSignalException(input ? "not input expected" : "not ouput expected", f);
}

namespace {

// A local y bound to e under clock, defined by source. The binding is made in the module's
// own system: a Run compiled in a copy (a branch of a fork) makes y known there too.
void bindThrough(Module* m, EquationTable* t, DataExpr* e, Signal* clock, Signal* source) {
  Signal* y = m->addSignalBinding(e, "", clock);
  y->is_local = true;
  y->is_input = false;
  y->is_output = false;
  m->addLocalSignal(y);
  Bddexpressionwood* w = t->getBddexpressionWood();
  if (w != m->getBddWood()) {
    t->learnSignal(y, m);
    y->extendCurrentOccurrenceTable(w, 0);
  }
  t->createEquation(y, source, m, true);
}

// Each rail of a: ORed with x's variable when a has an equation, else defined as it.
void orInto(Signal* a, Signal* x, Module* m, EquationTable* t) {
  Bddexpressionwood* w = t->getBddexpressionWood();
  long ids[] = {a->getBddStatusId(m, w), a->getBddValueId(m, w)};
  bdd vars[] = {x->getBddStatus(m, w), x->getBddValue(m, w)};
  int kinds[] = {Compilation::STAT, Compilation::VAL};
  for (int i = 0; i < 2; ++i) {
    if (Bddexpression* e = w->slot(ids[i])) {
      e->append_or_exp(vars[i]);
      continue;
    }
    w->enter(a->getInternalName(), w, w->Bdd_var_by_index(ids[i]), vars[i], 0, 0, kinds[i]);
  }
}

}  // namespace

void Run::bindInputs(Module* m, EquationTable* t) {
  for (const auto& entry : interface->input_signal_table) {
    const std::string& f = entry.first;
    Signal* x = entry.second;
    if (called->getBinding(f) != nullptr) continue;
    Signal* a = actualSignal(f, m, true);
    t->createEquation(x, a, m, true);
    // x's value is a's, however a gets it: a valued local takes it at run time from
    // whichever of its emissions is present, those compiled after this run or in another
    // branch (in another copy of the system) among them.
    if (a->isValued(m)) bindThrough(m, t, new DataSignalValue(a), x, a);
  }
}

void Run::bindOutputs(Module* m, EquationTable* t) {
  for (const auto& entry : interface->output_signal_table) {
    const std::string& f = entry.first;
    Signal* x = entry.second;
    if (called->getBinding(f) != nullptr) continue;
    Signal* a = actualSignal(f, m, false);
    orInto(a, x, m, t);
    if (!a->isValued(m)) continue;
    // A valued output that the called module never emits has no binding: a gets only its
    // presence.
    std::unique_ptr<std::list<DataBinding*>> bindings(m->getDataBindingByClock(x));
    if (bindings == nullptr) continue;
    for (DataBinding* b : *bindings) bindThrough(m, t, b->getValue(), a, b->getSignal());
  }
}

bool Run::reincarnate() {
  RunScope place(called_name, line);
  if (asking) throw IllegalOperationException("Run: recursive module call: ", called_name);
  struct Asking {
    bool& flag;
    explicit Asking(bool& f) : flag(f) { flag = true; }
    ~Asking() { flag = false; }
  } guard(asking);
  auto body = [this](Module* k) {
    if (k->getStatement() == nullptr) throw IllegalOperationException("Run: called module without body: ", called_name);
    return k->getStatement()->reincarnate();
  };
  if (called != nullptr) return called->getSet() != nullptr ? called->getReincarnate() : body(called);
  if (Compilation::ModTable != nullptr)
    if (Module* k = Compilation::ModTable->get(called_name)) return body(k);
  long recorded = Compilation::getReincarnateFromJxcFile(called_name);
  if (recorded == 0 || recorded == 1) return recorded == 1;
  if (module == nullptr || module->getRunDeclTable() == nullptr)
    throw IllegalOperationException("ex1:Run module undefined: ", called_name);
  std::string* location = module->getModuleLocation(called_name);
  if (location == nullptr) throw IllegalOperationException("ex2:Run module undefined: ", called_name);
  // The file may also define modules already read: the reader reports those itself.
  Compilation::jx_parse((*location + ".jx").c_str());
  Module* k = Compilation::ModTable != nullptr ? Compilation::ModTable->get(called_name) : nullptr;
  if (k == nullptr) throw IllegalOperationException("ex2:Run module undefined: ", called_name);
  return body(k);
}

Statement* Run::duplicate(Module* m, EquationTable*) {
  std::string copy_name = "R_" + m->getName() + "_" + std::to_string(Module::RunNumber++);
  Run* copy = new Run(copy_name, m, called_name);
  copy->renaming_table = renaming_table;
  copy->line = line;
  return copy;
}
