// SMV target: one module holding the circuit (registers as state variables, outputs as
// assignments, every other equation as a definition over one shared node network) and
// a main module that instantiates it with free inputs.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "gen_files.h"
#include "gen_netlists.h"
#include "module.h"
#include "module_signal.h"

namespace {

// Set and Reset (not finalised), then the inputs and the data signals; their value rails
// only when not finalised.
std::vector<std::string> smv_interface(Module& m) {
  std::vector<std::string> names;
  bool finalised = m.getFinalised() != 0;
  if (!finalised) {
    names.push_back(m.getSet()->getValueName(&m));
    names.push_back(m.getReset()->getValueName(&m));
  }
  for (const std::list<Signal*>* l : {m.getInputSignalList(), m.getDataSignalList()})
    for (const Rail& r : signal_rails(m, l, !finalised)) names.push_back(r.name);
  return names;
}

std::string joined(const std::vector<std::string>& names) {
  std::string s;
  for (const std::string& n : names) s += (s.empty() ? "" : ", ") + n;
  return s;
}

}  // namespace

void Module::NUSMV_put(std::ostream& os, int, int) {
  Bddexpressionwood* w = getBddWood();
  bddpp_manager* man = w->my_bdd_manager();
  man->Bdd_global_clear_marks();
  bool finalised = getFinalised() != 0;
  std::vector<std::string> interface = smv_interface(*this);
  std::list<regclass*> registers;
  if (getRegisterList() != nullptr) registers = *getRegisterList();
  // Variables given by VAR/ASSIGN; the definition section skips them.
  std::vector<char> written(static_cast<size_t>(w->Nb_bdd_vars()), 0);
  auto flag = [&](long id) {
    if (id >= 0 && id < w->Nb_bdd_vars()) written[static_cast<size_t>(id)] = 1;
  };

  os << "MODULE " << getName() << "(" << joined(interface) << ")\n";
  os << "VAR\n";
  long rtl = finalised ? -1 : getRtl()->getBddValueId(this, w);
  if (rtl != -1) os << w->Name_var_by_index(rtl) << ": boolean;\n";
  std::vector<Rail> outputs = signal_rails(*this, getOutputSignalList(), true);
  for (const Rail& r : outputs) os << r.name << ": boolean;\n";
  // A register's state is its status rail, the rail every other reader takes.
  for (regclass* r : registers) {
    os << r->actual_var()->getStatusName(this) << ": boolean;\n";
    flag(r->actual_var()->getBddStatusId(this, w));
  }
  os << "ASSIGN\n";
  for (regclass* r : registers)
    os << "init(" << r->actual_var()->getStatusName(this) << ") := " << r->is_initialy_true() << ";\n";
  auto assign = [&](long id) {
    Bddexpression* e = w->exp_by_index(id);
    if (e == nullptr) return;
    os << e->my_bddname() << " := ";
    man->Print_sop(" | ", " & ", "!", "", os, e->my_bdd_exp(), 1);
    os << ";\n";
    flag(id);
  };
  if (rtl != -1) assign(rtl);
  for (const Rail& r : outputs) assign(r.id);

  os << "DEFINE\n";
  for (long id = 0; id < w->Nb_bdd_vars(); ++id) {
    Bddexpression* e = w->exp_by_index(id);
    if (e == nullptr || e->getAbstraction() != 0 || written[static_cast<size_t>(id)]) continue;
    bdd f = e->my_bdd_exp();
    if (man->Bdd_is_var(f)) {
      os << "   " << e->my_bddname() << " := " << man->Name_var_by_bdd(f) << ";\n";
      continue;
    }
    man->Print_node_for_eval_NUSMV("", "", "   ", "node", os, f.node());
    os << "   " << e->my_bddname() << " := " << (f.link_type() == 1 ? "node_" : "!node_") << f.node()->global_id()
       << ";\n";
  }
  os << "ASSIGN\n";
  for (regclass* r : registers)
    os << "next(" << r->actual_var()->getStatusName(this) << ") := " << r->next_var()->getStatusName(this)
       << ";\n";

  os << "\n\nMODULE  main\n";
  os << "VAR\n";
  for (const std::string& n : interface) os << n << ": boolean;\n";
  os << "m" << getName() << ": " << getName() << "(" << joined(interface) << ");\n";
  os << "ASSIGN\n";
  for (const std::string& n : interface) os << n << ":= {0,1};\n";
}

void Module::printSMV() {
  std::string path = in_output_dir(generated_file_name(getName(), ".smv"));
  write_generated_files({{path, path, OldFile::said_rewritten}}, [&](std::vector<std::ostream*>& out) {
    if (getFinalised() == 0) finalize(0);
    NUSMV_put(*out[0], 2, !Compilation::KeepWiresFlag);
  });
}
