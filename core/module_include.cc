// Bindings of valued signals, run declarations, inclusion of a compiled sub-module and
// the deep copy of a module.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "data.h"
#include "equationtable.h"
#include "g_exit.h"
#include "interface.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {

int take_indexation() {
  int n = DataExpr::Indexation;
  DataExpr::Indexation = static_cast<int>(static_cast<unsigned>(n) + 1u);
  return n;
}

// Gives s the value type of src (a signal of src_module) when src is valued there.
void value_like(Signal* s, Module* m, Bddexpressionwood* w, const Signal* src, Module* src_module) {
  SignalRef* r = src->getSignalRef(src_module, src_module->getBddWood());
  if (r != nullptr && r->isValued()) s->setValueType(r->getType(), m, w);
}

// The signals of sub as signals of m in wood, named with suffix and given to interface: locals
// for sub's inputs, outputs (each occurrence), locals and wires, data for its data.
void include_signals(Module* m, Module* sub, Interface* interface, const std::string& suffix, Bddexpressionwood* wood) {
  Bddexpressionwood* sw = sub->getBddWood();
  auto make_local = [&](Signal* s) {
    s->is_local = true;
    s->is_input = false;
    s->is_output = false;
    s->is_instance = true;
  };
  // A local of m named occurrence + suffix, valued like src.
  auto local_like = [&](Signal* src, const std::string& occurrence) {
    Signal* s = new Signal(src->getOriginalName(), occurrence + suffix, m, wood);
    make_local(s);
    value_like(s, m, wood, src, sub);
    m->addLocalSignal(s);
    return s;
  };
  // Locals for occurrences n .. 1 of src, named after the occurrence names in sub.
  auto further_occurrences = [&](Signal* src) {
    for (int k = src->getCurrentOccurrence(sw); k >= 1; --k) {
      SignalRef* r = sub->getSignalManager()->getSignalRefByOccurrence(src, k);
      local_like(src, r != nullptr ? r->getCurrentName() : src->getInternalName() + "_" + std::to_string(k));
    }
  };

  if (std::list<Signal*>* l = sub->getInputSignalList())
    for (Signal* in : *l) interface->addInput(in->getOriginalName(), local_like(in, in->getInternalName()));
  if (std::list<Signal*>* l = sub->getDataSignalList())
    for (Signal* d : *l) {
      Signal* s = new Signal(d->getOriginalName(), d->getInternalName() + suffix, m, wood);
      s->is_input = true;
      s->is_instance = true;
      m->addDataSignal(s);
      interface->addData(d->getInternalName(), s);
    }
  if (std::list<Signal*>* l = sub->getOutputSignalList())
    for (Signal* o : *l) {
      further_occurrences(o);
      interface->addOutput(o->getOriginalName(), local_like(o, o->getInternalName()));
    }
  if (std::list<Signal*>* l = sub->getLocalSignalList())
    for (Signal* loc : *l) {
      Signal* s = new Signal(loc->getOriginalName(), loc->getInternalName() + suffix, m, wood, loc->is_register);
      make_local(s);
      if (loc->is_wire) s->is_wire = true;
      value_like(s, m, wood, loc, sub);
      further_occurrences(loc);
      m->local_signal_list->push_back(s);
      interface->addLocal(loc->getInternalName(), s);
    }
  for (Signal* wire : {sub->getSet(), sub->getReset(), sub->getRtl()}) {
    if (wire == nullptr) continue;
    Signal* s = new Signal(wire->getName(sub, sw) + suffix, m, wood);
    make_local(s);
    s->is_wire = true;
    m->addLocalSignal(s);
  }
}

// The registers of sub as registers of m, over the locals include_signals made for theirs.
void include_registers(Module* m, Module* sub, Interface* interface, const std::string& suffix) {
  Bddexpressionwood* sw = sub->getBddWood();
  if (std::list<regclass*>* l = sub->getRegisterList())
    for (regclass* r : *l) {
      std::string current = r->actual_var()->getName(sub, sw) + suffix;
      std::string next = r->next_var()->getName(sub, sw) + suffix;
      Signal* c = m->getLocalSignal(current);
      if (c == nullptr)
        throw IllegalOperationException("Module::includeCompiledModule: register signal not found", current);
      Signal* n = m->getLocalSignal(next);
      if (n == nullptr)
        throw IllegalOperationException("Module::includeCompiledModule: register signal not found", next);
      c->is_wire = c->is_register = true;
      n->is_wire = n->is_register = true;
      regclass* copy = new regclass(c, n, r->is_initialy_true());
      if (m->register_list == nullptr) m->register_list = new std::list<regclass*>;
      m->register_list->push_back(copy);
      interface->addRegister(copy);
    }
}

// Whether e's rail is the constant value (false without an equation).
bool rail_is(Bddexpressionwood* w, const Bddexpression* e, int value) {
  return e != nullptr && bdd_initialised(e->bdd_exp) && w->Bdd_is_tautology(e->bdd_exp, value) != 0;
}

// The occurrences of sub's outputs in the instance as sub's finalisation completes them: one
// with both rails bottom (a stretch of sub that never emits the output) reads false, so
// that the chain of the occurrences keeps the false value of another one (a Mealy
// machine's, a noemit), as the module alone does; a pure output sub never emits reads false
// as it does alone. A valued output none of whose occurrences can be false keeps them
// bottom: the caller may emit the signal it renames, with a value.
void complete_output_occurrences(Module* m, Module* sub, const std::string& suffix, Bddexpressionwood* wood) {
  Bddexpressionwood* sw = sub->getBddWood();
  std::list<Signal*>* outputs = sub->getOutputSignalList();
  if (outputs == nullptr) return;
  for (Signal* o : *outputs) {
    std::vector<Bddexpression*> bottom;  // value equations of the bottom occurrences
    bool may_be_false = false;
    for (int k = o->getCurrentOccurrence(sw); k >= 1; --k) {
      SignalRef* r = sub->getSignalManager()->getSignalRefByOccurrence(o, k);
      Signal* copy = r != nullptr ? m->getLocalSignal(r->getCurrentName() + suffix) : nullptr;
      if (copy == nullptr) continue;
      Bddexpression* status = wood->slot(copy->getBddStatusId(m, wood));
      Bddexpression* value = wood->slot(copy->getBddValueId(m, wood));
      if (value == nullptr) continue;
      if (!rail_is(wood, value, 0))
        may_be_false = true;
      else if (rail_is(wood, status, 0))
        bottom.push_back(value);
    }
    if (may_be_false || !o->isValued(sub))
      for (Bddexpression* value : bottom) value->setBddExp(wood->Bdd_one());
  }
}

// The register of sub whose next state is the occurrence called next there, or null.
const regclass* register_with_next(Module* sub, const std::string& next) {
  if (std::list<regclass*>* registers = sub->getRegisterList())
    for (const regclass* r : *registers)
      if (r->next_var()->getName(sub, sub->getBddWood()) == next) return r;
  return nullptr;
}

// The equations of sub's Mealy machines in the instance, kept to the instants each machine
// runs, so that every run of the instance reacts as the module alone does from its start:
// a signal they define is bottom while its machine neither runs nor starts (alone it reads
// false, which would clash with the caller's emissions once the run is over), and a register
// they drive holds its initial value while its machine will not run in the next instant
// (next := running ? next : initial), so that a run starts from it.
void keep_machines_to_their_runs(Module* m, Module* sub, const std::string& suffix, Bddexpressionwood* wood) {
  // The instance's copy of the occurrence called name in sub.
  auto copy_of = [&](const std::string& name) {
    Signal* copy = m->getLocalSignal(name + suffix);
    if (copy == nullptr) throw IllegalOperationException("Module::includeCompiledModule: signal not found", name + suffix);
    return copy;
  };
  auto status_of = [&](Signal* s) { return copy_of(s->getName(sub, sub->getBddWood()))->getBddStatus(m, wood); };
  for (const auto& entry : sub->machine_definitions) {
    Signal* defined = copy_of(entry.first);
    const Module::MachineWires& machine = entry.second;
    Bddexpression* status = wood->slot(defined->getBddStatusId(m, wood));
    if (status == nullptr || !bdd_initialised(status->bdd_exp)) continue;
    if (const regclass* r = defined->is_register ? register_with_next(sub, entry.first) : nullptr) {
      bdd running = status_of(machine.next);
      bdd held = r->is_initialy_true() != 0 ? wood->Bdd_not(running) : wood->Bdd_zero();
      status->setBddExp(wood->Bdd_or(wood->Bdd_and(running, status->bdd_exp), held));
      continue;
    }
    bdd runs = wood->Bdd_or(status_of(machine.active), status_of(machine.start));
    status->setBddExp(wood->Bdd_and(runs, status->bdd_exp));
    Bddexpression* value = wood->slot(defined->getBddValueId(m, wood));
    if (value != nullptr && bdd_initialised(value->bdd_exp) && !defined->is_wire)
      value->setBddExp(wood->Bdd_and(runs, value->bdd_exp));
  }
}

}  // namespace

// ----- bindings -----

DataBinding* Module::getBinding(const std::string& key) const {
  if (data_table == nullptr) return nullptr;
  auto it = data_table->find(key);
  return it != data_table->end() ? it->second : nullptr;
}

void Module::removeBinding(const std::string& key) {
  if (data_table != nullptr) data_table->erase(key);
}

void Module::addBinding(DataBinding* b) { addBinding(b, getBddWood()); }

void Module::addBinding(DataBinding* b, Bddexpressionwood* wood) {
  if (data_table == nullptr) data_table = new std::map<std::string, DataBinding*>;
  (*data_table)[b->getSignal()->getName(this, wood)] = b;
}

namespace {

// VALUE_SIGNAL abstract equations of both rails of s: s is dated after the signals that
// e reads. An expression that reads no signal (constants only) gets them too, over no
// variable: without an equation the condition would never be computed.
void learn_value_dependences(Module* m, Signal* s, DataExpr* e) {
  std::unique_ptr<std::set<Signal*>> read(e->computeDependencySet());
  Bddexpressionwood* w = m->getBddWood();
  std::set<long> deps;
  if (read != nullptr)
    for (Signal* r : *read) {
      long sid = r->getBddStatusId(m, w);
      long vid = r->getBddValueId(m, w);
      if (sid >= 0) deps.insert(sid);
      if (vid >= 0) deps.insert(vid);
    }
  for (long id : {s->getBddStatusId(m, w), s->getBddValueId(m, w)}) w->enter(id, w, deps, "VALUE_SIGNAL", 0, 0);
}

}  // namespace

Signal* Module::addSignalBinding(DataExpr* e, const std::string& prefix) {
  int n = take_indexation();
  Signal* s = new Signal("IData_" + prefix + std::to_string(n), this, getBddWood());
  if (e->getType().empty()) e->computeType(this);
  s->setValueType(e->getType(), this);
  s->is_value = true;
  if (data_table == nullptr) data_table = new std::map<std::string, DataBinding*>;
  (*data_table)[s->getInternalName()] = new DataBinding(s, e);
  learn_value_dependences(this, s, e);
  return s;
}

Signal* Module::addSignalBinding(DataExpr* e, Signal* s) {
  s->is_value = true;
  if (data_table == nullptr) data_table = new std::map<std::string, DataBinding*>;
  (*data_table)[s->getInternalName()] = new DataBinding(s, e);
  learn_value_dependences(this, s, e);
  return s;
}

Signal* Module::addSignalBinding(DataExpr* e, Signal* s, Signal* clock) {
  if (data_table == nullptr) data_table = new std::map<std::string, DataBinding*>;
  if (clock != nullptr) {
    clock->is_clock = true;
    (*data_table)[s->getInternalName()] = new DataBinding(s, e, clock);
  } else {
    (*data_table)[s->getInternalName()] = new DataBinding(s, e);
  }
  s->is_value = true;
  return s;
}

Signal* Module::addSignalBinding(DataExpr* e, const std::string& prefix, Signal* clock) {
  if (clock == nullptr) throw IllegalOperationException("Module::addSignalBinding: no clock signal", prefix);
  clock->is_clock = true;
  int n = take_indexation();
  Signal* s = new Signal(clock->getInternalName() + "Data_" + prefix + std::to_string(n), this, getBddWood());
  if (e->getType().empty()) e->computeType(this);
  s->setValueType(e->getType(), this);
  s->is_value = true;
  if (data_table == nullptr) data_table = new std::map<std::string, DataBinding*>;
  (*data_table)[s->getInternalName()] = new DataBinding(s, e, clock);
  return s;
}

std::list<Signal*>* Module::getSignalBindingByClock(Signal* clock) const {
  if (data_table == nullptr) return nullptr;
  std::list<Signal*>* bound = new std::list<Signal*>;
  for (const auto& entry : *data_table) {
    Signal* c = entry.second->getClock();
    if (c != nullptr && c->getInternalName() == clock->getInternalName()) bound->push_back(entry.second->getSignal());
  }
  if (bound->empty()) {
    delete bound;
    g_exit(10, "Module::getSignalBindingByClock: no binding for signal: " + clock->getInternalName() + "\n");
  }
  return bound;
}

std::list<DataBinding*>* Module::getDataBindingByClock(Signal* clock) const {
  if (data_table == nullptr || data_table->empty()) return nullptr;
  std::list<DataBinding*>* found = nullptr;
  for (const auto& entry : *data_table) {
    Signal* c = entry.second->getClock();
    if (c == nullptr || c->getInternalName() != clock->getInternalName()) continue;
    if (found == nullptr) found = new std::list<DataBinding*>;
    found->push_back(entry.second);
  }
  return found;
}

// ----- run declarations -----

void Module::addRunDecl(const std::string& module_name, const std::string& file, const std::string& directory) {
  if (run_decl_table != nullptr && run_decl_table->count(module_name) != 0)
    throw IllegalOperationException("Run module already exists: ", module_name);
  if (run_decl_table == nullptr) run_decl_table = new std::map<std::string, std::string*>;
  (*run_decl_table)[module_name] = new std::string(directory + "/" + file);
}

std::string* Module::getModuleLocation(const std::string& module_name) const {
  if (run_decl_table == nullptr) return nullptr;
  auto it = run_decl_table->find(module_name);
  return it != run_decl_table->end() ? it->second : nullptr;
}

// ----- inclusion -----

void Module::includeCompiledModule(Module* sub, Interface* interface, const std::string& suffix,
                                   Bddexpressionwood* wood) {
  include_signals(this, sub, interface, suffix, wood);
  include_registers(this, sub, interface, suffix);
  std::string instance_suffix = suffix;
  wood->Include_wood_instance(*sub->getBddWood(), instance_suffix);
  complete_output_occurrences(this, sub, suffix, wood);
  keep_machines_to_their_runs(this, sub, suffix, wood);
  if (sub->getReincarnate()) reincarnate = true;
  if (std::map<std::string, DataBinding*>* table = sub->getDataTable())
    for (const auto& entry : *table) addBinding(entry.second->instanciate(interface, this, wood), wood);
}

// ----- copy -----

Module::Module(Module& m)
    : name(m.name),
      input_signal_list(new std::list<Signal*>),
      output_signal_list(new std::list<Signal*>),
      local_signal_list(new std::list<Signal*>),
      data_signal_list(new std::list<Signal*>),
      register_list(new std::list<regclass*>),
      reincarnate(m.reincarnate),
      finalised(m.finalised),
      current_instance(m.current_instance),
      local_stack(m.local_stack),
      signal_manager(new SignalManager) {
  // The copy of the equation system (its equations included) gets its own manager.
  Bddexpressionwood* from = m.getBddWood();
  int shared = from->get_common_bdd_manager();
  from->set_common_bdd_manager(0);
  Bddexpressionwood* w = new Bddexpressionwood(from);
  from->set_common_bdd_manager(shared);
  compilation = new EquationTable(name, w);

  auto copy_list = [&](std::list<Signal*>* src, std::list<Signal*>* to) {
    if (src == nullptr) return;
    for (Signal* s : *src) to->push_back(new Signal(*s, this, w, &m));
  };
  copy_list(m.input_signal_list, input_signal_list);
  copy_list(m.output_signal_list, output_signal_list);
  copy_list(m.local_signal_list, local_signal_list);
  copy_list(m.data_signal_list, data_signal_list);
  auto copy_wire = [&](Signal* s) -> Signal* {
    if (s == nullptr) return nullptr;
    Signal* c = new Signal(*s, this, w, &m);
    c->is_wire = true;
    return c;
  };
  set_wire = copy_wire(m.set_wire);
  reset_wire = copy_wire(m.reset_wire);
  rtl_wire = copy_wire(m.rtl_wire);
  if (m.register_list != nullptr)
    for (regclass* r : *m.register_list)
      register_list->push_back(new regclass(getLocalSignal(r->actual_var()->getInternalName()),
                                            getLocalSignal(r->next_var()->getInternalName()),
                                            r->is_initialy_true()));
  if (m.data_table != nullptr) {
    data_table = new std::map<std::string, DataBinding*>;
    for (const auto& entry : *m.data_table) (*data_table)[entry.first] = new DataBinding(*entry.second, this, &m);
  }
}
