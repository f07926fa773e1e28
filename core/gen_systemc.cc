// SystemC target: the C writer's body and header in their SystemC flavour, and the
// signal-assignment form of the equations.
#include <ostream>

#include "Bddexpression.h"
#include "gen_c_writer.h"
#include "gen_equations.h"
#include "module.h"

void Module::SYSTEMC_put(std::ostream& body, std::ostream& header) {
  CModuleWriter(*this, body, header, true).write();
}

void put_systemc(Bddexpression& e, std::ostream& os, int method) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr || e.bdd_var.node() == nullptr || e.bdd_exp.node() == nullptr) return;
  os << man->Name_var_by_bdd(e.bdd_var) << " <= ";
  man->Print_sop(" || ", " && ", "! ", "", os, e.bdd_exp, method);
  os << ";";
}

void Put_systemc(Bddexpressionwood& w, std::ostream& os, int method) {
  for (long id : w.earliest_sort()) {
    Bddexpression* e = w.slot(id);
    if (e == nullptr) continue;
    os << "    ";
    put_systemc(*e, os, method);
    os << "\n";
  }
}
