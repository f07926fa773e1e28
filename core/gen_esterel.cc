// Esterel target: every rail a pure signal, each register a branch running the delay
// module "my_pre", every equation a parallel branch of a loop that emits its variable
// when its sum of products is present.
#include <initializer_list>
#include <iterator>
#include <list>
#include <ostream>
#include <set>
#include <string>

#include "Bddexpression.h"
#include "gen_printers.h"
#include "module.h"
#include "module_signal.h"

void put_esterel(Bddexpression& e, std::ostream& os, int method) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr || e.bdd_var.node() == nullptr || e.bdd_exp.manager_ref() == nullptr ||
      e.bdd_exp.node() == nullptr)
    return;
  os << "  present [" << man->Print_sop_to_ESTEREL_String(e.bdd_exp, method) << "] then\n"
     << "    emit " << man->Name_var_by_bdd(e.bdd_var) << "\n"
     << "  end present";
}

void Put_esterel(Bddexpressionwood& w, std::ostream& os, int method) {
  bool first = true;
  for (long id : w.earliest_sort()) {
    Bddexpression* e = w.slot(id);
    if (!first) os << "  ||\n";
    first = false;
    if (e == nullptr) continue;
    put_esterel(*e, os, method);
    os << "\n";
  }
}

namespace {

class EsterelWriter {
 public:
  EsterelWriter(Module& m, std::ostream& os)
      : m(m), os(os), w(m.getBddWood()), man(w->my_bdd_manager()), finalised(m.getFinalised() != 0) {}

  void write(int method) {
    os << "module " << m.getName() << ":\n";
    declaration("input ", {m.getSet(), m.getReset()}, m.getInputSignalList(), !finalised);
    declaration("output ", {m.getRtl()}, m.getOutputSignalList(), true);
    std::list<std::string> locals = localSignals();
    if (!locals.empty()) {
      os << "\nsignal " << locals.front();
      for (auto it = std::next(locals.begin()); it != locals.end(); ++it) os << ",\n       " << *it;
      os << " in\n\n";
    }
    if (m.getRegisterList() != nullptr)
      for (regclass* r : *m.getRegisterList()) {
        std::string current = r->actual_var()->getStatusName(&m);
        os << "  [\n";
        if (r->is_initialy_true()) os << "    emit " << current << ";\n";
        os << "    run my_pre [signal " << r->next_var()->getStatusName(&m) << " / S, " << current << " / preS]\n"
           << "  ]\n"
           << "  ||\n";
      }
    os << "  loop\n  [\n";
    Put_esterel(*w, os, method);
    os << "  ]\n  each tick\n";
    if (!locals.empty()) os << "end signal \n";
    os << "end module\n\n";
  }

 private:
  void declare(bool& first, long id) {
    if (id == -1) return;
    os << (first ? "" : ", ") << man->Name_var_by_index(id);
    first = false;
    interface.insert(id);
  }

  // keyword + the module wires (when not finalised, under their variable names, the names
  // the equations use) + the signals' status rails and, when values, value rails + " ;".
  void declaration(const char* keyword, std::initializer_list<Signal*> module_wires, std::list<Signal*>* list,
                   bool values) {
    bool with_wires = !finalised;
    bool with_list = list != nullptr && !list->empty();
    if (!with_wires && !with_list) return;
    os << keyword;
    bool first = true;
    if (with_wires)
      for (Signal* s : module_wires)
        if (s != nullptr) {
          declare(first, s->getBddStatusId(&m, w));
          declare(first, s->getBddValueId(&m, w));
        }
    // A signal of the interface at its occurrence 0 (an output's gathers its later occurrences).
    if (with_list)
      for (Signal* s : *list) {
        declare(first, s->getInitialBddStatusId(&m, w));
        if (values) declare(first, s->getInitialBddValueId(&m, w));
      }
    os << " ;\n";
  }

  // The rails read or emitted that the interface does not declare, in id order.
  std::list<std::string> localSignals() {
    std::set<long> ids = w->Set_of_index_used_variables();
    for (long id = 0; id < w->Nb_bdd_vars(); ++id)
      if (w->slot(id) != nullptr) ids.insert(id);
    if (m.getRegisterList() != nullptr)
      for (regclass* r : *m.getRegisterList()) {
        ids.insert(r->actual_var()->getBddStatusId(&m, w));
        ids.insert(r->next_var()->getBddStatusId(&m, w));
      }
    std::list<std::string> names;
    for (long id : ids)
      if (id != -1 && interface.count(id) == 0) names.push_back(man->Name_var_by_index(id));
    return names;
  }

  Module& m;
  std::ostream& os;
  Bddexpressionwood* w;
  bddpp_manager* man;
  const bool finalised;
  std::set<long> interface;
};

}  // namespace

void Module::ESTEREL_put(std::ostream& os, int method) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  EsterelWriter(*this, os).write(method);
}
