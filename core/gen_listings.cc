// Listings of a module: the documentation listing (state machine and node definitions),
// the debug trace (its file shown in the message sink's listing viewer), and the plain,
// LaTeX and structure printers of equations.
#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <list>
#include <sstream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "Stringpp.h"
#include "g_messages.h"
#include "gen_files.h"
#include "gen_printers.h"
#include "module.h"
#include "module_signal.h"

namespace {

bool writable(Bddexpression& e) {
  return e.my_bdd_manager() != nullptr && e.bdd_var.node() != nullptr && e.bdd_exp.manager_ref() != nullptr &&
         e.bdd_exp.node() != nullptr;
}

// Each equation in earliest-date order that exists, by write.
template <class Write>
void each_equation(Bddexpressionwood& w, Write write) {
  for (long id : w.earliest_sort())
    if (Bddexpression* e = w.slot(id)) write(*e);
}

// ", " between the names of one section line.
class NameList {
 public:
  explicit NameList(std::ostream& os) : os(os) {}
  void add(const std::string& name) {
    os << (first ? "" : ", ") << name;
    first = false;
  }

 private:
  std::ostream& os;
  bool first = true;
};

void rails(Module& m, NameList& names, std::list<Signal*>& signals) {
  Bddexpressionwood* w = m.getBddWood();
  for (Signal* s : signals) {
    long sid = s->getBddStatusId(&m, w);
    long vid = s->getBddValueId(&m, w);
    if (sid != -1) names.add(w->Name_var_by_index(sid));
    if (vid != -1) names.add(w->Name_var_by_index(vid));
  }
}

// label + wires (when not finalised) + rails of the signals + ";"; nothing for no signal.
void section(Module& m, std::ostream& os, const char* label, std::list<Signal*>* signals,
             std::initializer_list<Signal*> wires) {
  if (signals == nullptr || signals->empty()) return;
  os << label;
  NameList names(os);
  if (m.getFinalised() == 0)
    for (Signal* s : wires)
      if (s != nullptr) names.add(s->getStatusName(&m));
  rails(m, names, *signals);
  os << ";\n";
}

}  // namespace

// ===================================================================================
// Documentation
// ===================================================================================

namespace {

// The text of Bddexpression::put_doc with the node lines before the defined variable and
// the marks left to the caller, so that a node shared by two equations is written once.
void doc_equation(Bddexpression& e, std::ostream& os, const std::string& node_name) {
  bddpp_manager* m = e.my_bdd_manager();
  if (m == nullptr) return;
  if (e.bdd_var.node() == nullptr) {
    os << "   not defined!";
    return;
  }
  std::string label = "   " + e.my_bddname();
  if (e.bdd_exp.manager_ref() != m || e.bdd_exp.node() == nullptr) {
    os << label << "= ???";
  } else if (m->Bdd_is_tautology(e.bdd_exp)) {
    os << label << (m->Bdd_is_one_tautologic(e.bdd_exp) ? "= true;" : "= false;");
  } else if (m->Bdd_is_var(e.bdd_exp)) {
    os << label << "= " << m->Name_var_by_bdd(e.bdd_exp) << ";";
  } else {
    m->Print_node_for_eval_NUSMV("", "", "   ", node_name, os, e.bdd_exp.node());
    os << label << "= " << (e.bdd_exp.link_type() == -1 ? "!" : "") << node_name << "_"
       << e.bdd_exp.node()->global_id();
  }
}

}  // namespace

void Put_doc(Bddexpressionwood& w, std::ostream& os, const std::string& node_name) {
  if (w.my_bdd_manager() == nullptr) return;
  w.my_bdd_manager()->Bdd_global_clear_marks();
  for (long id : w.earliest_sort()) {
    if (Bddexpression* e = w.slot(id)) doc_equation(*e, os, node_name);
    os << "\n";
  }
}

// A register's state is its status rail: the value rail is its negation.
void Module::DOC_put(std::ostream& os, int) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) return;
  bool registers = register_list != nullptr && !register_list->empty();
  if (registers) {
    os << "state ";
    NameList names(os);
    for (regclass* r : *register_list) names.add(r->actual_var()->getStatusName(this));
    os << ";\n";
  }
  section(*this, os, "inputs ", input_signal_list, {set_wire, reset_wire});
  section(*this, os, "outputs ", output_signal_list, {rtl_wire});
  section(*this, os, "locals ", local_signal_list, {});
  os << "\n";
  if (registers) {
    os << "initial ";
    const char* separator = "";
    for (regclass* r : *register_list) {
      os << separator << (r->is_initialy_true() ? "" : "not ") << r->actual_var()->getStatusName(this);
      separator = " and ";
    }
    os << ";\n\ntransition\n";
    for (regclass* r : *register_list)
      os << r->actual_var()->getStatusName(this) << "' = " << r->next_var()->getStatusName(this) << ";\n";
    os << "\n";
  }
  os << "definitions\n";
  Put_doc(*w, os, "node");
  os << "\n";
}

// ===================================================================================
// Debug listing
// ===================================================================================

namespace {

std::string rail_name(Bddexpressionwood* w, long id) { return id == -1 ? "NODEF" : w->Name_var_by_index(id); }

void debug_signals(Module& m, std::ostream& os, const char* label, std::list<Signal*>* signals) {
  if (signals == nullptr || signals->empty()) return;
  Bddexpressionwood* w = m.getBddWood();
  os << label;
  for (Signal* s : *signals)
    os << " " << s->getName(&m, w) << "(" << rail_name(w, s->getBddStatusId(&m, w)) << ","
       << rail_name(w, s->getBddValueId(&m, w)) << ") ";
  os << " ;\n";
}

std::string wire_name(Module& m, Signal* s) { return s != nullptr ? s->getName(&m, m.getBddWood()) : ""; }

}  // namespace

void Module::DEBUG_put(std::ostream& os) {
  std::cerr << "enter debug put \n";
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) {
    std::cerr << "end of debug put\n";
    return;
  }
  os << "module " << name << "\n";
  debug_signals(*this, os, "input", input_signal_list);
  debug_signals(*this, os, "output", output_signal_list);
  debug_signals(*this, os, "local", local_signal_list);
  if (register_list != nullptr && !register_list->empty()) {
    os << "register\n";
    for (regclass* r : *register_list) os << *r << ";\n";
    os << "\n";
  }
  os << "external wires " << wire_name(*this, set_wire) << " " << wire_name(*this, reset_wire) << " "
     << wire_name(*this, rtl_wire) << ";\n\n";
  os << "equations\n";
  // One pass per level over the ids keeps the listing linear in the equations.
  std::vector<std::list<long>> by_level(static_cast<size_t>(std::max<long>(w->Nb_level() + 1, 0)));
  for (long id = 0; id < w->Nb_bdd_vars(); ++id) {
    Bddexpression* e = w->slot(id);
    if (e != nullptr && e->getEarlyDate() >= 0 && e->getEarlyDate() <= w->Nb_level())
      by_level[static_cast<size_t>(e->getEarlyDate())].push_back(id);
  }
  for (const std::list<long>& level : by_level)
    for (long id : level) {
      Bddexpression* e = w->slot(id);
      long var = e->my_index_var();
      long latest = e->my_bdd_manager() != nullptr && w->valid_id(var) ? w->latest(var) : 0;
      os << var << ": " << *e << "  dates (" << e->getEarlyDate() << "," << latest << ")" << " aval {";
      const char* separator = "";
      for (long d : e->set_of_var_dependances()) {
        os << separator << d;
        separator = ",";
      }
      os << "}\n";
    }
  os << "end equations\n\n";
  std::cerr << "end of debug put\n";
}

std::list<std::string> debug_listing_lines(std::istream& in) {
  std::list<std::string> lines;
  std::string entry = "#COLONNE 130 ";
  size_t taken = 0;  // file text in the current entry
  char c;
  while (in.get(c)) {
    if (c == '\n' || c == '\0') {
      lines.push_back(entry);
      entry.clear();
      taken = 0;
      continue;
    }
    entry += c;
    if (++taken == 128) {
      lines.push_back(entry);
      entry.clear();
      taken = 0;
    }
  }
  return lines;
}

void Module::printDebug() {
  std::string path = in_output_dir(generated_file_name(name, ".dbg"));
  bool written = write_generated_files({{path, path, OldFile::said_rewritten}},
                                       [&](std::vector<std::ostream*>& files) { DEBUG_put(*files[0]); });
  if (!written) return;
  std::ifstream in(path, std::ios::binary);
  fl_show_Slisting(debug_listing_lines(in), "Debugging trace");
}

// ===================================================================================
// Other listings
// ===================================================================================

void put_bac(Bddexpression& e, std::ostream& os, int method) {
  if (!writable(e)) return;
  bddpp_manager* man = e.my_bdd_manager();
  os << man->Name_var_by_bdd(e.bdd_var) << " = ";
  man->Print_sop(" or ", " and ", "not ", "", os, e.bdd_exp, method);
}

void Put_bac(Bddexpressionwood& w, std::ostream& os, int method) {
  each_equation(w, [&](Bddexpression& e) {
    put_bac(e, os, method);
    os << ";\n";
  });
}

void put_latex(Bddexpression& e, std::ostream& os, int method) {
  if (!writable(e)) return;
  bddpp_manager* man = e.my_bdd_manager();
  os << "$" << latex_String_filter(man->Name_var_by_bdd(e.bdd_var)) << " = "
     << latex_String_filter(man->Print_sop_to_String(" + ", ".", "\\overline{", "}", e.bdd_exp, method)) << "$";
}

void Put_latex(Bddexpressionwood& w, std::ostream& os, int method) {
  os << "\\begin{itemize}\n";
  each_equation(w, [&](Bddexpression& e) {
    os << "\\item ";
    put_latex(e, os, method);
    os << "\n";
  });
  os << "\\end{itemize}\n";
}

void put_tree(Bddexpression& e, std::ostream& os) {
  if (!writable(e)) return;
  bddpp_manager* man = e.my_bdd_manager();
  os << man->Name_var_by_bdd(e.bdd_var) << "=\n";
  man->Print_bdd_structure(os, e.bdd_exp);
}
