#include "signal_manager.h"

#include <algorithm>
#include <ostream>
#include <set>

#include "Bddexpression.h"
#include "module.h"
#include "sexception.h"

namespace {
// Every live manager, so that a destroyed equation system is forgotten by all of them.
std::set<SignalManager*>& live_managers() {
  static std::set<SignalManager*> managers;
  return managers;
}

BddIdsWood& ids_of(SignalRef* r) { return r->bdd_ids_wood; }

// The live references holding ids for each equation system, so that forgetting one
// system walks only its own references. Never destroyed: references may go at exit.
wood_holders<SignalRef, std::pair<long, long>, BddIdsWood& (*)(SignalRef*)>& refs_by_wood() {
  static auto* refs = new wood_holders<SignalRef, std::pair<long, long>, BddIdsWood& (*)(SignalRef*)>(ids_of);
  return *refs;
}

// Takes r out of the lists of the systems it holds ids for.
void drop_ids(SignalRef* r) { refs_by_wood().drop(r); }

void require_new_wood(const SignalRef* r, Bddexpressionwood* w) {
  if (r->isDefinedWood(w)) throw IllegalOperationException("SignalRef::addBddIds: wood already added", r->current_name);
}
}  // namespace

// ----- SignalRef -----

SignalRef::SignalRef(const std::string& name, Module* m, Bddexpressionwood* w)
    : SignalRef(name, name, name, 0, m, w, false) {}

SignalRef::SignalRef(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w)
    : SignalRef(original, internal, internal, 0, m, w, false) {}

SignalRef::SignalRef(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w,
                     bool valued)
    : SignalRef(original, internal, internal, 0, m, w, valued) {}

SignalRef::SignalRef(const std::string& original, const std::string& internal, const std::string& current,
                     int occurrence, Module* m, Bddexpressionwood* w)
    : SignalRef(original, internal, current, occurrence, m, w, false) {}

SignalRef::SignalRef(const std::string& original, const std::string& internal, const std::string& current,
                     int occurrence, Module* m, Bddexpressionwood* w, bool valued)
    : original_name(original),
      internal_name(internal),
      current_name(current),
      current_occurrence(occurrence),
      type("pure"),
      is_pre(false),
      is_valued(valued) {
  construct(m, w);
}

void SignalRef::construct(Module* m, Bddexpressionwood* w) {
  SignalManager* sm = m->getSignalManager();
  try {
    long sid = computeId("_s_" + current_name, w);
    long vid = computeId("_v_" + current_name, w);
    addBddIds(sid, vid, w);
    sm->addSignalRef(this);
  } catch (...) {
    // The object is being destroyed: leave no pointer to it behind.
    sm->forget(this);
    drop_ids(this);
    throw;
  }
}

SignalRef::~SignalRef() { drop_ids(this); }

long SignalRef::computeId(const std::string& name, Bddexpressionwood* w) {
  // A name the manager knows gives its variable back.
  return w->Index_new_var_last(name);
}

long SignalRef::getBddStatusId(Bddexpressionwood* w) const {
  auto it = bdd_ids_wood.find(w);
  if (it == bdd_ids_wood.end())
    throw IllegalOperationException("SignalRef::getBddStatusId:unknown wood", current_name);
  return it->second.first;
}

long SignalRef::getBddValueId(Bddexpressionwood* w) const {
  auto it = bdd_ids_wood.find(w);
  if (it == bdd_ids_wood.end())
    throw IllegalOperationException("SignalRef::getBddValueId:unknown wood", current_name);
  return it->second.second;
}

bool SignalRef::isDefinedWood(Bddexpressionwood* w) const { return bdd_ids_wood.count(w) != 0; }

void SignalRef::addBddIds(long status_id, long value_id, Bddexpressionwood* w) {
  require_new_wood(this, w);
  refs_by_wood().set(this, w, std::pair<long, long>(status_id, value_id));
}

void SignalRef::setBddStatusId(long id, Bddexpressionwood* w) {
  auto it = bdd_ids_wood.find(w);
  if (it == bdd_ids_wood.end())
    throw IllegalOperationException("SignalRef::setBddStausId: wood not found", static_cast<const char*>(nullptr));
  refs_by_wood().set(this, w, std::pair<long, long>(id, it->second.second));
}

void SignalRef::setBddValueId(long id, Bddexpressionwood* w) {
  auto it = bdd_ids_wood.find(w);
  if (it == bdd_ids_wood.end())
    throw IllegalOperationException("SignalRef::setBddValueId: wood not found", static_cast<const char*>(nullptr));
  refs_by_wood().set(this, w, std::pair<long, long>(it->second.first, id));
}

std::ostream& operator<<(std::ostream& os, SignalRef& r) {
  os << "\n"
     << "Signal Ref:"
     << "original: " << r.original_name << "  internal:  " << r.internal_name << "  current:  " << r.current_name
     << "\n";
  for (auto& entry : r.bdd_ids_wood)
    os << "Bdd ids for wood:" << static_cast<const void*>(entry.first) << " : (" << entry.second.first << ", "
       << entry.second.second << ")"
       << "\n";
  return os;
}

// ----- SignalRefTable -----

SignalRefTable::SignalRefTable(long n) : SignalRefTable(n, nullptr, 0) {}

SignalRefTable::SignalRefTable(long n, const SignalRefTable* from, long count) : size(n < 0 ? 0 : n) {
  long k = from != nullptr ? std::min(std::max(count, 0L), size) : 0;
  if (k > 0)
    refs.share_prefix(from->refs, static_cast<size_t>(k), static_cast<size_t>(size));
  else
    refs.assign(static_cast<size_t>(size));
}

SignalRef* SignalRefTable::getSignalRef(long id) const {
  if (id < 0 || id >= size) return nullptr;
  return refs[static_cast<size_t>(id)];
}

void SignalRefTable::setSignalRef(long id, SignalRef* r) {
  if (id < 0 || id >= size) return;
  refs.edit(static_cast<size_t>(id)) = r;
}

namespace {
// A table of n entries holding the entries of old (when given) at the same ids; each entry is
// written once.
SignalRefTable* grown_table(const SignalRefTable* old, long n) {
  long kept = old != nullptr ? old->size : 0L;
  auto* t = new SignalRefTable(std::max(n, kept), old, kept);
  return t;
}
}  // namespace

// ----- SignalManager -----

SignalManager::SignalManager()
    : signalref_table(new std::map<std::string, SignalRef*>()),
      signalref_id_table(new std::map<Bddexpressionwood*, SignalRefTable*>()) {
  live_managers().insert(this);
}

SignalManager::~SignalManager() {
  live_managers().erase(this);
  for (auto& entry : *signalref_id_table) delete entry.second;
  delete signalref_id_table;
  for (auto& entry : *signalref_table) delete entry.second;
  delete signalref_table;
}

// ----- SignalManager -----

long SignalManager::locateName(const std::string& name, size_t hash) const {
  return by_name.locate(hash, [&](const SignalRef* r) { return r->current_name == name; });
}

long SignalManager::locateOccurrence(const std::string& internal, int n) const {
  return occurrence_index.locate(flat_hash(flat_hash(internal), n), [&](const SignalRef* r) {
    return r->current_occurrence == n && r->internal_name == internal;
  });
}

long SignalManager::locateInternal(const std::string& internal, size_t hash) const {
  return by_internal.locate(hash, [&](const SignalRef* r) { return r->internal_name == internal; });
}

void SignalManager::addSignalRef(SignalRef* r) {
  size_t nh = flat_hash(r->current_name);
  if (locateName(r->current_name, nh) >= 0)
    throw HashTableAddException(r->current_name, "SignalManager::addSignalRef");
  signalref_table->emplace(r->current_name, r);
  by_name.insert(nh, r);
  size_t h = flat_hash(r->internal_name);
  size_t oh = flat_hash(h, r->current_occurrence);
  auto same_occurrence = [r](const SignalRef* x) {
    return x->current_occurrence == r->current_occurrence && x->internal_name == r->internal_name;
  };
  occurrence_index.insert_first(oh, r, same_occurrence);
  long chain = locateInternal(r->internal_name, h);
  if (chain < 0) {
    r->next_same_internal = nullptr;
    r->chain_highest = r->current_occurrence;
    by_internal.insert(h, r);
  } else {
    r->next_same_internal = by_internal.at(chain);
    r->chain_highest = std::max(r->current_occurrence, r->next_same_internal->chain_highest);
    by_internal.at(chain) = r;
  }
  for (auto& entry : r->bdd_ids_wood) addSignalRefIdTable(entry.second.first, entry.second.second, r, entry.first);
}

void SignalManager::addSignalRefIdTable(long sid, long vid, SignalRef* r, Bddexpressionwood* w) {
  if (sid < 0 || vid < 0) throw IllegalOperationException("addSignalRef: negative variable id", r->current_name);
  w->update_bdd_vars();
  long needed = std::max(w->Nb_bdd_vars(), std::max(sid, vid) + 1);
  auto it = signalref_id_table->find(w);
  if (it != signalref_id_table->end()) {
    SignalRefTable* t = it->second;
    if (needed > t->size) {
      // Geometric growth: one signal at a time must not copy the table each time.
      it->second = grown_table(t, std::max(needed, 2 * t->size));
      delete t;
      t = it->second;
    }
    if (t->getSignalRef(sid) != nullptr) throw IllegalOperationException("addSignalRef (excep1)", r->current_name);
    t->setSignalRef(sid, r);
    if (t->getSignalRef(vid) != nullptr) throw IllegalOperationException("addSignalRef (excep2)", r->current_name);
    t->setSignalRef(vid, r);
  } else {
    auto* t = new SignalRefTable(needed);
    t->setSignalRef(sid, r);
    t->setSignalRef(vid, r);
    (*signalref_id_table)[w] = t;
  }
}

void SignalManager::extendSignalRef(long sid, long vid, SignalRef* r, Bddexpressionwood* w) {
  r->addBddIds(sid, vid, w);
  addSignalRefIdTable(sid, vid, r, w);
}

void SignalManager::extendIdTable(Bddexpressionwood* w) {
  auto it = signalref_id_table->find(w);
  SignalRefTable* old = it != signalref_id_table->end() ? it->second : nullptr;
  SignalRefTable* t = grown_table(old, w->Nb_bdd_vars());
  delete old;
  (*signalref_id_table)[w] = t;
}

SignalRef* SignalManager::getSignalRefByName(const std::string& name) const {
  long slot = locateName(name, flat_hash(name));
  return slot < 0 ? nullptr : by_name.get(slot);
}

SignalRef* SignalManager::getSignalRefByOccurrence(const Signal* s, int n) const {
  return getSignalRefByOccurrence(s->internal_name, n);
}

SignalRef* SignalManager::getSignalRefByOccurrence(const std::string& internal, int n) const {
  long slot = locateOccurrence(internal, n);
  return slot < 0 ? nullptr : occurrence_index.get(slot);
}

SignalRef* SignalManager::getSignalRefById(long id, Bddexpressionwood* w) const {
  auto it = signalref_id_table->find(w);
  if (it == signalref_id_table->end()) return nullptr;
  return it->second->getSignalRef(id);
}

std::list<SignalRef*>* SignalManager::getAllSignalRef(const Signal* s, Bddexpressionwood* w) const {
  auto* refs = new std::list<SignalRef*>();
  long chain = locateInternal(s->internal_name, flat_hash(s->internal_name));
  if (chain < 0) return refs;
  for (SignalRef* r = by_internal.get(chain); r != nullptr; r = r->next_same_internal)
    if (r->isDefinedWood(w)) refs->push_back(r);
  refs->sort([](const SignalRef* a, const SignalRef* b) { return a->current_name < b->current_name; });
  return refs;
}

SignalRef* SignalManager::getCurrentOccurrence(const Signal* s, Bddexpressionwood* w) const {
  long chain = locateInternal(s->internal_name, flat_hash(s->internal_name));
  if (chain < 0) return nullptr;
  // The highest occurrence; among equal ones the first by name, as getAllSignalRef lists them.
  SignalRef* best = nullptr;
  for (SignalRef* r = by_internal.get(chain); r != nullptr; r = r->next_same_internal) {
    if (best != nullptr && r->chain_highest < best->current_occurrence) break;
    if (!r->isDefinedWood(w)) continue;
    if (best == nullptr || r->current_occurrence > best->current_occurrence ||
        (r->current_occurrence == best->current_occurrence && r->current_name < best->current_name))
      best = r;
  }
  return best;
}

std::string SignalManager::getOccurrenceName(const std::string& internal, int n) const {
  if (SignalRef* r = getSignalRefByOccurrence(internal, n)) return r->current_name;
  return freeOccurrenceName(internal, n);
}

std::string SignalManager::freeOccurrenceName(const std::string& internal, int n) const {
  std::string wanted = n == 0 ? internal : internal + "_" + std::to_string(n);
  if (locateName(wanted, flat_hash(wanted)) < 0) return wanted;
  std::string base = internal + "__" + std::to_string(n);
  std::string name = base;
  for (long k = 1; locateName(name, flat_hash(name)) >= 0; ++k) name = base + "_" + std::to_string(k);
  return name;
}

// A fresh copy reads every reference's ids and every signal's occurrence through from (see
// wood_lineage) and takes from's id table as it is: the ids are the same. A system that has
// a table already gets from's references one by one.
void SignalManager::duplicate(Bddexpressionwood* to, Bddexpressionwood* from) {
  auto it = signalref_id_table->find(from);
  bool fresh = signalref_id_table->count(to) == 0 && wood_lineage::base_of(to) == nullptr;
  if (fresh) {
    wood_lineage::attach(to, from);
    if (it == signalref_id_table->end()) return;
    to->update_bdd_vars();
    (*signalref_id_table)[to] = grown_table(it->second, to->Nb_bdd_vars());
    return;
  }
  if (it == signalref_id_table->end()) return;
  const SignalRefTable* src = it->second;
  std::vector<std::pair<SignalRef*, std::pair<long, long>>> added;
  for (long id = 0; id < src->size; ++id) {
    SignalRef* r = src->getSignalRef(id);
    if (r == nullptr) continue;
    auto ids = r->bdd_ids_wood.find(from);
    if (ids == r->bdd_ids_wood.end()) r->getBddStatusId(from);  // throws: no ids for from
    if (ids->second.first != id) continue;
    long vid = ids->second.second;
    require_new_wood(r, to);
    addSignalRefIdTable(id, vid, r, to);
    added.emplace_back(r, std::pair<long, long>(id, vid));
  }
  refs_by_wood().add_all(to, added);
}

void SignalManager::deleteWood(Bddexpressionwood* w) {
  if (w == nullptr) return;
  forgetWood(w);
  delete w;
}


void SignalManager::forgetWood(Bddexpressionwood* w) {
  refs_by_wood().forget(w);
  for (SignalManager* sm : live_managers()) {
    auto it = sm->signalref_id_table->find(w);
    if (it != sm->signalref_id_table->end()) {
      delete it->second;
      sm->signalref_id_table->erase(it);
    }
  }
  Signal::forgetWood(w);
  wood_lineage::forget(w);
}

void SignalManager::forget(SignalRef* r) {
  long named = locateName(r->current_name, flat_hash(r->current_name));
  if (named >= 0 && by_name.get(named) == r) {
    by_name.erase(named);
    signalref_table->erase(r->current_name);
  }
  long indexed = locateOccurrence(r->internal_name, r->current_occurrence);
  if (indexed >= 0 && occurrence_index.at(indexed) == r) occurrence_index.erase(indexed);
  long chain = locateInternal(r->internal_name, flat_hash(r->internal_name));
  if (chain >= 0) {
    SignalRef** link = &by_internal.at(chain);
    while (*link != nullptr && *link != r) link = &(*link)->next_same_internal;
    if (*link == r) *link = r->next_same_internal;
    if (by_internal.at(chain) == nullptr) by_internal.erase(chain);
  }
  for (auto& entry : *signalref_id_table) {
    SignalRefTable* t = entry.second;
    for (long i = 0; i < t->size; ++i)
      if (t->getSignalRef(i) == r) t->setSignalRef(i, nullptr);
  }
}

void SignalManager::printSignalTableByName(std::ostream& os) const {
  for (auto& entry : *signalref_table) {
    os << entry.first << ":";
    if (entry.second != nullptr)
      os << *entry.second;
    else
      os << "0";
  }
}

void SignalManager::printSignalTableById(std::ostream& os) const {
  for (auto& entry : *signalref_id_table) {
    os << "wood address:" << static_cast<const void*>(entry.first) << ":" << "\n";
    SignalRefTable* t = entry.second;
    for (long i = 0; i < t->size; ++i) {
      SignalRef* r = t->getSignalRef(i);
      if (r == nullptr) continue;
      os << i << ": current: " << r->current_name << "  internal:" << r->internal_name
         << " original: " << r->original_name << "\n";
    }
  }
}
