#include "module.h"

#include <cstdlib>
#include <iostream>
#include <string>

#include "Bddexpression.h"
#include "equationtable.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"

// ----- environment -----

std::string my_getenv(const char* variable) {
  if (variable == nullptr) return "./";
  const char* value = std::getenv(variable);
  return value != nullptr ? std::string(value) : std::string("./");
}

// ----- registers -----

regclass::regclass(Signal* actual, Signal* next, int initially_true)
    : internal_actual_var(actual), internal_next_var(next), internal_is_initialy_true(initially_true) {}

bool regclass::operator==(const regclass& r) const {
  return internal_actual_var == r.internal_actual_var && internal_next_var == r.internal_next_var &&
         internal_is_initialy_true == r.internal_is_initialy_true;
}

std::ostream& operator<<(std::ostream& os, const regclass& r) {
  if (r.next_var() != nullptr)
    os << r.next_var()->getInternalName() << ' ';
  else
    os << "? ";
  if (r.actual_var() != nullptr)
    os << r.actual_var()->getInternalName() << ' ';
  else
    os << "? ";
  os << (r.is_initialy_true() != 0 ? "1" : "0");
  return os;
}

// ----- module settings -----

std::string Module::SimulationDir = my_getenv("/tmp");
std::string Module::SimulationJxcDir = ".";
std::string Module::OutputDir = ".";
std::string Module::OutputFile;
std::list<std::string>* Module::CompilationFileList = nullptr;

int Module::PauseNumber = 0;
int Module::NothingNumber = 0;
int Module::HaltNumber = 0;
int Module::ParallelNumber = 0;
int Module::SequenceNumber = 0;
int Module::PresentNumber = 0;
int Module::LoopNumber = 0;
int Module::LocalNumber = 0;
int Module::WaitNumber = 0;
int Module::AbortNumber = 0;
int Module::EmitNumber = 0;
int Module::NoEmitNumber = 0;
int Module::SustainUntilNumber = 0;
int Module::RunNumber = 0;
int Module::SustainNumber = 0;
int Module::AutomatonNumber = 0;
int Module::MealyMachineNumber = 0;
int Module::TransitionNumber = 0;

namespace {

int next_int(int n) { return static_cast<int>(static_cast<unsigned>(n) + 1u); }

// The first signal of the list whose name (by the given accessor) is name; a null list holds none.
template <typename Key>
Signal* find_in(const std::list<Signal*>* l, const std::string& name, Key key) {
  if (l == nullptr) return nullptr;
  for (Signal* s : *l)
    if (s != nullptr && key(s) == name) return s;
  return nullptr;
}

const std::string& original_of(const Signal* s) { return s->getOriginalName(); }
const std::string& internal_of(const Signal* s) { return s->getInternalName(); }

}  // namespace

// ----- construction -----

Module::Module(const std::string& n)
    : name(n),
      input_signal_list(new std::list<Signal*>),
      output_signal_list(new std::list<Signal*>),
      local_signal_list(new std::list<Signal*>),
      data_signal_list(new std::list<Signal*>),
      register_list(new std::list<regclass*>),
      local_stack(new std::list<Scope*>),
      signal_manager(new SignalManager) {
  compilation = new EquationTable(name, new Bddexpressionwood());
}

Module::Module(const std::string& n, std::list<Signal*>* inputs, std::list<Signal*>* outputs,
               std::list<Signal*>* locals, std::list<Signal*>* data_signals, std::list<regclass*>* registers,
               std::list<Signal*>* wires, Bddexpressionwood* wood)
    : name(n),
      input_signal_list(inputs),
      output_signal_list(outputs),
      local_signal_list(locals),
      data_signal_list(data_signals),
      register_list(registers),
      current_instance(0) {
  if (wires == nullptr || wires->size() < 3)
    throw IllegalOperationException("Module::Module: fewer than three wires", name);
  auto it = wires->begin();
  set_wire = *it++;
  reset_wire = *it++;
  rtl_wire = *it;
  if (register_list != nullptr) {
    for (regclass* r : *register_list) {
      if (r == nullptr || r->actual_var() == nullptr)
        throw IllegalOperationException("Register not declared local! ", "");
      if (r->next_var() == nullptr) throw IllegalOperationException("Register not declared local: ", "");
      r->actual_var()->is_wire = true;
      r->actual_var()->is_register = true;
      r->next_var()->is_wire = true;
      r->next_var()->is_register = true;
    }
  }
  signal_manager = new SignalManager;
  compilation = new EquationTable(name, wood);
}

Module::~Module() {
  if (compilation == nullptr) return;
  // Through the signal manager, so that no reference or signal keeps an entry for it.
  Bddexpressionwood* w = compilation->getBddexpressionWood();
  if (signal_manager != nullptr)
    signal_manager->deleteWood(w);
  else
    delete w;
  compilation->setBddexpressionWood(nullptr);
}

Bddexpressionwood* Module::getBddWood() const {
  return compilation != nullptr ? compilation->getBddexpressionWood() : nullptr;
}

// ----- signal look-ups -----

Signal* Module::getInputSignal(const std::string& n) const { return input_index.find(input_signal_list, n, original_of); }

Signal* Module::getOutputSignal(const std::string& n) const {
  return output_index.find(output_signal_list, n, original_of);
}

Signal* Module::getLocalSignal(const std::string& n) const { return local_index.find(local_signal_list, n, internal_of); }

const std::vector<Signal*>& Module::plainLocals() const {
  PlainLocals& p = plain_locals;
  if (local_signal_list == nullptr) {
    p = PlainLocals();
    return p.locals;
  }
  bool restart = false;
  auto it = p.tail.unread(local_signal_list, restart);
  if (restart) p.locals.clear();
  for (; it != local_signal_list->end(); ++it)
    if (*it != nullptr && !(*it)->is_wire && !(*it)->is_value) p.locals.push_back(*it);
  p.tail.read(local_signal_list);
  return p.locals;
}

std::list<Signal*>::const_iterator Module::ListTail::unread(const std::list<Signal*>* l, bool& restart) {
  size_t now = l->size();
  auto it = l->end();
  bool valid = list == l && now >= size && (size == 0 || l->front() == front);
  if (valid && size > 0) {
    for (size_t k = size; k <= now; ++k) --it;  // to the last element read
    valid = *it == back;
    ++it;
  }
  restart = !valid;
  if (restart) *this = ListTail();
  return size == 0 ? l->begin() : it;
}

void Module::ListTail::read(const std::list<Signal*>* l) {
  list = l;
  size = l->size();
  front = size > 0 ? l->front() : nullptr;
  back = size > 0 ? l->back() : nullptr;
}

// Elements appended since the last look-up are indexed from the tail; a list that was
// replaced or filtered is indexed again whole.
void Module::NameIndex::sync(const std::list<Signal*>* l, SignalKey key) {
  if (l == nullptr) {
    first.clear();
    tail = ListTail();
    return;
  }
  bool restart = false;
  auto it = tail.unread(l, restart);
  if (restart) first.clear();
  for (; it != l->end(); ++it)
    if (*it != nullptr) first.emplace(key(*it), *it);
  tail.read(l);
}

Signal* Module::NameIndex::find(const std::list<Signal*>* l, const std::string& name, SignalKey key) {
  sync(l, key);
  auto it = first.find(name);
  return it != first.end() ? it->second : nullptr;
}

void Module::syncLocalIndex() const { local_index.sync(local_signal_list, internal_of); }

Signal* Module::signalWithoutOccurrenceTable() const {
  const std::list<Signal*>* lists[4] = {input_signal_list, output_signal_list, data_signal_list, local_signal_list};
  if (drops_checked != Signal::droppedTables()) {
    for (ListTail& t : with_tables) t = ListTail();
    drops_checked = Signal::droppedTables();
  }
  for (int i = 0; i < 4; ++i) {
    const std::list<Signal*>* l = lists[i];
    if (l == nullptr) continue;
    bool restart = false;
    for (auto it = with_tables[i].unread(l, restart); it != l->end(); ++it)
      if (*it != nullptr && (*it)->occurrence_table == nullptr) return *it;
    with_tables[i].read(l);
  }
  return nullptr;
}

Signal* Module::getDataSignal(const std::string& n) const { return data_index.find(data_signal_list, n, internal_of); }

Signal* Module::getSignal(const std::string& n) const {
  Signal* s = getInputSignal(n);
  if (s == nullptr) s = getOutputSignal(n);
  if (s == nullptr) s = getDataSignal(n);
  if (s == nullptr) s = getLocalSignal(n);
  return s;
}

Signal* Module::getSignalFromInternalName(const std::string& n) const {
  Signal* s = input_internal_index.find(input_signal_list, n, internal_of);
  if (s == nullptr) s = output_internal_index.find(output_signal_list, n, internal_of);
  if (s == nullptr) s = getDataSignal(n);
  if (s == nullptr) s = getLocalSignal(n);
  return s;
}

Signal* Module::getRenamedSignal(const std::string& n, std::list<Local*>* scopes) const {
  if (scopes == nullptr) return nullptr;
  for (Local* l : *scopes) {
    if (l == nullptr) continue;
    Signal* s = find_in(l->getSignalList(), n, original_of);
    if (s != nullptr) return s;
  }
  return nullptr;
}

Signal* Module::getInputRenamedSignal(const std::string& n, std::list<Local*>* scopes) const {
  Signal* s = getRenamedSignal(n, scopes);
  return s != nullptr ? s : getInputSignal(n);
}

Signal* Module::getOutputRenamedSignal(const std::string& n, std::list<Local*>* scopes) const {
  Signal* s = getRenamedSignal(n, scopes);
  return s != nullptr ? s : getOutputSignal(n);
}

Signal* Module::getValuedRenamedSignal(const std::string& n, std::list<Local*>* scopes) const {
  Signal* s = getRenamedSignal(n, scopes);
  if (s == nullptr) s = getInputSignal(n);
  if (s == nullptr) s = getOutputSignal(n);
  return s;
}

Signal* Module::getStackLocalSignal(const std::string& n) const {
  if (local_stack == nullptr) return nullptr;
  for (Scope* scope : *local_stack) {
    if (scope == nullptr) continue;
    auto it = scope->find(n);
    if (it != scope->end()) return it->second;
  }
  return nullptr;
}

// ----- look-ups by variable id -----

Signal* Module::getSignalById(long id, Bddexpressionwood* wood) const {
  SignalRef* r = signal_manager->getSignalRefById(id, wood);
  if (r == nullptr) return nullptr;
  // Inputs and outputs match by original name: a renamed one is found by its internal name.
  Signal* s = getSignal(r->getInternalName());
  return s != nullptr ? s : getSignalFromInternalName(r->getInternalName());
}

std::string Module::getSignalNameById(long id, Bddexpressionwood* wood) const {
  SignalRef* r = signal_manager->getSignalRefById(id, wood);
  if (r == nullptr)
    throw IllegalOperationException("Module::getSignalNameById: no signal reference for this bdd id",
                                    std::to_string(id));
  return r->getCurrentName();
}

long Module::getOtherBddId(long id, Bddexpressionwood* wood) const {
  SignalRef* r = signal_manager->getSignalRefById(id, wood);
  if (r == nullptr)
    throw IllegalOperationException("Module::getOtherBddId: no signal in table for this bdd id:",
                                    std::to_string(id));
  long value_id = r->getBddValueId(wood);
  return id != value_id ? value_id : r->getBddStatusId(wood);
}

// ----- registers and signals -----

void Module::addRegisterSignal(Signal* current, Signal* next) { addRegisterSignal(current, next, 0); }

void Module::addRegisterSignal(Signal* current, Signal* next, int initially_true) {
  addRegisterSignal(new regclass(current, next, initially_true));
}

void Module::addRegisterSignal(regclass* r) {
  if (register_list == nullptr) register_list = new std::list<regclass*>;
  register_list->push_back(r);
}

void Module::addRegisterDecl(const char* current, int initially_true, const char* next) {
  Bddexpressionwood* w = getBddWood();
  Signal* cur = new Signal(std::string(current), this, w, true);
  Signal* nxt = new Signal(std::string(next), this, w, true);
  for (Signal* s : {cur, nxt}) {
    s->is_local = true;
    s->is_input = false;
    s->is_output = false;
  }
  addLocalSignal(cur);
  addLocalSignal(nxt);
  addRegisterSignal(cur, nxt, initially_true);
}

void Module::addLocalSignal(Signal* s) {
  if (local_signal_list == nullptr) local_signal_list = new std::list<Signal*>;
  const std::string& key = s->getInternalName();
  syncLocalIndex();
  if (local_index.first.count(key) != 0) {
    local_signal_list->remove_if([&key](Signal* l) { return l != nullptr && l->getInternalName() == key; });
    local_index.tail.list = nullptr;  // indexed again at the next look-up
    with_tables[3].list = nullptr;
    plain_locals.tail.list = nullptr;
  }
  local_signal_list->push_back(s);
}

std::string Module::generateName(const char* prefix, int& counter) const {
  std::string result = name;
  if (prefix != nullptr) result += std::string(prefix) + "_" + std::to_string(counter);
  counter = next_int(counter);
  return result;
}

void Module::incrCurrentInstance() { current_instance = next_int(current_instance); }

// ----- module table -----

ModuleTable::ModuleTable() : table(new std::map<std::string, Module*>), out(&std::cout) {}

ModuleTable::~ModuleTable() { delete table; }

Module* ModuleTable::get(const std::string& n) const {
  auto it = table->find(n);
  return it != table->end() ? it->second : nullptr;
}

void ModuleTable::add(Module* m) { add(m->getName(), m); }

void ModuleTable::add(const std::string& n, Module* m) {
  if (!table->emplace(n, m).second) throw HashTableAddException(n);
}
