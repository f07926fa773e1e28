// C target: the equation writer (node networks over one shared node array, the variables
// passed by pointer written through "*"), and the module writer of the body and header
// files, whose SystemC flavour differs only in the occurrences it names and the handling
// of the bindings.
#include <cstdlib>
#include <iostream>
#include <list>
#include <set>
#include <string>
#include <unordered_set>
#include <utility>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "g_exit.h"
#include "gen_c_writer.h"
#include "gen_equations.h"
#include "gen_files.h"
#include "module.h"
#include "module_signal.h"
#include "signal_manager.h"

// ===================================================================================
// Equations
// ===================================================================================

CNames::CNames(const std::list<std::string>& pointer_names, const std::string& prefix, const std::string& suffix)
    : pointers(pointer_names.begin(), pointer_names.end()), prefix(prefix), suffix(suffix) {}

bool CNames::pointer(const std::string& bare) const { return pointers.count(bare) != 0; }

std::string CNames::written(const std::string& bare) const { return prefix + bare + suffix; }

std::string CNames::read(const std::string& bare) const {
  return pointer(bare) ? "(*" + written(bare) + ")" : written(bare);
}

// One line per unmarked node under n, the then successor and the else successor first.
// The node writer of the manager has one text around every variable; here a variable
// read through a pointer gets its own.
void put_c_network(std::ostream& os, bddpp_manager* man, const CNames& names, const std::string& A,
                   bdd_node* n) {
  if (n == nullptr || n->is_marked()) return;
  n->mark();
  if (bdd_node_is_terminal(n)) {
    os << "   " << A << "[" << n->global_id() << "]= !0;\n";
    return;
  }
  std::string x = names.read(man->Name_var_by_index(n->var_index()));
  if (bdd_node_is_bare_variable(n)) {
    os << "  " << A << "[" << n->global_id() << "]= " << x << ";\n";
    return;
  }
  put_c_network(os, man, names, A, n->then_node());
  put_c_network(os, man, names, A, n->else_node());
  os << "  " << A << "[" << n->global_id() << "]= " << x << " && " << A << "[" << n->then_node()->global_id()
     << "]" << " || " << "!" << x << " && " << (n->else_link_type() == -1 ? "!" : "") << A << "["
     << n->else_node()->global_id() << "]" << ";\n";
}

void put_c_equation(Bddexpression& e, std::ostream& os, const std::string& A, const CNames& names) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr || !bdd_initialised(e.bdd_var) || !bdd_initialised(e.bdd_exp)) return;
  std::string bare = man->Name_var_by_bdd(e.bdd_var);
  std::string left = (names.pointer(bare) ? "  *" : "   ") + names.written(bare);
  if (man->Bdd_is_var(e.bdd_exp)) {
    os << left << "= " << names.read(man->Name_var_by_bdd(e.bdd_exp)) << ";";
    return;
  }
  put_c_network(os, man, names, A, e.bdd_exp.node());
  os << left << "= " << (e.bdd_exp.link_type() == 1 ? "" : "!") << A << "[" << e.bdd_exp.node()->global_id()
     << "];";
}

void put_c(Bddexpression& e, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names) {
  put_c_equation(e, os, A, CNames(pointer_names, "", ""));
}

void put_c(Bddexpression& e, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names,
           const std::string& prefix, const std::string& suffix) {
  put_c_equation(e, os, A, CNames(pointer_names, prefix, suffix));
}

namespace {

void put_c_system(Bddexpressionwood& w, std::ostream& os, const std::string& A, const CNames& names) {
  put_system_equations(w, os, [&](Bddexpression& e) { put_c_equation(e, os, A, names); });
}

}  // namespace

void Put_c(Bddexpressionwood& w, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names) {
  put_c_system(w, os, A, CNames(pointer_names, "", ""));
}

void Put_c(Bddexpressionwood& w, std::ostream& os, const std::string& A, std::list<std::string>& pointer_names,
           const std::string& prefix, const std::string& suffix) {
  put_c_system(w, os, A, CNames(pointer_names, prefix, suffix));
}

bool is_status_rail(Module& m, long id) {
  Bddexpressionwood* w = m.getBddWood();
  SignalRef* ref = m.getSignalManager()->getSignalRefById(id, w);
  return ref != nullptr && ref->getBddStatusId(w) == id;
}

void put_abstract_equation(Module& m, Bddexpression& e, long id, DataBinding& b, std::ostream& os,
                           const char* indent, void (DataExpr::*writer)(std::ostream&, Module*)) {
  // The value rail of a data condition is false when the condition holds.
  bool value_rail = !is_status_rail(m, id);
  os << indent << e.my_bddname() << " = " << (value_rail ? "!(" : "");
  (b.getValue()->*writer)(os, &m);
  os << (value_rail ? ")" : "") << ";\n";
}

DataBinding* abstract_binding(Module& m, const std::string& signal_name) {
  DataBinding* b = m.getBinding(signal_name);
  if (b == nullptr) {
    g_exit(1, "***error: abstract equation without bindind for:" + signal_name + "\n");
  }
  return b;
}

void Module::C_put_equation(std::ostream& os, const std::string& A, std::list<std::string>& pointer_names) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  bddpp_manager* man = w->my_bdd_manager();
  man->Bdd_global_clear_marks();
  CNames names(pointer_names, "", "");
  GuardedValues values(
      *this, os, [&](long id) { return names.read(man->Name_var_by_index(id)); }, " || ", &DataExpr::C_put);
  for (long id : w->earliest_sort()) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr) continue;
    std::string N = getSignalNameById(id, w);
    if (e->getAbstraction() != 0) {
      put_abstract_equation(*this, *e, id, *abstract_binding(*this, N), os, "  ", &DataExpr::C_put);
      values.computed(id);
      continue;
    }
    put_c_equation(*e, os, A, names);
    os << "\n";
    values.computed(id);
    DataBinding* b = getBinding(N);
    Signal* clock = b != nullptr ? b->getClock() : nullptr;
    // One block per emission: after its status equation (after the value equation too,
    // the block would test the value rail, which is false when the emission is present).
    if (clock == nullptr || clock->isOutput() || !is_status_rail(*this, id)) continue;
    values.emission(*e, *b, man->Name_var_by_index(clock->getInitialBddStatusId(this, w)));
  }
  values.finish();
}

std::vector<long> presence_ids(Module& m, Signal* s, const std::set<long>& used) {
  Bddexpressionwood* w = m.getBddWood();
  SignalManager* sm = m.getSignalManager();
  std::vector<long> later;
  for (int k = 0; k <= s->getCurrentOccurrence(w); ++k) {
    SignalRef* r = sm->getSignalRefByOccurrence(s, k);
    if (r == nullptr || !r->isDefinedWood(w) || used.count(r->getBddStatusId(w)) == 0) continue;
    if (k == 0) return {r->getBddStatusId(w)};
    later.push_back(r->getBddStatusId(w));
  }
  return later;
}

std::string presence_condition(Module& m, Signal* s, const std::set<long>& used,
                               const std::function<std::string(long)>& name, const std::string& or_text,
                               const std::string& none_text) {
  std::string condition;
  for (long id : presence_ids(m, s, used)) condition += (condition.empty() ? "" : or_text) + name(id);
  return condition.empty() ? none_text : condition;
}

void put_guarded_value(Module& m, std::ostream& os, const std::string& guard, const std::string& Q,
                       const std::string& V, DataBinding& b, void (DataExpr::*writer)(std::ostream&, Module*),
                       bool first) {
  os << "   if (" << guard << ") \n"
     << "      {\n"
     << "          if (" << V << ") \n"
     << "            {\n"
     << "               " << Q << "_val = ";
  (b.getValue()->*writer)(os, &m);
  os << ";\n"
     << "            }\n";
  if (first)
    os << "         else\n"
       << "            {\n"
       << "               " << Q << "_val = " << b.getClock()->getValueType(&m) << "_zero;\n"
       << "            }\n";
  os << "         }\n";
}

GuardedValues::GuardedValues(Module& m, std::ostream& os, std::function<std::string(long)> name,
                             const std::string& or_text, void (DataExpr::*writer)(std::ostream&, Module*))
    : m(m), os(os), name(std::move(name)), or_text(or_text), writer(writer),
      used(m.getBddWood()->Set_of_index_used_variables()) {}

void GuardedValues::finish() {
  for (const Block& b : pending) put(b);
  pending.clear();
}

void GuardedValues::computed(long id) {
  done.insert(id);
  std::vector<Block> waiting;
  for (Block& b : pending) {
    b.waiting.erase(id);
    if (b.waiting.empty())
      put(b);
    else
      waiting.push_back(b);
  }
  pending.swap(waiting);
}

void GuardedValues::emission(Bddexpression& e, DataBinding& b, const std::string& Q) {
  std::vector<long> clock = presence_ids(m, b.getClock(), used);
  if (clock.empty()) return;
  Block block{"", Q, e.my_bddname(), &b, {}};
  Bddexpressionwood* w = m.getBddWood();
  for (long id : clock) {
    block.guard += (block.guard.empty() ? "" : or_text) + name(id);
    if (w->slot(id) != nullptr && done.count(id) == 0) block.waiting.insert(id);
  }
  if (block.waiting.empty())
    put(block);
  else
    pending.push_back(block);
}

void GuardedValues::put(const Block& b) {
  put_guarded_value(m, os, b.guard, b.Q, b.V, *b.binding, writer, valued.insert(b.Q).second);
}

// ===================================================================================
// Module writer
// ===================================================================================

CModuleWriter::CModuleWriter(Module& m, std::ostream& body, std::ostream& header, bool systemc)
    : m(m), body(body), header(header), systemc(systemc), M(m.getName()), w(m.getBddWood()),
      man(w != nullptr ? w->my_bdd_manager() : nullptr) {}

long CModuleWriter::statusId(Signal* s, bool input) const {
  return input ? s->getBddStatusId(&m, w) : s->getInitialBddStatusId(&m, w);
}

long CModuleWriter::valueId(Signal* s, bool input) const {
  return input ? s->getBddValueId(&m, w) : s->getInitialBddValueId(&m, w);
}

void CModuleWriter::both(const std::string& text) {
  body << text;
  header << text;
}

void CModuleWriter::parameter(Signal* s, long id, bool input, bool& first, bool reaction) {
  if (id == -1 || m.getBinding(s->getOriginalName()) != nullptr) return;
  std::string name = man->Name_var_by_index(id);
  if (input) {
    body << (first ? "int " : ", int ");
    header << (first ? "int " : ", int  ");
  } else {
    both(first ? "int* " : ", int*");
  }
  both(name);
  if (s->isValued(&m)) both(", " + s->getValueType(&m) + (input ? " " : "* ") + name + "_val");
  first = false;
  if (!reaction) return;
  parameter_ids.insert(id);
  if (!input) pointer_names.push_back(name);
}

void CModuleWriter::parameters(std::list<Signal*>* signals, bool input, bool& first, bool reaction) {
  if (signals == nullptr) return;
  for (Signal* s : *signals) {
    parameter(s, statusId(s, input), input, first, reaction);
    if (m.getFinalised() == 0) parameter(s, valueId(s, input), input, first, reaction);
  }
}

void CModuleWriter::write() {
  body << "#include \"" << M << (systemc ? "_sc.h" : ".h") << "\"\n"
       << "#define false 0\n"
       << "#define true (!false)\n"
       << "\n";
  header << "#ifndef " << M << "_H\n"
         << "#define " << M << "_H\n";
  writeData();
  if (w == nullptr || man == nullptr) {
    header << "#endif\n";
    return;
  }
  std::list<regclass*>* registers = m.getRegisterList();
  bool has_registers = registers != nullptr && !registers->empty();
  if (has_registers) {
    body << "/* global state variables */\n";
    const char* separator = "int ";
    for (regclass* r : *registers) {
      body << separator << r->actual_var()->getStatusName(&m);
      separator = ",\n    ";
    }
    body << ";\n\n";
  }
  writeFunctions();
  writeLocals();
  body << "  static int " << M << "_node" << "[" << man->Bdd_total_size() << "];\n\n";
  if (systemc)
    writeSystemCEquations();
  else
    writeCEquations();
  if (has_registers) {
    body << "\n"
         << "  " << "/* refresh registers */\n";
    for (regclass* r : *registers)
      body << "  " << r->actual_var()->getStatusName(&m) << "= " << r->next_var()->getStatusName(&m) << ";\n";
    body << "\n";
  }
  body << "}\n\n";
  header << "#endif\n";
}

void CModuleWriter::writeData() {
  if (DataTypeTable* types = Compilation::GDataTypeTable) {
    body << "/* Following types should be defined in file \"" << M << "_typedecl.h\":\n";
    const char* separator = "";
    for (const auto& t : *types->getTypes()) {
      body << separator << t.first;
      separator = ", ";
    }
    body << ";\n"
         << "*/\n";
    header << "#include \"" << M << "_typedecl.h\"\n";
    types->C_put(header);
  }
  if (Compilation::GDataMethodTable != nullptr) Compilation::GDataMethodTable->C_put(header);
  DataConstantTable* constants = Compilation::GDataConstantTable;
  if (constants == nullptr || constants->getConstantList() == nullptr) return;
  for (ConstantDecl* c : *constants->getConstantList()) {
    if (systemc) std::cerr << c->getName() << "\n";
    std::ostream& os = c->getValue() != nullptr ? body : header;
    c->C_put(os, &m);
    os << "\n";
  }
}

void CModuleWriter::writeFunctions() {
  bool finalised = m.getFinalised() != 0;
  body << "void " << M << "_reset_automaton(";
  header << "extern void " << M << "_reset_automaton(";
  bool first = true;
  if (!finalised) {
    both(" int _s_SET" + M + ", int _s_RESET" + M);
    first = false;
  }
  parameters(m.getInputSignalList(), true, first, false);
  if (!finalised) both(", int* _s_RTL" + M);
  parameters(m.getOutputSignalList(), false, first, false);
  body << ")\n"
       << "{\n";
  header << ");\n";
  if (m.getRegisterList() != nullptr)
    for (regclass* r : *m.getRegisterList())
      body << "  " << r->actual_var()->getStatusName(&m) << "= " << r->is_initialy_true() << ";\n";
  body << "}\n\n";

  body << "void " << M << "_automaton(";
  header << "extern void " << M << "_automaton(";
  first = true;
  parameters(m.getInputSignalList(), true, first, true);
  parameters(m.getOutputSignalList(), false, first, true);
  body << ")\n"
       << "{\n";
  header << ");\n";
}

std::string CModuleWriter::presence(Signal* s) const {
  CNames names(pointer_names, "", "");
  return presence_condition(
      m, s, used, [&](long id) { return names.read(man->Name_var_by_index(id)); }, " || ", "0");
}

void CModuleWriter::writeLocals() {
  used = w->Set_of_index_used_variables();
  std::set<long> locals = used;
  bool finalised = m.getFinalised() != 0;
  auto drop = [&](long id) {
    if (id != -1) locals.erase(id);
  };
  if (m.getInputSignalList() != nullptr)
    for (Signal* s : *m.getInputSignalList())
      if (s->getBddStatusId(&m, w) != -1) drop(s->getInitialBddStatusId(&m, w));
  if (m.getRegisterList() != nullptr)
    for (regclass* r : *m.getRegisterList()) drop(r->actual_var()->getBddStatusId(&m, w));
  if (m.getOutputSignalList() != nullptr)
    for (Signal* s : *m.getOutputSignalList()) {
      // A bound output (the value signal of a sustained output) is no parameter: a local.
      if (s->getBddStatusId(&m, w) == -1 || m.getBinding(s->getOriginalName()) != nullptr) continue;
      drop(s->getInitialBddStatusId(&m, w));
      if (!finalised && s->getBddValueId(&m, w) != -1) drop(s->getInitialBddValueId(&m, w));
    }
  // A parameter is never declared again (the value rails of the inputs of a module that
  // is not finalised).
  for (long id : parameter_ids) locals.erase(id);
  declared = locals;
  for (long id : locals) body << "  int " << man->Name_var_by_index(id) << ";\n";

  if (m.getLocalSignalList() == nullptr) return;
  for (Signal* s : *m.getLocalSignalList()) {
    if (!s->isValued(&m) || m.getBinding(s->getName(&m)) != nullptr) continue;
    long id = s->getInitialBddStatusId(&m, w);
    if (id == -1) continue;
    std::string T = s->getValueType(&m);
    body << "  " << T << "  " << man->Name_var_by_index(id) << "_val" << " = " << T << "_zero" << ";\n";
  }
}

void CModuleWriter::writeCEquations() {
  body << "  " << " /* outputs computing */\n";
  m.C_put_equation(body, M + "_node", pointer_names);
  std::map<std::string, std::list<DataBinding*>> groups;
  if (m.getDataTable() != nullptr)
    for (const auto& entry : *m.getDataTable()) {
      DataBinding* b = entry.second;
      if (b->getClock() != nullptr && b->getClock()->isOutput())
        groups[b->getClock()->getInternalName()].push_back(b);
    }
  for (const auto& group : groups) {
    const std::string& K = group.first;
    body << "    if (*" << K << ")\n"
         << "      {\n";
    const char* opening = "      ";
    for (DataBinding* b : group.second) {
      body << opening << "  if (" << presence(b->getSignal()) << ") {" << "*" << K << "_val = ";
      b->getValue()->C_put(body, &m);
      body << ";}\n";
      opening = "        else";
    }
    Signal* k = m.getSignalFromInternalName(K);
    body << "        else { " << "*" << K << "_val = " << (k != nullptr ? k->getValueType(&m) : std::string())
         << "_zero" << ";}\n"
         << "      }\n";
  }
}

void CModuleWriter::writeSystemCEquations() {
  // The values of signals clocked by an output, by groups after the equations (an output's
  // value may be a local's value); those clocked by a local as in the C writer.
  std::list<Signal*> clocks;
  std::list<std::list<DataBinding*>> clocked;
  if (m.getDataTable() != nullptr) {
    body << "//Data Handling\n"
         << "//-------------\n";
    for (const auto& entry : *m.getDataTable()) {
      DataBinding* b = entry.second;
      Signal* clock = b->getClock();
      if (clock == nullptr) {
        long id = b->getSignal()->getBddValueId(&m, w);
        // A value rail that no equation uses is declared nowhere.
        if (id == -1 || declared.count(id) == 0) continue;
        body << man->Name_var_by_index(id) << " = ";
        b->getValue()->C_put(body, &m);
        body << ";\n";
        continue;
      }
      if (!clock->isOutput()) continue;
      auto c = clocks.begin();
      auto l = clocked.begin();
      while (c != clocks.end() && *c != clock) ++c, ++l;
      if (c == clocks.end()) {
        clocks.push_back(clock);
        clocked.emplace_back();
        l = std::prev(clocked.end());
      }
      l->push_back(b);
    }
    body << "  " << "/* outputs computing */\n";
  }
  m.C_put_equation(body, M + "_node", pointer_names);
  auto l = clocked.begin();
  for (auto c = clocks.begin(); c != clocks.end(); ++c, ++l) writeClockGroup(*c, *l);
}

void CModuleWriter::writeClockGroup(Signal* G, const std::list<DataBinding*>& bindings) {
  // The value of an output is kept by its parameter, its occurrence 0.
  std::string N = "*" + man->Name_var_by_index(statusId(G, false));
  body << "if (" << N << ")  {\n";
  bool first = true;
  for (DataBinding* b : bindings) {
    if (!first) body << "   else";
    first = false;
    body << "  if (" << presence(b->getSignal()) << ") {" << N << "_val = ";
    b->getValue()->C_put(body, &m);
    body << ";}\n";
  }
  body << "   else { " << N << "_val = " << G->getValueType(&m) << "_zero" << ";}\n"
       << "}\n";
}

void Module::C_put(std::ostream& body, std::ostream& header) { CModuleWriter(*this, body, header, false).write(); }

namespace {

// The header of body file "x.c" is "x.h"; a name in which ".c" is not last keeps all but
// its last two characters, so the header name could be the body name itself.
std::string c_header_name(const std::string& module_name, const std::string& body) {
  const std::string& chosen = Module::OutputFile;
  std::string header;
  if (chosen.empty())
    header = module_name + ".h";
  else if (chosen.rfind(".c") != std::string::npos)
    header = chosen.substr(0, chosen.size() - 2) + ".h";
  else
    header = chosen + ".h";
  return header == body ? chosen + ".h" : header;
}

}  // namespace

void Module::printC() {
  // The equations read the Set and Reset wires, which only finalisation defines.
  if (finalised == 0 && getBddWood() != nullptr) finalize(0);
  std::string body = generated_file_name(name, ".c");
  std::string header = c_header_name(name, body);
  write_generated_files({{body, body}, {header, header}},
                        [this](std::vector<std::ostream*>& s) { C_put(*s[0], *s[1]); });
}
