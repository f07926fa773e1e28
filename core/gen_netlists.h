// Shared by the SMV, VHDL, BLIF and GAL generators: the rails they list for a signal list,
// and the equation writers of the VHDL and BLIF netlists.
#ifndef GEN_NETLISTS_H
#define GEN_NETLISTS_H

#include <iosfwd>
#include <list>
#include <map>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "module.h"
#include "module_signal.h"

struct Rail {
  long id;
  std::string name;
};

// For each signal in list order its status rail (when it has one) and, when with_value,
// its value rail (when it has one). A null list gives no rails.
inline std::vector<Rail> signal_rails(Module& m, const std::list<Signal*>* signals, bool with_value) {
  std::vector<Rail> out;
  if (signals == nullptr) return out;
  Bddexpressionwood* w = m.getBddWood();
  // Each signal at its occurrence 0 (an output's gathers its later occurrences).
  for (Signal* s : *signals) {
    long status = s->getInitialBddStatusId(&m, w);
    if (status != -1) out.push_back({status, w->Name_var_by_index(status)});
    if (!with_value) continue;
    long value = s->getInitialBddValueId(&m, w);
    if (value != -1) out.push_back({value, w->Name_var_by_index(value)});
  }
  return out;
}

// ----- VHDL (node array A; outputs: the output port names) -----
// One equation of the concurrent part, without a line end: an output's node network and a
// comment (the process assigns it), "name <= variable" for a single positive variable,
// else the network and "name <= A(root)" ("<= not " for a complemented root).
void put_vhdl(Bddexpression& e, std::ostream& os, const std::string& A, std::list<std::string>& outputs);
// The written names of the variables whose VHDL names are renamed (case collisions).
typedef std::map<std::string, std::string> VhdlRenames;
// The clocked process (reset branch, inputs sampled on the rising edge, outputs and
// registers updated on the falling edge), then every equation in earliest-date order;
// a variable in renames is written by its entry.
void Put_vhdl(Bddexpressionwood& w, std::ostream& os, const std::string& A, std::list<std::string>& inputs,
              std::list<std::string>& outputs, std::list<std::string>& resets, std::list<std::string>& updates,
              const VhdlRenames& renames);

// ----- BLIF (node names nodeName + "_" + global id) -----
// One equation: its node tables and a buffer (or inverter) table onto its variable.
void put_blif(Bddexpression& e, std::ostream& os, const std::string& nodeName);
// Clears the marks, then every equation in earliest-date order, a line end after each id;
// the selecting form writes only the ids whose entry of selected is 1.
void Put_blif(Bddexpressionwood& w, std::ostream& os, const std::string& nodeName);
void Put_blif(Bddexpressionwood& w, std::ostream& os, const std::string& nodeName, const int* selected);

#endif
