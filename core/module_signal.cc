#include "module_signal.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <sstream>
#include <unordered_map>

#include "Bddexpression.h"
#include "compilation.h"
#include "g_exit.h"
#include "module.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {
Signal::OccurrenceTable& table_of(Signal::OccurrenceTable* t) { return *t; }

// Occurrence tables are shared by plain copies and outlive their signals; they are kept
// here so that a destroyed equation system can be removed from all of them. Each system
// lists the tables holding an entry for it, so that forgetting it costs what it has (a
// fork's copy comes and goes with every branch).
struct OccurrenceTables {
  std::unordered_map<Signal::OccurrenceTable*, std::unique_ptr<Signal::OccurrenceTable>> tables;
  wood_holders<Signal::OccurrenceTable, int, Signal::OccurrenceTable& (*)(Signal::OccurrenceTable*)> by_wood{
      table_of};
  unsigned long dropped = 0;
  // The signals (internal names) of each system's occurrence writes, the copy of a whole
  // system excepted.
  std::unordered_map<Bddexpressionwood*, std::vector<std::string>> writes;
};

OccurrenceTables& occurrence_tables() {
  static OccurrenceTables registry;
  return registry;
}

// Only a fork's copy is asked what it wrote.
void log_write(Bddexpressionwood* w, const std::string& internal) {
  if (w != nullptr && w->fork_copy) occurrence_tables().writes[w].push_back(internal);
}

// Sets t's entry for w (t belongs to the signal called internal); every entry is written here.
void set_entry(Signal::OccurrenceTable* t, Bddexpressionwood* w, int n, const std::string& internal) {
  log_write(w, internal);
  occurrence_tables().by_wood.set(t, w, n);
}
}  // namespace

Signal::OccurrenceTable* Signal::newOccurrenceTable() {
  auto* t = new OccurrenceTable();
  occurrence_tables().tables.emplace(t, std::unique_ptr<OccurrenceTable>(t));
  return t;
}

void Signal::forgetWood(Bddexpressionwood* w) {
  OccurrenceTables& r = occurrence_tables();
  r.by_wood.forget(w);
  r.writes.erase(w);
}

const std::vector<std::string>& Signal::occurrencesWritten(Bddexpressionwood* w) {
  static const std::vector<std::string> none;
  OccurrenceTables& r = occurrence_tables();
  auto it = r.writes.find(w);
  return it != r.writes.end() ? it->second : none;
}

void Signal::copyWood(Bddexpressionwood* to, Bddexpressionwood* from) { occurrence_tables().by_wood.copy(to, from); }

void Signal::dropOccurrenceTable() {
  if (occurrence_table != nullptr) {
    OccurrenceTables& r = occurrence_tables();
    r.by_wood.drop(occurrence_table);
    r.tables.erase(occurrence_table);
    ++r.dropped;
  }
  occurrence_table = nullptr;
}

unsigned long Signal::droppedTables() { return occurrence_tables().dropped; }

// ----- construction -----

Signal::Signal(const std::string& name, Module* m, Bddexpressionwood* w) : original_name(name), internal_name(name) {
  construct(m, w, true);
}

Signal::Signal(const std::string& name, Module* m, Bddexpressionwood* w, bool reg)
    : original_name(name), internal_name(name), is_wire(reg), is_register(reg) {
  construct(m, w, false);
}

Signal::Signal(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w)
    : original_name(original), internal_name(internal) {
  construct(m, w, false);
}

Signal::Signal(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w, bool reg)
    : original_name(original), internal_name(internal), is_wire(reg), is_register(reg) {
  construct(m, w, false);
}

// Registers occurrence 0 when the manager has none; its name is the internal name unless an
// occurrence of another signal already holds it.
void Signal::construct(Module* m, Bddexpressionwood* w, bool always_record) {
  occurrence_table = newOccurrenceTable();
  SignalManager* sm = m->getSignalManager();
  bool created = false;
  if (sm->getSignalRefByOccurrence(this, 0) == nullptr) {
    new SignalRef(original_name, internal_name, sm->freeOccurrenceName(internal_name, 0), 0, m, w);
    created = true;
  }
  if (always_record || created) set_entry(occurrence_table, w, 0, internal_name);
}

Signal::Signal(Signal& other)
    : Expression(),
      original_name(other.original_name),
      internal_name(other.internal_name),
      is_local(other.is_local),
      is_input(other.is_input),
      is_output(other.is_output),
      is_wire(other.is_wire),
      is_register(other.is_register),
      is_clock(other.is_clock),
      is_value(other.is_value),
      is_data(other.is_data),
      is_instance(other.is_instance),
      occurrence_table(other.occurrence_table) {}

namespace {
// The reference of occurrence n of s in m, extended to w when it has no ids there, or a new
// one (marked pre when n > 0). A new or valued reference takes the given value type.
SignalRef* copied_occurrence(const Signal& s, Module* m, Bddexpressionwood* w, int n, bool valued,
                             const std::string& type) {
  SignalManager* sm = m->getSignalManager();
  SignalRef* r = sm->getSignalRefByOccurrence(&s, n);
  if (r != nullptr) {
    if (!r->isDefinedWood(w)) {
      long sid = SignalRef::computeId("_s_" + r->current_name, w);
      long vid = SignalRef::computeId("_v_" + r->current_name, w);
      sm->extendSignalRef(sid, vid, r, w);
    }
    return r;
  }
  r = new SignalRef(s.original_name, s.internal_name, sm->getOccurrenceName(s.internal_name, n), n, m, w, valued);
  if (n > 0) r->setIsPre(true);
  if (valued) {
    r->setType(type);
    r->setIsValued(true);
  }
  return r;
}
}  // namespace

Signal::Signal(Signal& src, Module* m, Bddexpressionwood* w, Module* src_module)
    : Expression(),
      original_name(src.original_name),
      internal_name(src.internal_name),
      is_local(src.is_local),
      is_input(src.is_input),
      is_output(src.is_output),
      is_wire(src.is_wire),
      is_register(src.is_register),
      is_clock(src.is_clock),
      is_value(src.is_value),
      is_data(src.is_data),
      is_instance(src.is_instance),
      occurrence_table(newOccurrenceTable()) {
  Bddexpressionwood* sw = src_module->getBddWood();
  if (src.occurrence_table == nullptr) {
    set_entry(occurrence_table, w, 0, internal_name);
  } else {
    auto it = src.occurrence_table->find(sw);
    if (it != src.occurrence_table->end()) set_entry(occurrence_table, w, it->second, internal_name);
  }
  bool valued = src.isValued(src_module);
  std::string type = valued ? src.getValueType(src_module) : std::string("pure");
  copied_occurrence(*this, m, w, 0, valued, type);
  if (occurrence_table->count(w) == 0) set_entry(occurrence_table, w, 0, internal_name);
  int n = occurrence_table->at(w);
  for (int k = n; k >= 1; --k) copied_occurrence(*this, m, w, k, valued, type);
}

Signal::Signal(Signal& src, Module* m, Module* src_module) : Signal(src, m, m->getBddWood(), src_module) {}

// ----- occurrences -----

int Signal::getCurrentOccurrence(Bddexpressionwood* w) const {
  if (occurrence_table != nullptr) {
    auto it = occurrence_table->find(w);
    if (it != occurrence_table->end()) return it->second;
  }
  throw IllegalOperationException("Signal:getCurrentOccurrence: no current occurrence for the considered wood",
                                  internal_name);
}

void Signal::setCurrentOccurrence(Bddexpressionwood* w, int n) {
  if (occurrence_table != nullptr && occurrence_table->count(w) != 0) {
    set_entry(occurrence_table, w, n, internal_name);
    return;
  }
  throw IllegalOperationException("Signal::setCurrentOccurrence: no wood for signal", internal_name);
}

void Signal::extendCurrentOccurrenceTable(Bddexpressionwood* w, int n) {
  if (occurrence_table == nullptr) occurrence_table = newOccurrenceTable();
  set_entry(occurrence_table, w, n, internal_name);
}

Signal* Signal::newOccurrence(Bddexpressionwood* w, Module* m) {
  if (!is_local && !is_output) return this;
  int n = getCurrentOccurrence(w) + 1;
  SignalRef* current = getSignalRef(m, w);
  if (current == nullptr)
    throw IllegalOperationException("Signal::newOccurrence: no signal ref for the current occurrence", internal_name);
  bool valued = current->isValued();
  std::string type = valued ? current->getType() : std::string();
  setCurrentOccurrence(w, n);
  SignalManager* sm = m->getSignalManager();
  SignalRef* r = sm->getSignalRefByOccurrence(this, n);
  if (r != nullptr) {
    if (r->isDefinedWood(w))
      throw IllegalOperationException("Signal::newOccurrence: signal ref already exits for the current wood",
                                      internal_name);
    long sid = SignalRef::computeId("_s_" + r->current_name, w);
    long vid = SignalRef::computeId("_v_" + r->current_name, w);
    sm->extendSignalRef(sid, vid, r, w);
  } else {
    r = new SignalRef(original_name, internal_name, sm->freeOccurrenceName(internal_name, n), n, m, w, valued);
    r->setIsPre(true);
    if (valued) r->setType(type);
  }
  return this;
}

std::string Signal::getName(Module* m, Bddexpressionwood* w) const {
  int n = getCurrentOccurrence(w);
  return m->getSignalManager()->getOccurrenceName(internal_name, n);
}

std::string Signal::getName(Module* m) const { return getName(m, m->getBddWood()); }

// ----- references and variables -----

SignalRef* Signal::getSignalRef(SignalManager* sm, Bddexpressionwood* w) const {
  return sm->getSignalRefByOccurrence(this, getCurrentOccurrence(w));
}

SignalRef* Signal::getSignalRef(Module* m, Bddexpressionwood* w) const {
  return getSignalRef(m->getSignalManager(), w);
}

SignalRef* Signal::getSignalRef(Module* m) const { return getSignalRef(m, m->getBddWood()); }

SignalRef* Signal::getCurrentSignalRef(Bddexpressionwood* w, Module* m) const {
  std::string name = getName(m, w);
  SignalManager* sm = m->getSignalManager();
  std::unique_ptr<std::list<SignalRef*>> refs(sm->getAllSignalRef(this, w));
  if (!refs->empty()) return refs->front();
  std::ostringstream text;
  text << "Internal error in Signal::getCurrentSignalRef about " << name << "\n"
       << "Wood concernee:" << "\n"
       << *w << "\n"
       << "---------------------------------" << "\n";
  sm->printSignalTableById(text);
  g_exit(1, text.str());
}

// The reference of the occurrence recorded for w.
SignalRef* Signal::recordedRef(Module* m, Bddexpressionwood* w, const char* no_entry, const char* no_ref) const {
  if (occurrence_table == nullptr) throw IllegalOperationException(no_entry, internal_name);
  auto entry = occurrence_table->find(w);
  if (entry == occurrence_table->end()) throw IllegalOperationException(no_entry, internal_name);
  SignalRef* r = m->getSignalManager()->getSignalRefByOccurrence(this, entry->second);
  if (r == nullptr) throw IllegalOperationException(no_ref, getName(m, w));
  return r;
}

// The reference of occurrence 0.
SignalRef* Signal::initialRef(Module* m, Bddexpressionwood* w, const char* operation) const {
  SignalRef* r = m->getSignalManager()->getSignalRefByOccurrence(this, 0);
  if (r == nullptr) throw IllegalOperationException(operation, getName(m, w));
  return r;
}

long Signal::getBddStatusId(Module* m, Bddexpressionwood* w) const {
  SignalRef* r = recordedRef(m, w, "Signal::getBddStatusId: no current occurrence for this wood",
                             "Signal::getBddStatusId: no ref for signal");
  return r->isDefinedWood(w) ? r->getBddStatusId(w) : -1;
}

long Signal::getBddValueId(Module* m, Bddexpressionwood* w) const {
  SignalRef* r = recordedRef(m, w, "Signal::getBddValueId: no current occurrence for this wood",
                             "Signal::getBddValueId: no ref for signal");
  return r->isDefinedWood(w) ? r->getBddValueId(w) : -1;
}

long Signal::getInitialBddStatusId(Module* m, Bddexpressionwood* w) const {
  SignalRef* r = initialRef(m, w, "Signal::getBddStatusId:no signal ref for signal");
  return r->isDefinedWood(w) ? r->getBddStatusId(w) : -1;
}

long Signal::getInitialBddValueId(Module* m, Bddexpressionwood* w) const {
  SignalRef* r = initialRef(m, w, "Signal::getBddValueId:no signal ref for signal");
  return r->isDefinedWood(w) ? r->getBddValueId(w) : -1;
}

std::list<long> Signal::getAllBddId(Module* m, Bddexpressionwood* w) const {
  if (!is_local && !is_wire && !is_output) throw IllegalOperationException("Signal::getAllBddId", internal_name);
  int n = getCurrentOccurrence(w);
  std::list<long> ids;
  if (n == 0) {
    // getBddStatusId and getBddValueId with one look-up of the reference and its ids.
    SignalRef* r = recordedRef(m, w, "Signal::getBddStatusId: no current occurrence for this wood",
                               "Signal::getBddStatusId: no ref for signal");
    auto it = r->bdd_ids_wood.find(w);
    bool defined = it != r->bdd_ids_wood.end();
    ids.push_back(defined ? it->second.first : -1);
    ids.push_back(defined ? it->second.second : -1);
    return ids;
  }
  SignalManager* sm = m->getSignalManager();
  for (int k = 0; k <= n; ++k) {
    SignalRef* r = sm->getSignalRefByOccurrence(this, k);
    if (r == nullptr) throw IllegalOperationException(" Signal::getAllBddId: Unknown Signal Ref", internal_name);
    ids.push_back(r->getBddStatusId(w));
    ids.push_back(r->getBddValueId(w));
  }
  return ids;
}

std::string Signal::getStatusName(Module* m) const {
  Bddexpressionwood* w = m->getBddWood();
  return w->Name_var_by_index(getBddStatusId(m, w));
}

std::string Signal::getValueName(Module* m) const {
  Bddexpressionwood* w = m->getBddWood();
  return w->Name_var_by_index(getBddValueId(m, w));
}

// ----- rails -----

// The highest occurrence defined for w.
SignalRef* Signal::railRef(Module* m, Bddexpressionwood* w, const char* operation) const {
  SignalRef* r = m->getSignalManager()->getCurrentOccurrence(this, w);
  if (r == nullptr) throw IllegalOperationException(operation, getName(m, w));
  return r;
}

bdd Signal::getBddStatus(Module* m, Bddexpressionwood* w) {
  SignalRef* r = railRef(m, w, "Signal::getBddStatus:no signal ref for signal");
  return w->Bdd_var_by_index(r->getBddStatusId(w));
}

bdd Signal::getBddValue(Module* m, Bddexpressionwood* w) {
  SignalRef* r = railRef(m, w, "Signal::getBddValue:no signal ref for signal");
  return w->Bdd_var_by_index(r->getBddValueId(w));
}

bdd Signal::getInitialBddStatus(Module* m, Bddexpressionwood* w) {
  SignalRef* r = initialRef(m, w, "Signal::getBddStatus:no signal ref for signal");
  return w->Bdd_var_by_index(r->getBddStatusId(w));
}

bdd Signal::getInitialBddValue(Module* m, Bddexpressionwood* w) {
  SignalRef* r = initialRef(m, w, "Signal::getBddValue:no signal ref for signal");
  return w->Bdd_var_by_index(r->getBddValueId(w));
}

Expression* Signal::duplicate() { return new Signal(*this); }

Expression* Signal::buildCurrentExpression(EquationTable*, Module*) { return this; }

// ----- kinds and values -----

int Signal::computeStatusType() const {
  if (is_input) return Compilation::SINPUT;
  if (is_output) return Compilation::SOUTPUT;
  if (is_register) return Compilation::SREG;
  if (is_clock) return Compilation::SCLOCK;
  if (is_wire) return Compilation::SWIRE;
  return Compilation::STAT;
}

int Signal::computeValueType() const {
  if (is_input) return Compilation::VINPUT;
  if (is_output) return Compilation::VOUTPUT;
  if (is_register) return Compilation::VREG;
  if (is_clock) return Compilation::VCLOCK;
  if (is_wire) return Compilation::VWIRE;
  return Compilation::VAL;
}

// The reference of the current occurrence in w, which the value operations require.
SignalRef* Signal::existingRef(Module* m, Bddexpressionwood* w, const char* operation) const {
  SignalRef* r = getSignalRef(m, w);
  if (r == nullptr) throw IllegalOperationException(operation, getName(m, w));
  return r;
}

std::string Signal::getValueType(Module* m) const {
  return existingRef(m, m->getBddWood(), "Signal::getValueType: no signal ref for signal")->getType();
}

void Signal::setValueType(const std::string& type, Module* m) { setValueType(type, m, m->getBddWood()); }

void Signal::setValueType(const std::string& type, Module* m, Bddexpressionwood* w) {
  SignalRef* r = existingRef(m, w, "Signal::setValueType: no signal ref for signal");
  r->setType(type);
  r->setIsValued(true);
}

bool Signal::isValued(Module* m, Bddexpressionwood* w) const {
  return existingRef(m, w, "Signal::isValued: no signal ref for signal")->isValued();
}

bool Signal::isValued(Module* m) const { return isValued(m, m->getBddWood()); }

// ----- text -----

void Signal::printSignalOccurrence(std::ostream& os) const {
  os << internal_name << ":";
  if (occurrence_table != nullptr)
    for (auto& entry : *occurrence_table)
      os << "  wood:" << static_cast<const void*>(entry.first) << "  nb occurrence:" << entry.second << "; ";
  os << std::endl;
}

std::ostream& operator<<(std::ostream& os, Signal const* s) { return os << "{" << s->internal_name << "}"; }
