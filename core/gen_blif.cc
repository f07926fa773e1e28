// BLIF target: the module as a netlist, one latch per register and single-output tables
// for every BDD node and every equation.
#include <cstdlib>
#include <iostream>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "equationtable.h"
#include "g_messages.h"
#include "gen_files.h"
#include "gen_netlists.h"
#include "module.h"
#include "module_signal.h"
#include "signal_manager.h"

void put_blif(Bddexpression& e, std::ostream& os, const std::string& nodeName) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr || e.bdd_var.node() == nullptr || e.bdd_exp.node() == nullptr) return;
  std::string name = man->Name_var_by_bdd(e.bdd_var);
  const bdd& f = e.bdd_exp;
  if (man->Bdd_is_var(f)) {
    os << ".names " << man->Name_var_by_bdd(f) << " " << name << "\n1 1\n";
    return;
  }
  man->Print_node_for_eval_BLIF("", "", nodeName, os, f.node());
  os << ".names " << nodeName << "_" << f.node()->global_id() << " " << name << "\n"
     << (f.link_type() == 1 ? "1 1" : "0 1") << "\n";
}

void Put_blif(Bddexpressionwood& w, std::ostream& os, const std::string& nodeName, const int* selected) {
  if (w.my_bdd_manager() == nullptr) return;
  w.my_bdd_manager()->Bdd_global_clear_marks();
  for (long id : w.earliest_sort()) {
    Bddexpression* e = w.slot(id);
    if (e != nullptr && (selected == nullptr || selected[id] == 1)) put_blif(*e, os, nodeName);
    os << "\n";
  }
}

void Put_blif(Bddexpressionwood& w, std::ostream& os, const std::string& nodeName) {
  Put_blif(w, os, nodeName, nullptr);
}

namespace {

[[noreturn]] void blif_fatal(const std::string& text) { fl_exit_S(forms_box_kind::message, text, 1); }

}  // namespace

void Module::BLIF_put(std::ostream& os, int) {
  if (getEquationTable() == nullptr) blif_fatal("ERROR in Module::BLIF_put(): no equationtable defined!");
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) blif_fatal("ERROR in Module::BLIF_put(): no bdd manager defined!");
  const std::string& M = getName();
  bool finalised = getFinalised() != 0;
  os << ".model " << M << "\n";
  // The data signals are inputs whenever there are any, so that no net stays undriven.
  std::vector<Rail> inputs = signal_rails(*this, getInputSignalList(), !finalised);
  for (const Rail& r : signal_rails(*this, getDataSignalList(), !finalised)) inputs.push_back(r);
  if (!finalised) os << ".inputs" << " _s_SET" << M << " _s_RESET" << M;
  if (!inputs.empty()) {
    if (finalised) os << ".inputs";
    for (const Rail& r : inputs) os << " " << r.name;
  }
  os << "\n";
  if (!finalised) os << ".outputs" << " _s_RTL" << M;
  if (getOutputSignalList() != nullptr && !getOutputSignalList()->empty()) {
    if (finalised) os << ".outputs";
    for (Signal* s : *getOutputSignalList()) {
      SignalRef* ref = getSignalManager()->getSignalRefByName(s->getInternalName());
      if (ref == nullptr) continue;
      os << " " << w->Name_var_by_index(ref->getBddStatusId(w));
      long value = ref->getBddValueId(w);
      if (!finalised && value != -1) os << " " << w->Name_var_by_index(value);
    }
  }
  os << "\n";
  if (getRegisterList() != nullptr && !getRegisterList()->empty()) {
    for (regclass* r : *getRegisterList())
      os << ".latch " << r->next_var()->getStatusName(this) << " " << r->actual_var()->getStatusName(this) << " "
         << r->is_initialy_true() << " \n";
    os << "\n";
  }
  Put_blif(*w, os, M + "_node");
  os << "\n.end\n\n";
}

void Module::printBLIF() {
  std::string path = in_output_dir(generated_file_name(getName(), ".blif"));
  write_generated_files({{path, path}},
                        [&](std::vector<std::ostream*>& out) { BLIF_put(*out[0], !Compilation::KeepWiresFlag); });
}
