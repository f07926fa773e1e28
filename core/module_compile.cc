// Compile pipeline of a module: compile environment, body compilation, ordering,
// cleaning passes and finalisation.
#include <iostream>
#include <list>
#include <memory>
#include <set>
#include <string>

#include "Bddexpression.h"
#include "Stringpp.h"
#include "compilation.h"
#include "deep_stack.h"
#include "equationtable.h"
#include "g_messages.h"
#include "module.h"
#include "data.h"
#include "module_signal.h"
#include "refusal.h"
#include "sexception.h"
#include "signal_manager.h"
#include "statement.h"

namespace {

// Kinds that the cleaning passes never remove.
std::list<int> keep_kinds() {
  return {Compilation::SINPUT, Compilation::VINPUT, Compilation::SOUTPUT, Compilation::VOUTPUT,
          Compilation::SREG,   Compilation::VREG,   Compilation::SCLOCK,  Compilation::VCLOCK};
}

void report(const std::string& text) { fl_report_S(forms_box_kind::message, text); }

// (status id, value id) pairs of every occurrence of s.
std::list<std::pair<long, long>> occurrence_pairs(const Signal* s, Module* m, Bddexpressionwood* w) {
  std::list<long> ids = s->getAllBddId(m, w);
  std::list<std::pair<long, long>> pairs;
  for (auto it = ids.begin(); it != ids.end();) {
    long sid = *it++;
    long vid = it != ids.end() ? *it++ : -1;
    pairs.emplace_back(sid, vid);
  }
  return pairs;
}

// The signals of l, none when l is null.
const std::list<Signal*>& listed(const std::list<Signal*>* l) {
  static const std::list<Signal*> none;
  return l != nullptr ? *l : none;
}

void append_ids(std::list<long>& to, const std::list<Signal*>* signals, Module* m, Bddexpressionwood* w) {
  for (Signal* s : listed(signals)) {
    std::list<long> ids = s->getAllBddId(m, w);
    to.insert(to.end(), ids.begin(), ids.end());
  }
}

bool is_constant(Bddexpressionwood* w, Bddexpression* e, int value) {
  return e != nullptr && bdd_initialised(e->bdd_exp) && w->Bdd_is_tautology(e->bdd_exp, value) != 0;
}

}  // namespace

// ----- compile -----

void Module::createCompileEnv() {
  Bddexpressionwood* w = getBddWood();
  set_wire = new Signal("SET" + name, this, w);
  reset_wire = new Signal("RESET" + name, this, w);
  rtl_wire = new Signal("RTL" + name, this, w);

  // The first occurrence of s is tied to a new bottom occurrence that the body extends.
  auto open = [&](Signal* s, const char* error_text) {
    SignalRef* r = s->getSignalRef(this, w);
    if (r == nullptr) throw IllegalOperationException(error_text, s->getName(this, w));
    s->newOccurrence(w, this);
    compilation->createBottomEquation(s, this);
    SignalRef* c = s->getSignalRef(this, w);
    if (c == nullptr || c == r) return;  // no occurrence could be opened: keep the bottom rails
    w->enter(s->getInternalName(), w, w->Bdd_var_by_index(r->getBddStatusId(w)),
             w->Bdd_var_by_index(c->getBddStatusId(w)), 0, 0, s->computeStatusType());
    w->enter(s->getInternalName(), w, w->Bdd_var_by_index(r->getBddValueId(w)),
             w->Bdd_var_by_index(c->getBddValueId(w)), 0, 0, s->computeValueType());
  };

  if (output_signal_list == nullptr) return;
  for (Signal* o : *output_signal_list) {
    open(o, "Module::createCompileEnv: undefined output signal");
    SignalRef* r = o->getSignalRef(this, w);
    // A value signal in the output list (a valued sustain or Mealy equation of an output)
    // is itself bound: nothing is clocked by it, so it has no bindings to open.
    if (r == nullptr || !r->isValued() || o->isValue()) continue;
    // An output emitted only through a run, or never, has no binding of its own yet.
    std::unique_ptr<std::list<DataBinding*>> bound(getDataBindingByClock(o));
    if (bound == nullptr) continue;
    for (DataBinding* b : *bound) open(b->getSignal(), "Module::createCompileEnv: undefined signal");
  }
}

void Module::compile() {
  run_on_deep_stack([this] { compile_body(); });
}

void Module::compile_body() {
  CompileScope scope(name);
  createCompileEnv();
  if (statement == nullptr) throw IllegalOperationException("Module::compile: no body statement", name);
  struct Compiling {
    bool& flag;
    ~Compiling() { flag = false; }
  } compiling_now{compiling};
  compiling = true;
  statement->compile(this, compilation);
  statement->connectExternalWires(this);
  sortCode();
  reincarnate = statement->reincarnate();
}

void Module::sortCode() {
  Bddexpressionwood* w = getBddWood();
  std::list<long> ids;
  append_ids(ids, local_signal_list, this, w);
  append_ids(ids, output_signal_list, this, w);
  if (statement != nullptr && statement->getPertLevel() != 0) return;
  long levels = compilation->callPert(ids);
  if (statement != nullptr) statement->setPertLevel(levels);
}

void Module::check_over_knowledge() {
  Bddexpressionwood* w = getBddWood();
  bdd error = w->Bdd_zero();
  for (Signal* o : listed(output_signal_list)) {
    for (const auto& p : occurrence_pairs(o, this, w)) {
      if (p.first < 0) continue;
      Bddexpression* st = w->slot(p.first);
      Bddexpression* va = w->slot(p.second);
      if (st == nullptr || va == nullptr || !bdd_initialised(st->bdd_exp) || !bdd_initialised(va->bdd_exp)) continue;
      error = w->Bdd_or(error, w->Bdd_and(st->bdd_exp, va->bdd_exp));
    }
  }
  Signal* s = new Signal("OverKnowledgeError", this, w);
  s->is_output = true;
  addOutputSignal(s);
  compilation->createBottomEquation(s, this);
  w->enter(s->getInternalName(), w, w->Bdd_var_by_index(s->getBddStatusId(this, w)), error, 0, 0, Compilation::SOUTPUT);
  w->enter(s->getInternalName(), w, w->Bdd_var_by_index(s->getBddValueId(this, w)), w->Bdd_not(error), 0, 0,
           Compilation::VOUTPUT);
}

// ----- cleaning -----

void Module::clean() {
  if (Compilation::KeepWiresFlag) return;
  std::list<int> keep = keep_kinds();
  getBddWood()->suppress_wires(keep);
  suppress_useless_registers();
  clean_locals();
}

void Module::suppress_useless_registers() {
  if (register_list == nullptr) return;
  Bddexpressionwood* w = getBddWood();
  std::list<int> keep = keep_kinds();
  std::list<regclass*> kept;
  for (regclass* r : *register_list) {
    long next_id = r->next_var() != nullptr ? r->next_var()->getBddStatusId(this, w) : -1;
    Bddexpression* e = w->slot(next_id);
    if (e == nullptr) {
      report("internal error 2 in Module::suppress_useless_registers() about index:" + long2S(next_id));
      continue;
    }
    int initial = r->is_initialy_true() != 0 ? 1 : 0;
    if (!is_constant(w, e, initial)) {
      kept.push_back(r);
      continue;
    }
    Signal* current = r->actual_var();
    std::cout << "detecting useless register " << (current != nullptr ? current->getName(this, w) : "?")
              << std::endl;
    long v = current != nullptr ? current->getBddStatusId(this, w) : -1;
    if (v < 0 || v >= w->Nb_bdd_vars()) {
      report("internal error 1 in Module::suppress_useless_registers(void)");
      continue;
    }
    bdd var = w->Bdd_var_by_index(v);
    w->reduce_expressions(initial != 0 ? var : w->Bdd_not(var), keep);
  }
  *register_list = kept;
}

void Module::clean_locals() {
  Bddexpressionwood* w = getBddWood();
  if (local_signal_list == nullptr || w == nullptr) return;
  auto read = [&](long id) { return w->valid_id(id) && !w->readers(id).empty(); };
  std::list<Signal*> kept;
  for (Signal* s : *local_signal_list) {
    SignalRef* r = s->getSignalRef(this, w);
    bool keep = s->is_register || s->is_value || s->is_clock || (r != nullptr && r->isValued());
    // Any occurrence read keeps the signal: its declaration carries all of them.
    if (!keep)
      for (long id : s->getAllBddId(this, w))
        if (read(id)) {
          keep = true;
          break;
        }
    if (keep) kept.push_back(s);
  }
  *local_signal_list = kept;
}

void Module::constants_propagation() {
  std::list<int> none;
  getBddWood()->constants_propagation(none);
}

// ----- finalisation -----

void Module::finalize(int keep_rtl) {
  run_on_deep_stack([this, keep_rtl] { finalize_body(keep_rtl); });
}

namespace {

// Inputs and data signals: a present pure input reads true. The data signals of a module
// run twice share their original name: the second keeps its own.
void learn_inputs(Module* m, Bddexpressionwood* w) {
  std::set<std::string> given;
  for (std::list<Signal*>* l : {m->input_signal_list, m->data_signal_list})
    for (Signal* s : listed(l)) {
      long sid = s->getInitialBddStatusId(m, w);
      long vid = s->getInitialBddValueId(m, w);
      if (sid < 0 || vid < 0) continue;
      w->enter(s->getInternalName(), w, w->Bdd_var_by_index(vid), w->Bdd_not(w->Bdd_var_by_index(sid)), 0, 0,
               Compilation::VINPUT);
      if (given.insert(s->getOriginalName()).second)
        w->my_bdd_manager()->Rename_var(s->getOriginalName(), w->Name_var_by_index(sid));
    }
}

void status_from_value(Bddexpressionwood* w, Signal* s, long sid, long vid) {
  report("***Warning: Finalize: no status expression and a value expression for:" + w->Name_var_by_index(vid) +
         "!!!\n => changing status equation ...\n");
  w->enter(s->getInternalName(), w, w->Bdd_var_by_index(sid), w->Bdd_not(w->Bdd_var_by_index(vid)), 0, 0,
           s->computeValueType());
}

// Each occurrence of an output or a local with one rail only gets the other from it.
void complete_rails(Module* m, Bddexpressionwood* w) {
  for (Signal* o : listed(m->output_signal_list)) {
    for (const auto& p : occurrence_pairs(o, m, w)) {
      long sid = p.first, vid = p.second;
      if (sid < 0) continue;
      Bddexpression* st = w->slot(sid);
      Bddexpression* va = w->slot(vid);
      if (va == nullptr) {
        w->enter(o->getInternalName(), w, w->Bdd_var_by_index(vid), w->Bdd_not(w->Bdd_var_by_index(sid)), 0, 0,
                 o->computeValueType());
      } else if (st != nullptr) {
        if (is_constant(w, st, 0) && is_constant(w, va, 0))
          w->enter(o->getInternalName(), w, w->Bdd_var_by_index(vid), w->Bdd_one(), 0, 0, va->getUserType());
      } else {
        status_from_value(w, o, sid, vid);
      }
    }
    long initial = o->getInitialBddStatusId(m, w);
    if (initial >= 0) w->my_bdd_manager()->Rename_var(o->getOriginalName(), w->Name_var_by_index(initial));
  }
  for (Signal* l : listed(m->local_signal_list)) {
    for (const auto& p : occurrence_pairs(l, m, w)) {
      long sid = p.first, vid = p.second;
      if (sid < 0) continue;
      if (w->slot(vid) == nullptr)
        w->enter(l->getInternalName(), w, w->Bdd_var_by_index(vid), w->Bdd_not(w->Bdd_var_by_index(sid)), 0, 0,
                 l->computeValueType());
      else if (w->slot(sid) == nullptr && !l->is_register)
        status_from_value(w, l, sid, vid);
    }
  }
}

// A signal's two rails made constants.
void learn_constant(Bddexpressionwood* w, Module* m, Signal* s, const bdd& status, const bdd& value) {
  w->enter(s->getInternalName(), w, w->Bdd_var_by_index(s->getBddStatusId(m, w)), status, 0, 0, s->computeStatusType());
  w->enter(s->getInternalName(), w, w->Bdd_var_by_index(s->getBddValueId(m, w)), value, 0, 0, s->computeValueType());
}

// Boot register: raises Set in the first reaction only, never Reset. Its two variables are
// the first of the ids kept.
std::list<long> add_boot_register(Module* m, Bddexpressionwood* w) {
  Signal* boot = new Signal("boot", m, w, true);
  Signal* bootplus = new Signal("bootplus", m, w, true);
  if (m->register_list == nullptr) m->register_list = new std::list<regclass*>;
  m->register_list->push_back(new regclass(boot, bootplus, 1));
  if (m->local_signal_list == nullptr) m->local_signal_list = new std::list<Signal*>;
  m->local_signal_list->push_back(boot);
  m->local_signal_list->push_back(bootplus);
  std::list<long> kept_ids{w->Index_var_by_name("_s_boot"), w->Index_var_by_name("_s_bootplus")};
  if (Signal* set = m->set_wire) {
    long sid = set->getBddStatusId(m, w);
    w->enter(set->getInternalName(), w, w->Bdd_var_by_index(sid), boot->getBddStatus(m, w), 0, 0,
             set->computeStatusType());
    w->enter(set->getInternalName(), w, w->Bdd_var_by_index(set->getBddValueId(m, w)),
             w->Bdd_not(w->Bdd_var_by_index(sid)), 0, 0, set->computeValueType());
  }
  if (m->reset_wire != nullptr) learn_constant(w, m, m->reset_wire, w->Bdd_zero(), w->Bdd_one());
  learn_constant(w, m, bootplus, w->Bdd_zero(), w->Bdd_one());
  return kept_ids;
}

// What the cleaning keeps besides the boot register: the inputs' status, both rails of an
// output (a constant value rail that nothing reads, a pure output's, is still what the
// simulator and the writers read), the locals and, asked for, the RTL wire's status.
void keep_interface(Module* m, Bddexpressionwood* w, int keep_rtl, std::list<long>& kept_ids) {
  for (Signal* s : listed(m->input_signal_list)) kept_ids.push_back(s->getInitialBddStatusId(m, w));
  for (Signal* s : listed(m->output_signal_list)) {
    kept_ids.push_back(s->getInitialBddStatusId(m, w));
    kept_ids.push_back(s->getInitialBddValueId(m, w));
  }
  append_ids(kept_ids, m->local_signal_list, m, w);
  if (keep_rtl != 0 && m->rtl_wire != nullptr) kept_ids.push_back(m->rtl_wire->getBddStatusId(m, w));
}

}  // namespace

void Module::finalize_body(int keep_rtl) {
  if (finalised != 0) return;  // a second pass would add another boot register
  finalised = 1;
  Bddexpressionwood* w = getBddWood();
  w->settle();  // exact reader table for the passes below
  learn_inputs(this, w);
  complete_rails(this, w);
  std::list<int> keep = keep_kinds();
  w->constants_propagation(keep);
  clean();
  std::list<long> kept_ids = add_boot_register(this, w);
  keep_interface(this, w, keep_rtl, kept_ids);
  w->clean(kept_ids);
  std::list<long> order;
  append_ids(order, local_signal_list, this, w);
  append_ids(order, output_signal_list, this, w);
  w->compute_dates(order);
  replace_at_in_name_variables();
  loose_first_underscore_in_name_variables();
}

void Module::learnStatusWireAssertion() {
  Bddexpressionwood* w = getBddWood();
  bdd assertion = w->Bdd_one();
  for (Signal* s : listed(local_signal_list))
    if (s->is_wire) assertion = w->Bdd_and(assertion, s->getBddStatus(this, w));
  for (long id : id_bits(w->ens_exp)) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr || !bdd_initialised(e->bdd_exp)) continue;
    w->enter(e->my_name(), w, e->bdd_var, w->Bdd_reduce(e->bdd_exp, assertion), 0, 0, e->getUserType());
  }
}

void Module::update_user_type() {
  Bddexpressionwood* w = getBddWood();
  auto set_kind = [&](long id, int kind) {
    if (Bddexpression* e = w->slot(id)) e->setUserType(kind);
  };
  for (Signal* o : listed(output_signal_list)) {
    set_kind(o->getInitialBddStatusId(this, w), Compilation::SOUTPUT);
    set_kind(o->getInitialBddValueId(this, w), Compilation::VOUTPUT);
  }
  for (Signal* l : listed(local_signal_list)) {
    if (!l->is_register) continue;
    for (const auto& p : occurrence_pairs(l, this, w)) {
      if (p.first < 0) continue;
      set_kind(p.first, Compilation::SREG);
      set_kind(p.second, Compilation::VREG);
    }
  }
}

bdd Module::associate_bdd_state(int state) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) return bdd();
  if (register_list == nullptr) return w->Bdd_zero();
  unsigned bits = static_cast<unsigned>(state);
  bdd result = w->Bdd_one();
  for (regclass* r : *register_list) {
    bdd v = r->actual_var()->getBddStatus(this, w);
    result = w->Bdd_and(result, (bits & 1u) != 0 ? v : w->Bdd_not(v));
    bits >>= 1;
  }
  return result;
}

int Module::possible_transitions(bdd state, bdd*) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) return 0;
  int shared = w->get_common_bdd_manager();
  w->set_common_bdd_manager(1);
  {
    Bddexpressionwood copy(w);
    copy.reduce_expressions(state);
  }
  w->set_common_bdd_manager(shared);
  return 0;
}

void Module::replace_at_in_name_variables() {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  w->my_bdd_manager()->Replace_char_in_all_names('@', '_');
}

void Module::loose_first_underscore_in_name_variables() {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  w->my_bdd_manager()->No_begin_underscore_name();
}
