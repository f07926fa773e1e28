// Signals of a module and their occurrences in the equation systems.
//
// A signal holds no BDD variable itself: in each equation system it is used in, it has a
// numbered series of occurrences, each a SignalRef registered in the module's SignalManager
// with one status and one value variable there. The signal records, per equation system,
// which occurrence is current.
//
// Occurrence names: occurrence 0 is the internal name, occurrence n > 0 the internal name,
// "_" and n ("A_3"); the variables are "_s_" and "_v_" followed by the occurrence name. When
// that name is already held by an occurrence of another signal of the module (a signal "S_1"
// beside occurrence 1 of "S"), the newcomer is named internal + "__" + n instead (then
// "__n_k" for k = 1, 2, ... while taken); occurrences are looked up by (internal name,
// number), never by rebuilding the name.
#ifndef MODULE_SIGNAL_H
#define MODULE_SIGNAL_H

#include <iosfwd>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "expression.h"
#include "wood_map.h"

class SignalManager;
class SignalRef;

class Signal : public Expression {
 public:
  typedef wood_map<int> OccurrenceTable;

  // Each constructor registers occurrence 0 in m's signal manager unless the signal's
  // occurrence 0 is already registered there (its variables are created or reused in w).
  // One name: the occurrence entry for w is always set to 0.
  Signal(const std::string& name, Module* m, Bddexpressionwood* w);
  // Register forms (reg sets is_wire and is_register) and the two-name forms: the entry for
  // w is set to 0 only when the reference was created here.
  Signal(const std::string& name, Module* m, Bddexpressionwood* w, bool reg);
  Signal(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w);
  Signal(const std::string& original, const std::string& internal, Module* m, Bddexpressionwood* w, bool reg);

  // Plain copy: names, flags and the occurrence table itself (shared, so both advance together).
  Signal(Signal& other);
  Signal& operator=(const Signal&) = delete;
  // Copy of src (a signal of src_module) into m and its equation system w, with its own
  // occurrence table and references; the second form uses m's own equation system.
  Signal(Signal& src, Module* m, Bddexpressionwood* w, Module* src_module);
  Signal(Signal& src, Module* m, Module* src_module);
  ~Signal() override = default;  // occurrence tables live until dropped or the program ends

  const std::string& getOriginalName() const { return original_name; }
  const std::string& getInternalName() const { return internal_name; }
  bool isOutput() const { return is_output; }
  bool isValue() const { return is_value; }
  bool isData() const { return is_data; }
  void setWire(bool b) { is_wire = b; }

  // ----- occurrences -----
  int getCurrentOccurrence(Bddexpressionwood* w) const;
  void setCurrentOccurrence(Bddexpressionwood* w, int n);
  void extendCurrentOccurrenceTable(Bddexpressionwood* w, int n);
  // Opens the next occurrence of a local or output signal in w (no-op for other kinds).
  Signal* newOccurrence(Bddexpressionwood* w, Module* m);
  // Name of the current occurrence in w (in m's own equation system for the second form).
  std::string getName(Module* m, Bddexpressionwood* w) const;
  std::string getName(Module* m) const;

  // ----- references and variables -----
  SignalRef* getSignalRef(SignalManager* sm, Bddexpressionwood* w) const;
  SignalRef* getSignalRef(Module* m, Bddexpressionwood* w) const;
  SignalRef* getSignalRef(Module* m) const;
  // First in name order of this signal's references defined for w; none is fatal (exit 1).
  SignalRef* getCurrentSignalRef(Bddexpressionwood* w, Module* m) const;
  // Ids of the recorded current occurrence; -1 when its reference has no ids for w.
  long getBddStatusId(Module* m, Bddexpressionwood* w) const;
  long getBddValueId(Module* m, Bddexpressionwood* w) const;
  // Ids of occurrence 0; -1 when its reference has no ids for w.
  long getInitialBddStatusId(Module* m, Bddexpressionwood* w) const;
  long getInitialBddValueId(Module* m, Bddexpressionwood* w) const;
  // Status and value ids of occurrences 0 .. current (local, wire or output signals).
  std::list<long> getAllBddId(Module* m, Bddexpressionwood* w) const;
  std::string getStatusName(Module* m) const;
  std::string getValueName(Module* m) const;

  // ----- Expression -----
  // Current rails: the variables of the highest occurrence defined for w.
  bdd getBddStatus(Module* m, Bddexpressionwood* w) override;
  bdd getBddValue(Module* m, Bddexpressionwood* w) override;
  bdd getInitialBddStatus(Module* m, Bddexpressionwood* w) override;
  bdd getInitialBddValue(Module* m, Bddexpressionwood* w) override;
  Expression* duplicate() override;
  Expression* buildCurrentExpression(EquationTable* table, Module* m) override;

  // ----- kinds and values -----
  int computeStatusType() const;
  int computeValueType() const;
  std::string getValueType(Module* m) const;
  void setValueType(const std::string& type, Module* m);
  void setValueType(const std::string& type, Module* m, Bddexpressionwood* w);
  bool isValued(Module* m, Bddexpressionwood* w) const;
  bool isValued(Module* m) const;

  void printSignalOccurrence(std::ostream& os) const;

  // Removes w from every occurrence table (w is being destroyed).
  static void forgetWood(Bddexpressionwood* w);
  // Every occurrence table with an entry for from gets the same entry for to (a copy of
  // from's equation system); nothing to do when to reads through from already.
  static void copyWood(Bddexpressionwood* to, Bddexpressionwood* from);
  // The internal names of the signals whose occurrence was written for w, a fork's copy (its
  // copy by copyWood is not a write), with repeats, until w is forgotten.
  static const std::vector<std::string>& occurrencesWritten(Bddexpressionwood* w);
  // Frees this signal's occurrence table, which its plain copies share: for a signal going
  // with all its copies.
  void dropOccurrenceTable();
  // How many tables dropOccurrenceTable has freed so far.
  static unsigned long droppedTables();

  std::string original_name;
  std::string internal_name;
  bool is_local = false;
  bool is_input = false;
  bool is_output = false;
  bool is_wire = false;
  bool is_register = false;
  bool is_clock = false;
  bool is_value = false;  // bound by a value binding
  bool is_data = false;   // declared in the data-signal section of a compiled module
  // Made for an included instance of a module: only the instance's equations and its run's
  // bindings define it, and the pauses of the module that includes it open no occurrence
  // of it.
  bool is_instance = false;
  OccurrenceTable* occurrence_table = nullptr;

 private:
  void construct(Module* m, Bddexpressionwood* w, bool always_record);
  SignalRef* initialRef(Module* m, Bddexpressionwood* w, const char* operation) const;
  SignalRef* recordedRef(Module* m, Bddexpressionwood* w, const char* no_entry, const char* no_ref) const;
  SignalRef* railRef(Module* m, Bddexpressionwood* w, const char* operation) const;
  SignalRef* existingRef(Module* m, Bddexpressionwood* w, const char* operation) const;
  static OccurrenceTable* newOccurrenceTable();
};

std::ostream& operator<<(std::ostream& os, Signal const* s);

#endif
