// Internal to the C and SystemC generators: the module writer they share, and the pieces
// of the C equation writer that the SystemC writer reuses.
#ifndef GEN_C_WRITER_H
#define GEN_C_WRITER_H

#include <functional>
#include <iosfwd>
#include <list>
#include <set>
#include <string>
#include <unordered_set>
#include <vector>

#include "Bddexpression.h"
#include "bddpp.h"

class DataBinding;
class DataExpr;
class Module;
class Signal;

// The variable names of one C body: prefix + name + suffix, and "(*" + that + ")" for a
// read of a variable passed by pointer (pointer names are bare names).
class CNames {
 public:
  CNames(const std::list<std::string>& pointer_names, const std::string& prefix, const std::string& suffix);
  bool pointer(const std::string& bare) const;
  std::string written(const std::string& bare) const;
  std::string read(const std::string& bare) const;

 private:
  std::unordered_set<std::string> pointers;
  std::string prefix;
  std::string suffix;
};

// Each equation of w in earliest order, written by put(equation) and followed by a line
// end, once the manager's marks are cleared: a node written for an earlier equation is
// shared by the later ones. Nothing without a manager.
template <class Put>
void put_system_equations(Bddexpressionwood& w, std::ostream& os, Put put) {
  if (w.my_bdd_manager() == nullptr) return;
  w.my_bdd_manager()->Bdd_global_clear_marks();
  for (long id : w.earliest_sort()) {
    Bddexpression* e = w.slot(id);
    if (e == nullptr) continue;
    put(*e);
    os << "\n";
  }
}

// The node lines of the unmarked nodes under n (marking them), children first.
void put_c_network(std::ostream& os, bddpp_manager* man, const CNames& names, const std::string& A, bdd_node* n);
// One equation without a line end (see put_c).
void put_c_equation(Bddexpression& e, std::ostream& os, const std::string& A, const CNames& names);
// Whether id is the status variable of the signal occurrence that owns it.
bool is_status_rail(Module& m, long id);
// The binding that defines an abstract equation of the signal occurrence named
// signal_name; none: "***error: abstract equation without bindind for:" + the name on
// standard error and exit 1.
DataBinding* abstract_binding(Module& m, const std::string& signal_name);
// indent + the equation's variable + " = " + the binding's value by writer + ";" and a
// line end; on a value rail the value is negated, "!(" + value + ")", as a present signal
// has a false value rail.
void put_abstract_equation(Module& m, Bddexpression& e, long id, DataBinding& b, std::ostream& os,
                           const char* indent, void (DataExpr::*writer)(std::ostream&, Module*));
// The value block of an emission clocked by a local: when the clock is present (the
// condition guard) and the emission's variable V is true, Q + "_val" takes the binding's
// value (by writer), else, when first (Q's first block), the zero of the clock's type.
void put_guarded_value(Module& m, std::ostream& os, const std::string& guard, const std::string& Q,
                       const std::string& V, DataBinding& b, void (DataExpr::*writer)(std::ostream&, Module*),
                       bool first);

// The status variables that tell that s is present in a reaction, among the variables the
// equations use: its occurrence 0 alone when used (it gathers the later ones), else the
// later occurrences used; none when s is never present.
std::vector<long> presence_ids(Module& m, Signal* s, const std::set<long>& used);
// The condition that s is present: the variables of presence_ids, named by name, joined by
// or_text; none_text when there is none. A binding signal's current occurrence may be one
// the system no longer has, so a value block cannot name it.
std::string presence_condition(Module& m, Signal* s, const std::set<long>& used,
                               const std::function<std::string(long)>& name, const std::string& or_text,
                               const std::string& none_text);

// The value blocks of the emissions clocked by locals in an equation writer that takes the
// equations in earliest order, where a clock (the input of an included module, say) may
// come after its emission, or be used at other occurrences than the one the binding names:
// each block is guarded by the clock's presence (presence_ids) and written as soon as the
// variables it tests are computed, so that it never reads one declared nowhere or not yet
// set. A clock never present gets no block (its value is never read). Of several emissions
// of one clock, the last present gives the value, as in the engine: only the first block
// sets the zero.
class GuardedValues {
 public:
  GuardedValues(Module& m, std::ostream& os, std::function<std::string(long)> name, const std::string& or_text,
                void (DataExpr::*writer)(std::ostream&, Module*));
  GuardedValues(const GuardedValues&) = delete;
  GuardedValues& operator=(const GuardedValues&) = delete;

  // After the equation of id: the blocks that waited for it alone.
  void computed(long id);
  // After the status equation e of b's signal, whose clock is a local: its block, whose
  // value goes to Q + "_val".
  void emission(Bddexpression& e, DataBinding& b, const std::string& Q);
  // After the last equation: the blocks that still wait (for an equation left out).
  void finish();

 private:
  struct Block {
    std::string guard, Q, V;
    DataBinding* binding;
    std::set<long> waiting;  // variables with an equation not yet written
  };
  void put(const Block& b);

  Module& m;
  std::ostream& os;
  const std::function<std::string(long)> name;
  const std::string or_text;
  void (DataExpr::*const writer)(std::ostream&, Module*);
  const std::set<long> used;
  std::set<long> done;
  std::vector<Block> pending;
  std::set<std::string> valued;  // the Q of the blocks written
};

// One write of the C body and header of a module (Module::C_put), or of their SystemC
// flavour (Module::SYSTEMC_put).
class CModuleWriter {
 public:
  CModuleWriter(Module& m, std::ostream& body, std::ostream& header, bool systemc);
  void write();

 private:
  // The rail ids named: inputs (and everything in SystemC) by the current occurrence,
  // outputs by occurrence 0.
  long statusId(Signal* s, bool input) const;
  long valueId(Signal* s, bool input) const;
  void both(const std::string& text);
  // reaction: a parameter of the reaction function, recorded as such (an output's name
  // also as a pointer name).
  void parameter(Signal* s, long id, bool input, bool& first, bool reaction);
  void parameters(std::list<Signal*>* signals, bool input, bool& first, bool reaction);
  void writeData();
  void writeFunctions();
  void writeLocals();
  void writeCEquations();
  void writeSystemCEquations();
  // The value block of output G, after the equations.
  void writeClockGroup(Signal* G, const std::list<DataBinding*>& bindings);
  // The C condition that s is present (presence_condition).
  std::string presence(Signal* s) const;

  Module& m;
  std::ostream& body;
  std::ostream& header;
  bool systemc;
  const std::string M;
  Bddexpressionwood* w;
  bddpp_manager* man;
  std::list<std::string> pointer_names;  // output rails of the reaction function
  std::set<long> parameter_ids;          // rails passed to the reaction function
  std::set<long> declared;               // local flags of the reaction function
  std::set<long> used;                   // variables the equations define or read
};

#endif
