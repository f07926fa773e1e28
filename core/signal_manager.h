// Signal references (one occurrence of a signal) and the per-module registry of them.
#ifndef SIGNAL_MANAGER_H
#define SIGNAL_MANAGER_H

#include <iosfwd>
#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "flat_index.h"
#include "module_signal.h"
#include "shared_pages.h"
#include "wood_map.h"

class Bddexpressionwood;
class Module;

// Per equation system: (status variable id, value variable id).
typedef wood_map<std::pair<long, long>> BddIdsWood;

// One occurrence of a signal, with its variable ids in each equation system it is defined for.
// Each constructor computes (or reuses) "_s_" + current name then "_v_" + current name in w,
// and registers itself in m's signal manager, which owns it.
class SignalRef {
 public:
  SignalRef(const std::string& name, Module* m, Bddexpressionwood* w);
  SignalRef(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w);
  SignalRef(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w,
            bool valued);
  SignalRef(const std::string& original, const std::string& internal, const std::string& current, int occurrence,
            Module* m, Bddexpressionwood* w);
  SignalRef(const std::string& original, const std::string& internal, const std::string& current, int occurrence,
            Module* m, Bddexpressionwood* w, bool valued);
  ~SignalRef();
  SignalRef(const SignalRef&) = delete;
  SignalRef& operator=(const SignalRef&) = delete;

  // Index of the variable called name in w's manager, created last through w when absent.
  static long computeId(const std::string& name, Bddexpressionwood* w);

  long getBddStatusId(Bddexpressionwood* w) const;
  long getBddValueId(Bddexpressionwood* w) const;
  bool isDefinedWood(Bddexpressionwood* w) const;
  void addBddIds(long status_id, long value_id, Bddexpressionwood* w);
  void setBddStatusId(long id, Bddexpressionwood* w);
  void setBddValueId(long id, Bddexpressionwood* w);

  const std::string& getOriginalName() const { return original_name; }
  const std::string& getInternalName() const { return internal_name; }
  const std::string& getCurrentName() const { return current_name; }
  int getCurrentOccurrence() const { return current_occurrence; }
  const std::string& getType() const { return type; }
  void setType(const std::string& t) { type = t; }
  const BddIdsWood* getBddIdsWood() const { return &bdd_ids_wood; }
  bool isPre() const { return is_pre; }
  bool isValued() const { return is_valued; }
  void setIsPre(bool b) { is_pre = b; }
  void setIsValued(bool b) { is_valued = b; }

  // In the reference itself: a fork reads and extends the ids of every reference.
  BddIdsWood bdd_ids_wood;
  std::string original_name;
  std::string internal_name;
  std::string current_name;  // the occurrence name, key in the manager
  int current_occurrence;
  std::string type;  // "pure" for a pure signal
  bool is_pre;
  bool is_valued;

 private:
  friend class SignalManager;
  SignalRef* next_same_internal = nullptr;  // the manager's chain of the references of one internal name
  // The highest occurrence number from this reference to the end of its chain (never below
  // the true one: a removal in the chain leaves it as it was), so that a search for the
  // highest occurrence stops once nothing further on can reach it.
  int chain_highest = 0;
  void construct(Module* m, Bddexpressionwood* w);
};

std::ostream& operator<<(std::ostream& os, SignalRef& r);

// Owner of each variable id of one equation system (null where none).
class SignalRefTable {
 public:
  explicit SignalRefTable(long size);
  // size entries, the first count of them those of from (pages shared until either table
  // writes one: a fork's copy writes few), the others null.
  SignalRefTable(long size, const SignalRefTable* from, long count);
  SignalRefTable(const SignalRefTable&) = delete;
  SignalRefTable& operator=(const SignalRefTable&) = delete;

  long getSize() const { return size; }
  SignalRef* getSignalRef(long id) const;  // null outside 0 .. size-1
  void setSignalRef(long id, SignalRef* r);

  long size;
  shared_pages<SignalRef*> refs;
};

// The signal references of one module: by occurrence name and, per equation system, by
// variable id. Owns its references and the equation systems removed with deleteWood.
class SignalManager {
 public:
  SignalManager();
  ~SignalManager();
  SignalManager(const SignalManager&) = delete;
  SignalManager& operator=(const SignalManager&) = delete;

  // Registers r under its current name (HashTableAddException when taken), then its ids.
  void addSignalRef(SignalRef* r);
  // Records r as owner of sid and vid in w (IllegalOperationException when an id is owned
  // or negative).
  void addSignalRefIdTable(long sid, long vid, SignalRef* r, Bddexpressionwood* w);
  void extendSignalRef(long sid, long vid, SignalRef* r, Bddexpressionwood* w);
  void extendIdTable(Bddexpressionwood* w);

  SignalRef* getSignalRefByName(const std::string& name) const;
  // Occurrence n of s (registered under s's internal name and number n), or null.
  SignalRef* getSignalRefByOccurrence(const Signal* s, int n) const;
  SignalRef* getSignalRefByOccurrence(const std::string& internal, int n) const;
  SignalRef* getSignalRefById(long id, Bddexpressionwood* w) const;
  // s's references defined for w, by ascending name; the caller owns the list.
  std::list<SignalRef*>* getAllSignalRef(const Signal* s, Bddexpressionwood* w) const;
  // The highest occurrence of s defined for w, or null.
  SignalRef* getCurrentOccurrence(const Signal* s, Bddexpressionwood* w) const;

  // Name of occurrence n of internal: the registered one when it exists, otherwise the
  // usual name when free, otherwise a disambiguated free name.
  std::string getOccurrenceName(const std::string& internal, int n) const;

  // Every reference defined for from becomes defined for to with the same ids: a fresh to
  // reads them, and every signal's occurrence, through from until either side writes one.
  void duplicate(Bddexpressionwood* to, Bddexpressionwood* from);
  // Forgets w everywhere (references, id tables, signals' occurrence tables), then
  // destroys it.
  void deleteWood(Bddexpressionwood* w);
  // Forgets w in every live manager and every signal without destroying it; for owners
  // that destroy an equation system themselves.
  static void forgetWood(Bddexpressionwood* w);

  void printSignalTableByName(std::ostream& os) const;
  void printSignalTableById(std::ostream& os) const;

  std::map<std::string, SignalRef*>* signalref_table;
  std::map<Bddexpressionwood*, SignalRefTable*>* signalref_id_table;

 private:
  friend class Signal;
  friend class SignalRef;
  // getOccurrenceName for an occurrence known to be unregistered.
  std::string freeOccurrenceName(const std::string& internal, int n) const;
  // Current name -> reference: signalref_table's look-ups (the map keeps the name order).
  flat_index<SignalRef> by_name;
  // (internal name, occurrence number) -> reference; the first registered one wins.
  flat_index<SignalRef> occurrence_index;
  // Internal name -> the last registered reference of that name, the others chained from it
  // through next_same_internal: the occurrences of one signal are found without walking the
  // whole table.
  flat_index<SignalRef> by_internal;
  long locateName(const std::string& name, size_t hash) const;
  long locateOccurrence(const std::string& internal, int n) const;
  long locateInternal(const std::string& internal, size_t hash) const;
  // Undoes a partial registration of r (its constructor failed).
  void forget(SignalRef* r);
};

#endif
