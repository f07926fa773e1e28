// Lustre target: one node whose parameters and results are the module's rails and typed
// values, registers as initialised delays, equations as node networks over scalar node
// variables, typed values as one conditional equation per clock.
#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <list>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Bddexpression.h"
#include "data.h"
#include "gen_c_writer.h"
#include "gen_printers.h"
#include "module.h"
#include "module_signal.h"

std::string zero_lustre(const std::string& type) {
  if (type == "bool") return "false";
  if (type == "int") return "0";
  if (type == "real") return "0.0";
  return type + "_zero";
}

// ===================================================================================
// Equations
// ===================================================================================

namespace {

bool writable(Bddexpression& e) {
  return e.my_bdd_manager() != nullptr && bdd_initialised(e.bdd_var) && bdd_initialised(e.bdd_exp);
}

// arrayless: node variables stem_id, else stem[id].
void put_lustre_equation(Bddexpression& e, std::ostream& os, const std::string& stem, bool arrayless) {
  if (!writable(e)) return;
  bddpp_manager* man = e.my_bdd_manager();
  std::string left = "   " + man->Name_var_by_bdd(e.bdd_var);
  if (man->Bdd_is_var(e.bdd_exp)) {
    os << left << "= " << man->Name_var_by_bdd(e.bdd_exp) << ";";
    return;
  }
  long root = e.bdd_exp.node()->global_id();
  std::string root_name = arrayless ? stem + "_" + std::to_string(root) : stem + "[" + std::to_string(root) + "]";
  if (arrayless)
    man->Print_node_for_eval_arrayless(" or ", " and ", "not ", "", "", "", "false", ";", stem, os, e.bdd_exp.node());
  else
    man->Print_node_for_eval(" or ", " and ", "not ", "", "", "", "false", ";", stem, os, e.bdd_exp.node());
  os << left << "= " << (e.bdd_exp.link_type() == 1 ? "" : "not ") << root_name << ";";
}

void put_lustre_system(Bddexpressionwood& w, std::ostream& os, const std::string& stem, bool arrayless) {
  put_system_equations(w, os, [&](Bddexpression& e) { put_lustre_equation(e, os, stem, arrayless); });
}

}  // namespace

void put_lustre_arrayless(Bddexpression& e, std::ostream& os, const std::string& node_name) {
  put_lustre_equation(e, os, node_name, true);
}

void put_lustre(Bddexpression& e, std::ostream& os, const std::string& array) {
  put_lustre_equation(e, os, array, false);
}

void Put_lustre_arrayless(Bddexpressionwood& w, std::ostream& os, const std::string& node_name) {
  put_lustre_system(w, os, node_name, true);
}

void Put_lustre(Bddexpressionwood& w, std::ostream& os, const std::string& array) {
  put_lustre_system(w, os, array, false);
}

void Lustre_writing_node_used(Bddexpression& e, std::vector<char>& used) {
  if (!writable(e) || e.my_bdd_manager()->Bdd_is_var(e.bdd_exp)) return;
  // The nodes the network writer visits: a terminal or a bare variable ends the descent.
  std::vector<bdd_node*> stack{e.bdd_exp.node()};
  while (!stack.empty()) {
    bdd_node* n = stack.back();
    stack.pop_back();
    size_t id = static_cast<size_t>(n->global_id());
    if (id >= used.size()) used.resize(id + 1, 0);
    if (used[id] != 0) continue;
    used[id] = 1;
    if (bdd_node_is_terminal(n) || bdd_node_is_bare_variable(n)) continue;
    stack.push_back(n->then_node());
    stack.push_back(n->else_node());
  }
}

void Lustre_writing_node_used(Bddexpressionwood& w, std::vector<char>& used) {
  used.clear();
  if (w.my_bdd_manager() == nullptr) return;
  used.assign(static_cast<size_t>(w.my_bdd_manager()->Bdd_total_size()), 0);
  for (long id : w.earliest_sort()) {
    Bddexpression* e = w.slot(id);
    if (e != nullptr) Lustre_writing_node_used(*e, used);
  }
}

// ===================================================================================
// Node
// ===================================================================================

namespace {

// Bindings grouped by clock internal name, each group in data-table (name) order.
typedef std::map<std::string, std::list<DataBinding*>> ClockGroups;

ClockGroups clock_groups(Module& m, bool outputs) {
  ClockGroups groups;
  if (m.getDataTable() == nullptr) return groups;
  for (const auto& entry : *m.getDataTable()) {
    Signal* clock = entry.second->getClock();
    if (clock != nullptr && clock->isOutput() == outputs) groups[clock->getInternalName()].push_back(entry.second);
  }
  return groups;
}

class LustreWriter {
 public:
  LustreWriter(Module& m, std::ostream& os)
      : m(m), os(os), w(m.getBddWood()), man(w->my_bdd_manager()), node(m.getName() + "_node"),
        finalised(m.getFinalised() != 0) {}

  void write() {
    writeHeader();
    writeVar();
    os << "let\n\n";
    writeRegisters();
    os << "\n  -- outputs computing\n";
    std::list<std::string> unused;
    m.LUSTRE_put_equation(os, node, unused);
    writeValueDefinitions();
    writeOutputValues();
    os << "\ntel\n";
  }

 private:
  std::string name(long id) const { return man->Name_var_by_index(id); }

  // ", " before every entry but the first of a parameter list.
  void entry(bool& first, const std::string& text) {
    os << (first ? "" : "; ") << text;
    first = false;
  }

  void rail(bool& first, long id, const std::string& type) {
    entry(first, name(id) + ":" + type);
    declared.insert(id);
  }

  void wire(bool& first, Signal* s) {
    if (s == nullptr) return;
    long id = s->getBddStatusId(&m, w);
    if (id != -1) rail(first, id, "bool");
  }

  // Inputs by the current occurrence, outputs by occurrence 0 (the one the equations define).
  void signals(std::list<Signal*>* list, bool& first, bool outputs) {
    if (list == nullptr) return;
    for (Signal* s : *list) {
      long sid = outputs ? s->getInitialBddStatusId(&m, w) : s->getBddStatusId(&m, w);
      if (sid == -1) continue;
      rail(first, sid, "bool");
      if (s->isValued(&m)) entry(first, name(sid) + "_val:" + s->getValueType(&m));
      long vid = outputs ? s->getInitialBddValueId(&m, w) : s->getBddValueId(&m, w);
      if (!finalised && vid != -1) rail(first, vid, "bool");
    }
  }

  void writeHeader() {
    os << "node " << m.getName() << "(";
    bool first = true;
    if (!finalised) {
      wire(first, m.getSet());
      wire(first, m.getReset());
    }
    signals(m.getInputSignalList(), first, false);
    if (first && m.getInputSignalList() != nullptr) os << "useless : bool";
    os << ")\n     returns (";
    first = true;
    if (!finalised) wire(first, m.getRtl());
    signals(m.getOutputSignalList(), first, true);
    os << ");\n\n";
  }

  // Every variable read or defined that the header does not declare.
  std::set<long> localVariables() {
    std::set<long> vars = w->Set_of_index_used_variables();
    for (long id = 0; id < w->Nb_bdd_vars(); ++id)
      if (w->slot(id) != nullptr) vars.insert(id);
    if (m.getRegisterList() != nullptr)
      for (regclass* r : *m.getRegisterList()) vars.insert(r->actual_var()->getBddStatusId(&m, w));
    vars.erase(-1);
    for (long id : declared) vars.erase(id);
    return vars;
  }

  void writeVar() {
    std::ostringstream body;
    locals = localVariables();
    const char* separator = "";
    for (long id : locals) {
      body << separator << name(id);
      separator = ",\n";
    }
    if (!locals.empty()) body << ": bool;\n";
    std::vector<char> used;
    Lustre_writing_node_used(*w, used);
    for (size_t id = 0; id < used.size(); ++id)
      if (used[id] != 0) body << "  " << node << "_" << id << ": bool;\n";
    if (m.getLocalSignalList() != nullptr)
      for (Signal* s : *m.getLocalSignalList())
        if (s->isValued(&m) && m.getBinding(s->getName(&m)) == nullptr) {
          body << "  " << name(s->getInitialBddStatusId(&m, w)) << "_val:" << s->getValueType(&m) << ";\n";
          typed_locals.push_back(s);
        }
    if (!body.str().empty()) os << "var\n" << body.str();
  }

  void writeRegisters() {
    if (m.getRegisterList() == nullptr) return;
    for (regclass* r : *m.getRegisterList())
      os << "  " << r->actual_var()->getStatusName(&m) << "= " << (r->is_initialy_true() ? "true" : "false")
         << "->pre(" << r->next_var()->getStatusName(&m) << ");\n";
  }

  // A declared rail without an equation is the value rail of a signal whose status the
  // node knows: it is the negation of that status.
  void writeValueDefinitions() {
    std::set<long> registers;
    if (m.getRegisterList() != nullptr)
      for (regclass* r : *m.getRegisterList()) registers.insert(r->actual_var()->getBddStatusId(&m, w));
    for (long id : locals) {
      if (w->slot(id) != nullptr || registers.count(id) != 0 || is_status_rail(m, id)) continue;
      os << "   " << name(id) << "= not " << name(m.getOtherBddId(id, w)) << ";\n";
    }
  }

  // One conditional over the bindings, from the first to the last of order, else zero.
  void conditional(const std::string& left, const std::list<DataBinding*>& order, const std::string& zero) {
    os << "  " << left << " = ";
    bool first = true;
    for (DataBinding* b : order) {
      os << (first ? "      " : "        else") << "  if (" << presence(b->getSignal()) << ") " << " then  ";
      b->getValue()->LUSTRE_put(os, &m);
      os << "\n";
      first = false;
    }
    os << (first ? "" : "        else ") << zero << ";\n";
  }

  void writeOutputValues() {
    used = w->Set_of_index_used_variables();
    ClockGroups locals_groups = clock_groups(m, false);
    for (Signal* s : typed_locals) {
      // The latest emission in earliest order wins: the chain starts from it.
      std::list<DataBinding*> order = locals_groups[s->getInternalName()];
      order.sort([&](DataBinding* a, DataBinding* b) { return rank(a) > rank(b); });
      conditional(name(s->getInitialBddStatusId(&m, w)) + "_val", order, zero_lustre(s->getValueType(&m)));
    }
    ClockGroups outputs_groups = clock_groups(m, true);
    for (const auto& group : outputs_groups) {
      Signal* clock = m.getSignalFromInternalName(group.first);
      conditional(name(clock->getInitialBddStatusId(&m, w)) + "_val", group.second,
                  zero_lustre(clock->getValueType(&m)));
    }
    // A valued result that no binding values is its zero.
    if (m.getOutputSignalList() != nullptr)
      for (Signal* s : *m.getOutputSignalList())
        if (s->getInitialBddStatusId(&m, w) != -1 && s->isValued(&m) &&
            outputs_groups.count(s->getInternalName()) == 0)
          conditional(name(s->getInitialBddStatusId(&m, w)) + "_val", {}, zero_lustre(s->getValueType(&m)));
  }

  // Whether s is present, at the occurrences the equations use; false when none is.
  std::string presence(Signal* s) const {
    return presence_condition(m, s, used, [&](long id) { return name(id); }, " or ", "false");
  }

  // The place of the binding's emission in earliest order: (date, status id).
  std::pair<long, long> rank(DataBinding* b) const {
    long id = b->getSignal()->getInitialBddStatusId(&m, w);
    Bddexpression* e = w->slot(id);
    return {e != nullptr ? e->getEarlyDate() : -1, id};
  }

  Module& m;
  std::ostream& os;
  Bddexpressionwood* w;
  bddpp_manager* man;
  const std::string node;
  const bool finalised;
  std::set<long> declared;  // rails of the parameters and results
  std::set<long> locals;    // rails of the var section
  std::set<long> used;      // variables the equations define or read
  std::list<Signal*> typed_locals;
};

}  // namespace

void Module::LUSTRE_put(std::ostream& os, int) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  LustreWriter(*this, os).write();
}

void Module::LUSTRE_put_equation(std::ostream& os, const std::string& node_name, std::list<std::string>&) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  w->my_bdd_manager()->Bdd_global_clear_marks();
  for (long id : w->earliest_sort()) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr) continue;
    if (e->getAbstraction() != 0) {
      DataBinding* b = abstract_binding(*this, getSignalNameById(id, w));
      // The value rail of a data condition is false when the condition holds.
      bool value_rail = !is_status_rail(*this, id);
      os << "  " << e->my_bddname() << " = " << (value_rail ? "not (" : "");
      b->getValue()->LUSTRE_put(os, this);
      os << (value_rail ? ")" : "") << ";\n";
      continue;
    }
    put_lustre_arrayless(*e, os, node_name);
    os << "\n";
  }
}
