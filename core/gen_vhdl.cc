// VHDL target: one entity (the inputs, the outputs, reset and clk) and one architecture
// holding the whole node network of the equations as an array of one-bit signals, a
// clocked process that samples the inputs and updates the outputs and registers, and the
// concurrent evaluation of the network.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <list>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "gen_files.h"
#include "gen_netlists.h"
#include "module.h"
#include "module_signal.h"

namespace {

const char* const Keywords[] = {
    "abs",      "access",   "after",     "alias",    "all",       "and",      "architecture", "array",
    "assert",   "assume",   "attribute", "begin",    "block",     "body",     "buffer",       "bus",
    "case",     "component", "configuration", "constant", "context", "cover", "default", "disconnect",
    "downto",   "else",     "elsif",     "end",      "entity",    "exit",     "fairness",     "file",
    "for",      "force",    "function",  "generate", "generic",   "group",    "guarded",      "if",
    "impure",   "in",       "inertial",  "inout",    "is",        "label",    "library",      "linkage",
    "literal",  "loop",     "map",       "mod",      "nand",      "new",      "next",         "nor",
    "not",      "null",     "of",        "on",       "open",      "or",       "others",       "out",
    "package",  "parameter", "port",     "postponed", "procedure", "process", "property",     "protected",
    "pure",     "range",    "record",    "register", "reject",    "release",  "rem",          "report",
    "restrict", "return",   "rol",       "ror",      "select",    "sequence", "severity",     "shared",
    "signal",   "sla",      "sll",       "sra",      "srl",       "strong",   "subtype",      "then",
    "to",       "transport", "type",     "unaffected", "units",   "until",    "use",          "variable",
    "vmode",    "vprop",    "vunit",     "wait",     "when",      "while",    "with",         "xnor",
    "xor",      "reset",    "clk"};

bool basic_identifier(const std::string& name) {
  if (name.empty() || !std::isalpha(static_cast<unsigned char>(name[0])) || name.back() == '_') return false;
  if (name.find("__") != std::string::npos) return false;
  for (char c : name)
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return std::find(std::begin(Keywords), std::end(Keywords), lower) == std::end(Keywords);
}

// A variable name as written: an extended identifier when it is not a legal basic one
// (or would clash with a keyword or the added reset and clk ports).
std::string vhdl_name(const std::string& name) {
  if (basic_identifier(name)) return name;
  std::string s = "\\";
  for (char c : name) s += c == '\\' ? std::string("\\\\") : std::string(1, c);
  return s + "\\";
}

typedef VhdlRenames Renames;

std::string folded(std::string name) {
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return name;
}

// Basic identifiers ignore letter case (extended ones do not): a declared name that folds
// to a name the design already declared is written with the first suffix "_1", "_2", ...
// that folds to no declared name. fixed: the design's own names, declared first;
// names: the variable names in declaration order.
Renames case_renames(const std::vector<std::string>& fixed, const std::vector<std::string>& names) {
  std::set<std::string> all, taken;
  for (const std::string& f : fixed) all.insert(folded(f));
  taken = all;
  for (const std::string& n : names)
    if (basic_identifier(n)) all.insert(folded(n));
  Renames renames;
  std::set<std::string> seen;
  for (const std::string& n : names) {
    if (!basic_identifier(n) || !seen.insert(n).second) continue;
    if (taken.insert(folded(n)).second) continue;
    for (int k = 1;; ++k) {
      std::string candidate = n + "_" + std::to_string(k);
      if (all.count(folded(candidate)) != 0) continue;
      all.insert(folded(candidate));
      taken.insert(folded(candidate));
      renames[n] = candidate;
      break;
    }
  }
  return renames;
}

// A variable name as the design writes it.
std::string written(const Renames& renames, const std::string& name) {
  auto it = renames.find(name);
  return it != renames.end() ? it->second : vhdl_name(name);
}

std::string element(const std::string& A, const bdd_node* n) { return A + "(" + std::to_string(n->global_id()) + ")"; }

// What the network reads for a variable: the output ports are assigned only in the
// process, so a read of an output takes its equation's root instead (same reaction).
typedef std::map<std::string, std::string> Reads;

Reads output_reads(Bddexpressionwood* w, const std::list<std::string>& outputs, const std::string& A) {
  Reads reads;
  if (w == nullptr) return reads;
  std::set<std::string> ports(outputs.begin(), outputs.end());
  for (long id = 0; id < w->Nb_bdd_vars(); ++id) {
    Bddexpression* e = w->slot(id);
    if (e != nullptr && e->bdd_exp.node() != nullptr && ports.count(e->my_bddname()) != 0)
      reads[e->my_bddname()] = e->bdd_exp.vhdl_node_name(A);
  }
  return reads;
}

struct Names {
  const Reads& reads;
  const Renames& renames;
  std::string read(const std::string& name) const {
    auto it = reads.find(name);
    return it != reads.end() ? it->second : written(renames, name);
  }
};

// One assignment per unmarked node under n, children first.
void put_vhdl_network(std::ostream& os, bddpp_manager* man, const std::string& A, const Names& names, bdd_node* n) {
  if (n == nullptr || n->is_marked()) return;
  n->mark();
  if (bdd_node_is_terminal(n)) {
    os << "      " << element(A, n) << " <= '1';\n";
    return;
  }
  std::string x = names.read(man->Name_var_by_index(n->var_index()));
  if (bdd_node_is_bare_variable(n)) {
    os << "      " << element(A, n) << " <= " << x << ";\n";
    return;
  }
  put_vhdl_network(os, man, A, names, n->then_node());
  put_vhdl_network(os, man, A, names, n->else_node());
  os << "      " << element(A, n) << " <= (" << x << " and " << element(A, n->then_node()) << ") or (not " << x
     << " and " << (n->else_link_type() == -1 ? "not " : "") << element(A, n->else_node()) << ");\n";
}

bool listed(const std::list<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

void put_vhdl_equation(Bddexpression& e, std::ostream& os, const std::string& A, const std::list<std::string>& outputs,
                       const Names& names) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr || e.bdd_var.node() == nullptr || e.bdd_exp.node() == nullptr) return;
  std::string name = man->Name_var_by_bdd(e.bdd_var);
  std::string as_written = written(names.renames, name);
  const bdd& f = e.bdd_exp;
  if (listed(outputs, name)) {
    put_vhdl_network(os, man, A, names, f.node());
    os << "      -- final output evaluation of " << as_written << " in process";
  } else if (man->Bdd_is_var(f)) {
    os << "      " << as_written << " <= " << names.read(man->Name_var_by_bdd(f)) << ";";
  } else {
    put_vhdl_network(os, man, A, names, f.node());
    os << "      " << as_written << (f.link_type() == 1 ? " <= " : " <= not ") << element(A, f.node()) << ";";
  }
}

// The ports in their order (Set and Reset of a module not finalised, the inputs, the data
// signals, the outputs), then the signals: what is declared, so that its written names are
// known first; and the registers' reset and update assignments.
struct VhdlDesign {
  std::vector<std::string> leading;  // ports before reset and clk
  std::list<std::string> inputs, outputs, resets, updates;
  std::set<long> internal;
  Renames renames;
};

VhdlDesign vhdl_design(Module& m, Bddexpressionwood* w, bool finalised, const std::string& M, const std::string& A) {
  VhdlDesign d;
  d.internal = w->Set_of_index_used_variables();
  if (!finalised) {
    // The ports carry the variable names that the equations read.
    for (Signal* s : {m.getSet(), m.getReset()}) {
      long id = s->getBddStatusId(&m, w);
      d.leading.push_back(w->Name_var_by_index(id));
      d.internal.erase(id);
    }
  }
  // A data condition (a data signal) is computed by no equation of the design: as in the
  // BLIF, its rails are input ports after the inputs', for the environment to drive.
  std::vector<Rail> rails = signal_rails(m, m.getInputSignalList(), !finalised);
  for (const Rail& r : signal_rails(m, m.getDataSignalList(), !finalised)) rails.push_back(r);
  for (const Rail& r : rails) {
    d.leading.push_back(r.name);
    d.inputs.push_back(r.name);
    d.internal.erase(r.id);
  }
  if (m.getOutputSignalList() != nullptr)
    for (Signal* s : *m.getOutputSignalList()) {
      // An output's ports are its occurrence 0, which gathers every occurrence.
      long status = s->getInitialBddStatusId(&m, w), value = s->getInitialBddValueId(&m, w);
      bool bound = m.getBinding(s->getOriginalName()) != nullptr;  // no port: an internal signal
      if (status != -1 && !bound) d.internal.erase(status);
      if (value != -1) {
        if (finalised)
          d.internal.insert(value);
        else
          d.internal.erase(value);
      }
      std::list<long> ports;
      if (!bound) ports.push_back(status);
      if (value != -1 && !finalised) ports.push_back(value);
      for (long id : ports)
        if (id != -1) d.outputs.push_back(w->Name_var_by_index(id));
    }
  std::list<regclass*> none, &registers = m.getRegisterList() != nullptr ? *m.getRegisterList() : none;
  for (regclass* r : registers) d.internal.insert(r->actual_var()->getBddStatusId(&m, w));
  std::vector<std::string> declared = d.leading;
  declared.insert(declared.end(), d.outputs.begin(), d.outputs.end());
  for (long id : d.internal) declared.push_back(w->Name_var_by_index(id));
  d.renames = case_renames({M, M + "_a", "array_" + A, A, "reset", "clk"}, declared);
  for (regclass* r : registers) {
    std::string state = written(d.renames, r->actual_var()->getStatusName(&m));
    d.resets.push_back("  " + state + " <= " + (r->is_initialy_true() ? "'1'" : "'0'"));
    d.updates.push_back("  " + state + " <= " + written(d.renames, r->next_var()->getStatusName(&m)));
  }
  return d;
}

}  // namespace

void put_vhdl(Bddexpression& e, std::ostream& os, const std::string& A, std::list<std::string>& outputs) {
  Reads reads = output_reads(e.my_manager(), outputs, A);
  Renames none;
  put_vhdl_equation(e, os, A, outputs, Names{reads, none});
}

void Put_vhdl(Bddexpressionwood& w, std::ostream& os, const std::string& A, std::list<std::string>& inputs,
              std::list<std::string>& outputs, std::list<std::string>& resets, std::list<std::string>& updates,
              const VhdlRenames& renames) {
  bddpp_manager* man = w.my_bdd_manager();
  if (man == nullptr) return;
  man->Bdd_global_clear_marks();
  std::list<long> order = w.earliest_sort();
  os << "process (reset,clk)\n"
     << "begin\n"
     << "  if (reset = '0') then \n";
  for (const std::string& o : outputs) os << "    " << written(renames, o) << " <= '0';\n";
  for (const std::string& r : resets) os << "    " << r << ";\n";
  for (const std::string& i : inputs) man->Print_node_for_eval_VHDL_reset_input(A, os, i);
  os << "  elsif ( clk'event and clk='1') then \n";
  for (const std::string& i : inputs) {
    // The written name is the variable name between these texts.
    std::string name = written(renames, i);
    bool extended = vhdl_name(i) != i;
    man->Print_node_for_eval_VHDL_input(extended ? "\\" : "", extended ? "\\" : name.substr(i.size()), A, os, i);
  }
  os << "  elsif ( clk'event and clk='0') then \n";
  for (long id = 0; id < w.Nb_bdd_vars(); ++id) {
    Bddexpression* e = w.slot(id);
    if (e == nullptr || e->bdd_exp.node() == nullptr) continue;
    std::string name = e->my_bddname();
    if (listed(outputs, name))
      os << "      " << written(renames, name) << " <= " << e->bdd_exp.vhdl_node_name(A) << ";\n";
  }
  for (const std::string& u : updates) os << "    " << u << ";\n";
  os << "   end if;\n"
     << "end process;\n"
     << "\n"
     << "-- actualisation\n";
  Reads reads = output_reads(&w, outputs, A);
  Names names{reads, renames};
  for (long id : order) {
    Bddexpression* e = w.slot(id);
    if (e == nullptr) continue;
    put_vhdl_equation(*e, os, A, outputs, names);
    os << "\n";
  }
}

void Module::VHDL_put(std::ostream& os, int flavour) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) return;
  const std::string bit = flavour != 0 ? "std_logic" : "bit";
  const std::string A = getName() + "_node";
  const std::string& M = getName();
  bool finalised = getFinalised() != 0;
  VhdlDesign d = vhdl_design(*this, w, finalised, M, A);

  os << "-- VHDL generation by TREV from " << M << " Jexa compiled code\n\n";
  if (flavour != 0) os << "LIBRARY ieee;\nUSE ieee.std_logic_1164.all;\n";
  os << "entity " << M << " is\n";
  os << "  port(";
  for (size_t k = 0; k < d.leading.size(); ++k)
    os << (!finalised && k < 2 ? " " : "") << written(d.renames, d.leading[k]) << (!finalised && k < 2 ? "," : ", ");
  os << "reset, clk: in " << bit << ";\n";
  bool first = true;
  for (const std::string& o : d.outputs) {
    os << (first ? "       " : ", ") << written(d.renames, o);
    first = false;
  }
  os << (first ? "     );\n" : ": out " + bit + ");\n");
  os << "end " << M << ";\n\n"
     << "architecture " << M << "_a of " << M << " is\n";
  os << "\nTYPE array_" << A << " IS ARRAY (" << w->my_bdd_manager()->Bdd_total_size() << " downto 0) OF " << bit
     << " ;\n";
  for (long id : d.internal) os << "signal " << written(d.renames, w->Name_var_by_index(id)) << " : " << bit << ";\n";
  os << "signal " << A << " : array_" << A << ";\n\n";
  os << "begin\n"
     << "-- state and output computation\n";
  Put_vhdl(*w, os, A, d.inputs, d.outputs, d.resets, d.updates, d.renames);
  os << "end " << M << "_a;\n\n";
}

void Module::printVHDL() {
  std::string name = generated_file_name(getName(), ".vhdl");
  write_generated_files({{name, name}}, [&](std::vector<std::ostream*>& out) {
    VHDL_put(*out[0], Compilation::VHDLALTERAFlag ? 1 : 0);
  });
}
