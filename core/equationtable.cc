#include "equationtable.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <map>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "expression.h"
#include "g_exit.h"
#include "g_messages.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {

// f reaches a node through a plain or complemented link, whatever its manager (bdd_initialised
// asks for a manager and a node, not for the link).
bool links_a_node(const bdd& f) { return f.node() != nullptr && f.link_type() != 0; }

bool has_entry(const Signal* s, Bddexpressionwood* w) {
  return s->occurrence_table != nullptr && s->occurrence_table->count(w) != 0;
}

// The signal of m whose occurrence 0 owns variable id of w: through the signal manager when
// a reference owns the id, else by the occurrence name (the variable name less its prefix).
Signal* signal_of_variable(Module* m, Bddexpressionwood* w, long id, const std::string& occurrence) {
  if (SignalRef* r = m->getSignalManager()->getSignalRefById(id, w)) {
    if (r->getCurrentOccurrence() != 0) return nullptr;
    Signal* s = m->getSignalFromInternalName(r->getInternalName());
    return s != nullptr ? s : m->getSignal(r->getInternalName());
  }
  Signal* s = m->getSignal(occurrence);
  return s != nullptr ? s : m->getSignalFromInternalName(occurrence);
}

// Whether s is an output or plain local whose occurrence 0 pre has chained in w to later
// occurrences (status OR, value AND of theirs).
bool chained_by_pre(const Signal* s, Bddexpressionwood* w) {
  if (s == nullptr || !has_entry(s, w) || s->getCurrentOccurrence(w) == 0) return false;
  return s->is_output || (s->is_local && !s->is_wire && !s->is_value);
}

// s's current occurrence in w raised to `there` (its current occurrence in the other system of
// a merge), never lowered: the merged system goes on from the later of the two branches.
void raise_current_occurrence(Signal* s, Bddexpressionwood* w, int there) {
  if (!has_entry(s, w) || s->getCurrentOccurrence(w) < there) s->extendCurrentOccurrenceTable(w, there);
}

// Index of the variable called name in w, created last when absent.
long find_or_append(Bddexpressionwood* w, const std::string& name) {
  long i = w->Index_var_by_name(name);
  if (i < 0) i = w->Index_var_by_bdd(w->New_var_last(name));
  return i;
}

// r gets the variables of the occurrence called name in w, found or created last.
void give_variables(SignalManager* sm, SignalRef* r, Bddexpressionwood* w, const std::string& name) {
  long sid = find_or_append(w, "_s_" + name);
  long vid = find_or_append(w, "_v_" + name);
  sm->extendSignalRef(sid, vid, r, w);
}

}  // namespace

EquationTable::EquationTable() : bdd_expression_wood(nullptr) {}

EquationTable::EquationTable(const std::string& name) : bdd_expression_wood(nullptr), module_name(name) {}

EquationTable::EquationTable(Bddexpressionwood* wood) : bdd_expression_wood(wood) {}

EquationTable::EquationTable(const std::string& name, Bddexpressionwood* wood)
    : bdd_expression_wood(wood), module_name(name) {}

// ----- equations of one signal -----

void EquationTable::createEquation(Signal* s, Expression* e, Module* m) { createEquation(s, e, m, false); }

// Right sides and variables are read into named temporaries, status before value: node ids
// follow the order in which the BDDs are built.
void EquationTable::createEquation(Signal* s, Expression* e, Module* m, bool initial) {
  if (s == nullptr) throw IllegalOperationException("EquationTable::createEquation: no signal", module_name);
  if (e == nullptr)
    throw IllegalOperationException("EquationTable::createEquation: no expression", s->getInternalName());
  Bddexpressionwood* w = bdd_expression_wood;
  int status_kind = s->computeStatusType();
  int value_kind = s->computeValueType();
  bdd status_def = initial ? e->getInitialBddStatus(m, w) : e->getBddStatus(m, w);
  bdd status_var = s->getBddStatus(m, w);
  w->enter(s->getInternalName(), w, status_var, status_def, 0, 0, status_kind);
  bdd value_def;
  if (s->is_wire)
    value_def = w->Bdd_not(status_var);
  else
    value_def = initial ? e->getInitialBddValue(m, w) : e->getBddValue(m, w);
  w->enter(s->getInternalName(), w, s->getBddValue(m, w), value_def, 0, 0, value_kind);
}

void EquationTable::createUnifyEquation(Signal* s, Expression* e, Module* m, bool initial) {
  Bddexpressionwood* w = bdd_expression_wood;
  bdd status_def = initial ? e->getInitialBddStatus(m, w) : e->getBddStatus(m, w);
  long sid = s->getBddStatusId(m, w);
  if (Bddexpression* eq = w->slot(sid))
    eq->append_or_exp(status_def);
  else
    std::cerr << "internal error 1 in createUnifyEquation()! about sid=" << sid << std::endl;
  bdd value_def = initial ? e->getInitialBddValue(m, w) : e->getBddValue(m, w);
  long vid = s->getBddValueId(m, w);
  if (Bddexpression* eq = w->slot(vid))
    eq->append_or_exp(value_def);
  else
    std::cerr << "internal error 2 in createUnifyEquation()! about vid=" << vid << std::endl;
}

void EquationTable::createRegisterEquation(Signal* s, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  bdd def = w->Bdd_not(s->getBddStatus(m, w));
  w->enter(s->getInternalName(), w, s->getBddValue(m, w), def, 0, 0, s->computeValueType());
}

void EquationTable::replaceEquation(Signal* s1, Signal* s2, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  long sid = s1->getBddStatusId(m, w);
  if (Bddexpression* eq = w->slot(sid))
    eq->setBddExp(s2->getBddStatus(m, w));
  else
    w->enter(s1->getInternalName(), w, w->Bdd_var_by_index(sid), w->Bdd_var_by_index(s2->getBddStatusId(m, w)), 0, 0,
             Compilation::STAT);
  long vid = s1->getBddValueId(m, w);
  if (Bddexpression* eq = w->slot(vid))
    eq->setBddExp(s2->getBddValue(m, w));
  else
    w->enter(s1->getInternalName(), w, w->Bdd_var_by_index(vid), w->Bdd_var_by_index(s2->getBddValueId(m, w)), 0, 0,
             Compilation::VAL);
}

void EquationTable::createBottomEquation(Signal* s, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  w->enter(s->getInternalName(), w, s->getBddStatus(m, w), w->Bdd_zero(), 0, 0, s->computeStatusType());
  w->enter(s->getInternalName(), w, s->getBddValue(m, w), w->Bdd_zero(), 0, 0, s->computeValueType());
}

void EquationTable::createBottomEquation(Signal* s, Module* m, int occurrence) {
  Bddexpressionwood* w = bdd_expression_wood;
  SignalRef* r = m->getSignalManager()->getSignalRefByOccurrence(s, occurrence);
  if (r == nullptr) throw IllegalOperationException("createBottomEquation: no signalref", s->getInternalName());
  bdd status_var = w->Bdd_var_by_index(r->getBddStatusId(w));
  bdd value_var = w->Bdd_var_by_index(r->getBddValueId(w));
  w->enter(s->getInternalName(), w, status_var, w->Bdd_zero(), 0, 0, s->computeStatusType());
  w->enter(s->getInternalName(), w, value_var, w->Bdd_zero(), 0, 0, s->computeValueType());
}

void EquationTable::learnSignal(Signal* s, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  std::string name = s->getName(m);
  SignalRef* r = m->getSignalManager()->getSignalRefByName(name);
  if (r != nullptr && r->isDefinedWood(w)) return;
  Bddexpressionwood* own = m->getBddWood();
  if (r == nullptr || s->getBddStatusId(m, own) == -1 || s->getBddValueId(m, own) == -1)
    throw IllegalOperationException("EquationTable:learSignal: signal not defined in module wood", name);
  long sid = w->Index_var_by_bdd(w->New_var_last("_s_" + name));
  long vid = w->Index_var_by_bdd(w->New_var_last("_v_" + name));
  m->getSignalManager()->extendSignalRef(sid, vid, r, w);
}

// ----- equations of another system -----

void EquationTable::add(Bddexpression* eq, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  Bddexpressionwood* from = eq->my_manager();
  if (from == nullptr || from->man == nullptr)
    throw IllegalOperationException("EquationTable::add: equation without system", eq->my_name());
  if (eq->getAbstraction() != 0) {
    addAbstract(eq, m);
    return;
  }
  // Variable before right side, in named temporaries: node ids follow the order of the copies.
  bdd var = Bdd_isomorphe_by_name(w->man, from->man, eq->bdd_var);
  bdd def = Bdd_isomorphe_by_name(w->man, from->man, eq->bdd_exp);
  long late = 0;
  if (links_a_node(eq->bdd_var)) {
    long k = from->Bdd_if_index(eq->bdd_var);
    if (k >= 0 && k < from->nb_var_bdd) late = from->latest(k);
  }
  w->enter(eq->my_name(), w, var, def, eq->getEarlyDate(), late, eq->getUserType());
  knowSignalOf(from->Name_var_by_bdd(eq->bdd_var), from, m);
}

void EquationTable::addAbstract(Bddexpression* eq, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  Bddexpressionwood* from = eq->my_manager();
  const std::string v = from->Name_var_by_index(eq->my_index_var());
  std::set<long> deps;
  for (long d : eq->set_of_var_dependances()) deps.insert(find_or_append(w, from->Name_var_by_index(d)));
  if (Bddexpression* e = w->enter(find_or_append(w, v), w, deps, eq->my_exp_def(), eq->getEarlyDate(), 0))
    e->setUserType(eq->getUserType());
  knowSignalOf(v, from, m);
}

void EquationTable::knowSignalOf(const std::string& variable, Bddexpressionwood* from, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  std::string occurrence = variable.substr(3);
  SignalManager* sm = m->getSignalManager();
  SignalRef* r = sm->getSignalRefByName(occurrence);
  if (r == nullptr) throw IllegalOperationException("EquationTable::add: no Signal ref", occurrence);
  if (!r->isDefinedWood(w)) give_variables(sm, r, w, occurrence);
  // Occurrence 0 of a module signal: its current occurrence follows it.
  if (r->getCurrentOccurrence() == 0) {
    Signal* s = m->getSignalFromInternalName(r->getInternalName());
    if (s != nullptr && has_entry(s, from)) raise_current_occurrence(s, w, s->getCurrentOccurrence(from));
  }
}

// The steps of unify: this system w, the other system ow, and what they share between steps.
struct EquationTable::merge_back {
  merge_back(EquationTable& t, EquationTable* o, Module* module) : table(t), other(o), m(module) {}
  EquationTable& table;
  EquationTable* other;
  Module* m;
  Bddexpressionwood* w = table.bdd_expression_wood;
  Bddexpressionwood* ow = other->bdd_expression_wood;
  SignalManager* sm = m->getSignalManager();
  long n = ow->Nb_bdd_vars();
  std::unique_ptr<capture_log>& fork_log = table.fork_log;

  // here stands for the same state as eq, a copy of it (or of the same original) unchanged.
  static bool same_state(const Bddexpression* eq, const Bddexpression* here) {
    const Bddexpression* o = eq->copied_from();
    if (o == nullptr || here == nullptr) return false;
    if (here == o) return here->stamp() == eq->copied_stamp();
    return here->copied_from() == o && here->copied_stamp() == eq->copied_stamp();
  }

  // The state of an earlier stamp of here that eq stands for, unchanged since on eq's side, or 0.
  static uint64_t earlier_state(const Bddexpression* eq, const Bddexpression* here) {
    const Bddexpression* o = eq->copied_from();
    if (o == nullptr) o = eq;
    if (o != here) return 0;
    uint64_t origin = eq->copied_from() != nullptr ? eq->copied_stamp() : eq->stamp();
    return origin != here->stamp() ? origin : 0;
  }

  // The equation of this system, as it was before the merge, that defines the variable
  // called v. Names are unique in a system and variables keep their creation names until
  // finalisation: the manager's name index finds it without a walk over the whole system;
  // an index that names another variable (renamed) sends the look-up to a table of every
  // equation by name, built once. Equations copied in below define variables of names that
  // no later index of the other system carries.
  std::unordered_set<long> copied_in;
  std::unordered_map<std::string, Bddexpression*> by_name;
  bool by_name_built = false;
  // A copy keeps the indexes of the system it was made from: variable i of the other system
  // is first looked for at index i here.
  Bddexpression* equation_here(const std::string& v, long i) {
    long k = w->Index_var_by_name(v, i);
    if (k < 0) return nullptr;
    if (w->valid_id(k) && w->Name_var_by_index(k) == v) {
      Bddexpression* e = w->slot(k);
      return e != nullptr && copied_in.count(k) == 0 ? e : nullptr;
    }
    if (!by_name_built) {
      for (long id : w->ens_exp)
        if (copied_in.count(id) == 0)
          if (Bddexpression* e = w->slot(id)) by_name.emplace(e->my_bddname(), e);
      by_name_built = true;
    }
    auto found = by_name.find(v);
    return found != by_name.end() ? found->second : nullptr;
  }

  // The variables the other system had when it was copied, that neither side has changed
  // since, are passed over when merging them back would do nothing: an equation whose merge
  // is void (merge_back_is_void), a variable without equation (only a signal whose
  // occurrence the branch wrote has anything to merge: the original's occurrences only rise).
  long forked = other->fork_size < 0 ? 0 : std::min(other->fork_size, n);
  std::unordered_set<long> written;
  // The variables the merge matches to a signal: those of its occurrence 0, or, without a
  // signal reference, by name.
  void note_written() {
    std::unordered_set<std::string> seen;
    for (const std::string& internal : Signal::occurrencesWritten(ow)) {
      if (!seen.insert(internal).second) continue;
      SignalRef* r = sm->getSignalRefByOccurrence(internal, 0);
      if (r != nullptr && r->isDefinedWood(ow)) {
        written.insert(r->getBddStatusId(ow));
        written.insert(r->getBddValueId(ow));
      }
      written_by_name(internal);
      if (r != nullptr && r->getOriginalName() != internal) written_by_name(r->getOriginalName());
    }
  }
  void written_by_name(const std::string& occurrence) {
    for (const char* prefix : {"_s_", "_v_"}) {
      long k = ow->Index_var_by_name(prefix + occurrence);
      if (k >= 0 && k < forked && sm->getSignalRefById(k, ow) == nullptr) written.insert(k);
    }
  }
  // The signal of variable i of the other system, and the operator that merges the value
  // equation of signal s: AND for occurrence 0 of a signal that pre chains in either system
  // (the AND of its occurrences' values; OR would keep only the shorter copy's chain), OR
  // otherwise.
  Signal* signal_of(long i) { return signal_of_variable(m, ow, i, ow->Name_var_by_index(i).substr(3)); }
  int value_operator(Signal* s) {
    return chained_by_pre(s, ow) || chained_by_pre(s, w) ? Bddexpression::and_op : Bddexpression::or_op;
  }
  int merge_operator(long i, int kind) {
    if (Compilation::isStatusType(kind)) return Bddexpression::or_op;
    return Compilation::isValueType(kind) ? value_operator(signal_of(i)) : Bddexpression::replace_op;
  }
  // A slot the branch never took, standing for an earlier state of here already merged back
  // once, is passed over without taking it: here when so, null otherwise.
  Bddexpression* absorbed(long i) {
    if (i >= forked || written.count(i) != 0) return nullptr;
    const Bddexpression* eq = ow->untaken(i);
    if (eq == nullptr || eq->getAbstraction() != 0) return nullptr;
    Bddexpression* here = w->slot(i);
    if (here == nullptr) return nullptr;
    uint64_t origin = earlier_state(eq, here);
    if (origin == 0 || !here->absorbed_state(origin)) return nullptr;
    int op = merge_operator(i, here->getUserType());
    return op != Bddexpression::replace_op && here->absorbs(origin, op) ? here : nullptr;
  }
  bool passed_over(long i, Bddexpression* eq) {
    if (i >= forked || written.count(i) != 0) return false;
    if (eq == nullptr || eq->getAbstraction() != 0) return true;
    Bddexpression* here = w->slot(i);
    if (!same_state(eq, here)) return false;
    int op = merge_operator(i, here->getUserType());
    return op != Bddexpression::replace_op && here->merge_back_is_void(op);
  }

  // Below the fork's size only what changed on either side, or was never merged back here,
  // may have anything to merge (in increasing order, each once); every later variable is the
  // branch's own.
  id_bits below_fork;
  std::vector<long> visits;
  void list_visits() {
    if (forked > 0) {
      note_written();
      for (long i : ow->changed_since(0)) below(i);
      list_this_side();
      for (long i : written) below(i);
      visits.assign(below_fork.begin(), below_fork.end());
    }
    for (long i = forked; i < n; ++i) visits.push_back(i);
  }
  void below(long i) {
    if (i >= 0 && i < forked) below_fork.insert(i);
  }
  // This system's side: from the log of the copies of this capture, unless the manager renamed.
  void list_this_side() {
    if (w->man->Renamed()) {
      for (long i : w->changed_since(other->captured_stamp)) below(i);
      for (long i : w->unmerged()) below(i);
      return;
    }
    if (fork_log == nullptr || fork_log->captured != other->captured_stamp) {
      fork_log = std::make_unique<capture_log>();
      fork_log->captured = fork_log->read = other->captured_stamp;
      fork_log->unmerged.assign(w->unmerged().begin(), w->unmerged().end());
    }
    for (long i : w->changed_since(fork_log->read))
      if (fork_log->listed.insert(i).second) fork_log->changed.push_back(i);
    fork_log->read = std::max(fork_log->read, w->last_logged_change());
    auto& unmerged = fork_log->unmerged;
    unmerged.erase(std::remove_if(unmerged.begin(), unmerged.end(), [&](long i) { return w->unmerged().count(i) == 0; }),
                   unmerged.end());
    for (long i : fork_log->changed) below(i);
    for (long i : unmerged) below(i);
  }

  // Passing over is exact only while this system is known to be acyclic (a merge's walks
  // may report a cycle otherwise): from the first visit that finds it is not, every
  // variable is visited.
  bool every = false;
  long from = 0;
  size_t c = 0;
  bool take(long& i) {
    if (!every && c < visits.size() && visits[c] < forked && !w->known_acyclic()) {
      every = true;
      from = c == 0 ? 0 : visits[c - 1] + 1;
    }
    if (every) return (i = from++) < n;
    if (c >= visits.size()) return false;
    i = visits[c++];
    return true;
  }

  // On an error the other system goes as on success: its equations may hold handles into this
  // one.
  ~merge_back() {
    if (other->bdd_expression_wood == nullptr) return;
    sm->deleteWood(other->bdd_expression_wood);
    other->bdd_expression_wood = nullptr;
  }

  bool pruned = false;
  void visit(long i) {
    if (i >= ow->Nb_bdd_vars()) throw IllegalOperationException("EquationTable::id out of bounds", nullptr);
    if (Bddexpression* here = absorbed(i)) {
      if (fork_log != nullptr && Compilation::isStatusType(here->getUserType()) && fork_log->listed.erase(i) != 0) {
        here->log_next_change();
        pruned = true;
      }
      return;
    }
    Bddexpression* eq = ow->slot(i);
    if (passed_over(i, eq)) return;
    std::string v = ow->Name_var_by_index(i);
    if (eq == nullptr) return follow_occurrence(i, v.substr(3));
    Bddexpression* here = equation_here(v, i);
    // An abstract equation never changes: only one the branch made (the data conditions of
    // a run compiled there) is taken.
    bool abstract = eq->getAbstraction() != 0;
    if (here == nullptr) table.add(eq, m);
    if (abstract) return;
    if (here != nullptr) return merge(i, eq, here);
    long k = w->Index_var_by_name(v, i);
    if (k >= 0) copied_in.insert(k);
  }
  // A variable without equation: the current occurrence of its signal follows the branch's.
  void follow_occurrence(long i, const std::string& occurrence) {
    Signal* s = signal_of_variable(m, ow, i, occurrence);
    if (s == nullptr || !has_entry(s, ow)) return;
    raise_current_occurrence(s, w, s->getCurrentOccurrence(ow));
    SignalRef* r = s->getSignalRef(m, ow);
    if (r != nullptr && !r->isDefinedWood(w)) give_variables(sm, r, w, r->getCurrentName());
  }
  void merge(long i, Bddexpression* eq, Bddexpression* here) {
    int kind = here->getUserType();
    // Merged back unchanged on both sides: once this merge leaves it as it was, the next
    // ones with the same operator are void.
    bool unchanged = i < forked && same_state(eq, here);
    uint64_t earlier = i < forked && !unchanged ? earlier_state(eq, here) : 0;
    uint64_t stamp = here->stamp();
    bool value = Compilation::isValueType(kind);
    if (!value && !Compilation::isStatusType(kind))
      throw IllegalOperationException("EquationTable:unify", "Bdd expression neither status nor value equation");
    Signal* s = value ? signal_of(i) : nullptr;
    int op = value ? value_operator(s) : Bddexpression::or_op;
    // A copy made by duplicate still shares its pending terms' folded part with this one:
    // only the terms the branch added are merged, and no chain is folded.
    here->merge_right_side(op, *eq);
    if (s != nullptr && has_entry(s, ow)) raise_current_occurrence(s, w, s->getCurrentOccurrence(ow));
    if (unchanged) here->note_merged_back(stamp, op);
    if (earlier != 0) here->note_absorbed(earlier, stamp, op);
  }
  // The status equations found void leave the log's changes.
  void drop_pruned() {
    if (!pruned) return;
    auto& changed = fork_log->changed;
    changed.erase(std::remove_if(changed.begin(), changed.end(), [&](long i) { return fork_log->listed.count(i) == 0; }),
                  changed.end());
  }
};

void EquationTable::unify(EquationTable* other, Module* m) {
  Bddexpressionwood* ow = other != nullptr ? other->bdd_expression_wood : nullptr;
  if (ow == nullptr) return;
  if (ow == bdd_expression_wood) throw IllegalOperationException("EquationTable:unify", "same equation system");
  bdd_expression_wood->update_bdd_vars();
  ow->update_bdd_vars();
  merge_back run(*this, other, m);
  run.list_visits();
  for (long i = 0; run.take(i);) run.visit(i);
  run.drop_pruned();
}

// ----- whole-module steps -----

void EquationTable::cond(Signal* c, Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  bdd guard;
  bool guarded = false;
  auto condition = [&](long id) {
    if (id >= w->Nb_bdd_vars()) throw IllegalOperationException("EquationTable::id out of bounds", nullptr);
    Bddexpression* eq = w->slot(id);
    // An abstract equation has no BDD definition to condition.
    if (eq == nullptr || !links_a_node(eq->bdd_exp)) return;
    if (!guarded) {
      guard = c->getBddValue(m, w);
      guarded = true;
    }
    eq->setBddExp(w->Bdd_and(guard, eq->bdd_exp));
  };
  if (std::list<Signal*>* outputs = m->getOutputSignalList()) {
    for (Signal* o : *outputs) {
      long sid = o->getBddStatusId(m, w);
      long vid = o->getBddValueId(m, w);
      condition(sid);
      condition(vid);
    }
  }
  if (std::list<Signal*>* locals = m->getLocalSignalList()) {
    for (Signal* l : *locals) {
      if (!l->is_local || l->is_wire) continue;
      for (long id : l->getAllBddId(m, w)) condition(id);
    }
  }
}

void EquationTable::pre(Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  SignalManager* sm = m->getSignalManager();
  auto old_equation = [&](Signal* s, bool status) -> Bddexpression* {
    SignalRef* r = sm->getSignalRefByOccurrence(s, 0);
    if (r == nullptr || !r->isDefinedWood(w)) return nullptr;
    return w->slot(status ? r->getBddStatusId(w) : r->getBddValueId(w));
  };
  // Opens the next occurrence with bottom equations; false when s takes none (neither local
  // nor output), so that its current equations are left alone.
  auto open = [&](Signal* s) {
    int before = s->getCurrentOccurrence(w);
    s->newOccurrence(w, m);
    if (s->getCurrentOccurrence(w) == before) return false;
    createBottomEquation(s, m);
    return true;
  };
  auto chain = [&](Signal* s, Bddexpression* old_status, Bddexpression* old_value) {
    old_status->append_or_exp(s->getBddStatus(m, w));
    old_value->append_and_exp(s->getBddValue(m, w));
  };

  if (std::list<Signal*>* outputs = m->getOutputSignalList()) {
    for (Signal* o : *outputs) {
      if (!has_entry(o, w)) continue;
      if (!open(o)) continue;
      Bddexpression* old_status = old_equation(o, true);
      if (old_status == nullptr) {
        g_exit(1, "undefined equation for status of :" + o->getInternalName() + "\n");
      }
      Bddexpression* old_value = old_equation(o, false);
      if (old_value == nullptr) {
        g_exit(1, "undefined equation for value of :" + o->getInternalName() + "\n");
      }
      chain(o, old_status, old_value);
    }
  }
  if (m->getLocalSignalList() != nullptr) {
    for (Signal* l : m->plainLocals()) {
      // An instance's signals follow its own equations, whatever instant the caller is in.
      if (l->is_wire || l->is_value || l->is_instance || !has_entry(l, w)) continue;
      Bddexpression* old_status = old_equation(l, true);
      Bddexpression* old_value = old_equation(l, false);
      if (old_status == nullptr || old_value == nullptr) continue;
      if (!open(l)) continue;
      chain(l, old_status, old_value);
    }
  }
}

ForkCopy::~ForkCopy() {
  if (copy_ == nullptr) return;
  if (copy_->bdd_expression_wood != nullptr) m_->getSignalManager()->deleteWood(copy_->bdd_expression_wood);
  delete copy_;
}

EquationTable* EquationTable::duplicate(Module* m) {
  Bddexpressionwood* w = bdd_expression_wood;
  // Checked before anything is made, so that a failure leaves no half-registered copy.
  if (Signal* s = m->signalWithoutOccurrenceTable())
    throw IllegalOperationException("EquationTable::duplicate: no occurrence table for signal", s->getInternalName());
  Bddexpressionwood* copy = new Bddexpressionwood(w, true);
  EquationTable* t = new EquationTable(std::string(), copy);
  m->getSignalManager()->duplicate(copy, w);
  Signal::copyWood(copy, w);
  t->fork_size = copy->Nb_bdd_vars();
  // A copy of a copy that has not changed stands for the state its original was taken in.
  uint64_t now = w->capture();
  bool unchanged = fork_size >= 0 && w->changed_since(0).empty();
  t->captured_stamp = unchanged ? captured_stamp : now;
  return t;
}

// ----- dating -----

long EquationTable::callPert() {
  long levels = bdd_expression_wood->compute_dates();
  if (levels < 0) throw ModulePertFailureException();
  return reportCycles(levels);
}

long EquationTable::callPert(std::list<long>& order) {
  long levels = bdd_expression_wood->compute_dates(order);
  if (levels < 0) throw ModulePertFailureException();
  return reportCycles(levels);
}

long EquationTable::reportCycles(long levels) {
  Bddexpressionwood* w = bdd_expression_wood;
  std::list<long> cycle = w->loop_detection();
  if (cycle.empty()) return levels;
  // Said before the path search, which ends the process once it finds the path.
  std::string report = "ERROR in Module `" + module_name + "': detecting variables in a dependance cycle:\n";
  for (long id : cycle) report += " " + w->Name_var_by_index(id) + "\n";
  report += "\n\nwhen sorting equations: \n";
  fl_report_S(forms_box_kind::message, report);
  std::string paths;
  std::list<long> path;
  for (long id : cycle) {
    path.push_back(id);
    paths += computeDependence(path);
  }
  if (!paths.empty()) {
    fl_report_S(forms_box_kind::message, paths);
  }
  return levels;
}

std::string EquationTable::computeDependence(std::list<long>& path) {
  Bddexpressionwood* w = bdd_expression_wood;
  if (path.empty()) return std::string();
  Bddexpression* root = w->slot(path.back());
  if (root == nullptr) return std::string();

  // Depth-first walk over the dependences, ascending, with an explicit stack. A variable
  // whose walk finished without meeting the path cannot meet it later in this call, so it
  // is not walked again.
  std::unordered_map<long, int> on_path;
  for (long v : path) ++on_path[v];
  std::unordered_set<long> finished;
  struct Frame {
    long v;
    shared_ids::iterator next, end;
  };
  std::vector<Frame> stack;
  stack.push_back({path.back(), root->vars_dependance.begin(), root->vars_dependance.end()});
  while (!stack.empty()) {
    Frame& f = stack.back();
    if (f.next == f.end) {
      finished.insert(f.v);
      stack.pop_back();
      if (!stack.empty()) {
        --on_path[path.back()];
        path.pop_back();
      }
      continue;
    }
    long d = *f.next++;
    if (on_path[d] > 0) {
      std::string text;
      for (long v : path) {
        if (Bddexpression* e = w->slot(v))
          text += e->debug_in_string() + "\n\n";
        else
          text += w->Name_var_by_index(v) + " = -\n\n";
      }
      g_exit(1, text + "\n");
    }
    if (finished.count(d) != 0) continue;
    Bddexpression* e = w->slot(d);
    if (e == nullptr) {
      finished.insert(d);
      continue;
    }
    path.push_back(d);
    ++on_path[d];
    stack.push_back({d, e->vars_dependance.begin(), e->vars_dependance.end()});
  }
  return std::string();
}
