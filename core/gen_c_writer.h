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
// The value block of an emission clocked by a local: when the clock Q and the emission's
// variable V are both true, Q + "_val" takes the binding's value (by writer), else the
// zero of the clock's type.
void put_guarded_value(Module& m, std::ostream& os, const std::string& Q, const std::string& V, DataBinding& b,
                       void (DataExpr::*writer)(std::ostream&, Module*));

// The condition that s is present in a reaction, over the variables the equations use:
// its occurrence 0 alone when used (it gathers the later ones), else the later occurrences
// used joined by or_text, else none_text (s is never present). A binding signal's current
// occurrence may be one the system no longer has, so a value block cannot name it.
std::string presence_condition(Module& m, Signal* s, const std::set<long>& used,
                               const std::function<std::string(long)>& name, const std::string& or_text,
                               const std::string& none_text);

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
