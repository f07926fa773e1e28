// C# target: one component class whose reaction method reads the inputs of a reaction
// from a serialised event list, computes the equations over an array of booleans,
// refreshes the registers and fires the serialised output events.
#include <iostream>
#include <list>
#include <map>
#include <set>
#include <string>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "gen_c_writer.h"
#include "gen_equations.h"
#include "gen_files.h"
#include "module.h"
#include "module_signal.h"

// ===================================================================================
// Equations
// ===================================================================================

void put_csharp(Bddexpression& e, std::ostream& os, const std::string& node_array, const std::string& before,
                const std::string& after, int indent) {
  bddpp_manager* man = e.my_bdd_manager();
  if (man == nullptr || e.bdd_var.manager_ref() == nullptr || e.bdd_var.node() == nullptr ||
      e.bdd_exp.manager_ref() == nullptr || e.bdd_exp.node() == nullptr)
    return;
  std::string ind = indent == 0 ? std::string("  ") : std::string(static_cast<std::size_t>(indent), ' ');
  std::string left = ind + before + man->Name_var_by_bdd(e.bdd_var) + after;
  if (man->Bdd_is_var(e.bdd_exp)) {
    os << left << "= " << before << man->Name_var_by_bdd(e.bdd_exp) << after << ";";
    return;
  }
  man->Print_node_for_eval(" || ", " && ", "!", "", before, after, "false", ";", ind, node_array, os,
                           e.bdd_exp.node());
  os << left << "= " << (e.bdd_exp.link_type() == 1 ? "" : "!") << node_array << "[" << e.bdd_exp.node()->global_id()
     << "];";
}

void put_csharp(Bddexpression& e, std::ostream& os, const std::string& node_array, int indent) {
  put_csharp(e, os, node_array, "", "", indent);
}

void Put_csharp(Bddexpressionwood& w, std::ostream& os, const std::string& node_array, const std::string& before,
                const std::string& after, int indent) {
  put_system_equations(w, os, [&](Bddexpression& e) { put_csharp(e, os, node_array, before, after, indent); });
}

void Put_csharp(Bddexpressionwood& w, std::ostream& os, const std::string& node_array, int indent) {
  Put_csharp(w, os, node_array, "", "", indent);
}

void Module::CSharp_put_equation(std::ostream& os, const std::string& node_array, int indent) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  w->my_bdd_manager()->Bdd_global_clear_marks();
  std::string blanks(static_cast<std::size_t>(indent > 0 ? indent : 0), ' ');
  GuardedValues values(*this, os, [w](long id) { return w->Name_var_by_index(id); }, " || ", &DataExpr::CSharp_put);
  for (long id : w->earliest_sort()) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr) continue;
    std::string N = getSignalNameById(id, w);
    DataBinding* b = getBinding(N);
    if (e->getAbstraction() != 0) {
      os << blanks;
      if (b == nullptr) {
        std::cerr << "***error: abstract equation without bindind for:" << N << "\n";
        continue;
      }
      put_abstract_equation(*this, *e, id, *b, os, " ", &DataExpr::CSharp_put);
      values.computed(id);
      continue;
    }
    put_csharp(*e, os, node_array, indent);
    os << "\n\n";
    values.computed(id);
    Signal* clock = b != nullptr ? b->getClock() : nullptr;
    // One block per emission, after its status equation (as in the C writer).
    if (clock == nullptr || clock->isOutput() || !is_status_rail(*this, id)) continue;
    values.emission(*e, *b, clock->getStatusName(this));
  }
  values.finish();
}

// ===================================================================================
// Module writer
// ===================================================================================

namespace {

const char* const Indent = "            ";  // the reaction method's statements

std::string conversion(const std::string& type) {
  static const std::map<std::string, std::string> known = {
      {"int", "Convert.ToInt32(evts[i].evtValeur ) "},     {"float", "Convert.ToSingle(evts[i].evtValeur ) "},
      {"byte", " Convert.ToByte(evts[i].evtValeur ) "},    {"bool", " Convert.ToBoolean(evts[i].evtValeur ) "},
      {"long", " Convert.ToInt64(evts[i].evtValeur ) "},   {"short", " Convert.ToInt16(evts[i].evtValeur ) "},
      {"string", "evts[i].evtValeur"}};
  auto it = known.find(type);
  return it != known.end() ? it->second : type + ".To(evts[i].evtValeur)";
}

// The class names what the user supplies: the zero of a type other than those it
// declares, a method, the value of a constant declared without one. It is then written
// partial, for a part of the user's own to complete.
bool completed_by_user() {
  static const std::set<std::string> declared = {"byte", "int", "float", "long", "short", "string", "bool"};
  DataTypeTable* types = Compilation::GDataTypeTable;
  if (types != nullptr && types->getTypes() != nullptr)
    for (const auto& t : *types->getTypes())
      if (declared.count(t.first) == 0) return true;
  DataMethodTable* methods = Compilation::GDataMethodTable;
  if (methods != nullptr && methods->getMethodList() != nullptr && !methods->getMethodList()->empty()) return true;
  DataConstantTable* constants = Compilation::GDataConstantTable;
  if (constants != nullptr && constants->getConstantList() != nullptr)
    for (ConstantDecl* c : *constants->getConstantList())
      if (c->getValue() == nullptr) return true;
  return false;
}

class CSharpWriter {
 public:
  CSharpWriter(Module& m, std::ostream& os) : m(m), os(os), M(m.getName()), w(m.getBddWood()) {}
  void write();

 private:
  void writeHead();
  void writeRegisters();
  void writeDeclarations();
  void writeInputs();
  void writeOutputNames();
  void writeClockGroups();
  void writeOutputs();
  void writeTail();
  // A signal's status at its occurrence 0 (an output's gathers its later occurrences).
  std::string statusName(Signal* s) const { return w->Name_var_by_index(s->getInitialBddStatusId(&m, w)); }
  bool hasStatus(Signal* s) const { return s->getInitialBddStatusId(&m, w) != -1; }
  std::list<Signal*> list(std::list<Signal*>* l) const { return l != nullptr ? *l : std::list<Signal*>(); }
  // The outputs that take part in the events: with a status variable, not bound.
  std::list<Signal*> eventOutputs() const;

  Module& m;
  std::ostream& os;
  const std::string M;
  Bddexpressionwood* w;
};

void CSharpWriter::write() {
  writeHead();
  if (w == nullptr || w->my_bdd_manager() == nullptr) return;
  writeRegisters();
  os << "        public void " << M << "_automaton(string s)\n"
     << "        {\n";
  writeDeclarations();
  writeInputs();
  os << "  " << " /* outputs computing */\n";
  m.CSharp_put_equation(os, M + "_node", 12);
  writeOutputNames();
  writeClockGroups();
  std::list<regclass*>* registers = m.getRegisterList();
  if (registers != nullptr && !registers->empty()) {
    os << "\n"
       << "         " << "/* refresh registers */\n";
    for (regclass* r : *registers)
      os << "           " << r->actual_var()->getStatusName(&m) << "= " << r->next_var()->getStatusName(&m) << ";\n";
    os << "\n";
  }
  writeOutputs();
  os << "        }\n";
  writeTail();
}

void CSharpWriter::writeHead() {
  os << " using System; \n"
     << " using Pelkor.Beans; \n"
     << " using System.Collections.Generic; \n"
     << " using System.Threading; \n"
     << "using Pelkor.Util;\n"
     << "\n"
     << " namespace GenEntree\n"
     << " {\n"
     << "    [Bean(Category=\"" << M << "\")]\n"
     << "\n"
     << "     public " << (completed_by_user() ? "partial " : "") << "class " << M << "\n"
     << "     {\n"
     << "        private byte byte_zero = 0 ;\n"
     << "        private int int_zero = 0 ;\n"
     << "        private float float_zero = 0;\n"
     << "        private long long_zero = 0;\n"
     << "        private short short_zero = 0;\n"
     << "        private string string_zero =\"\";\n"
     << "        private bool bool_zero = false;\n"
     << "        // private constants:\n";
  DataConstantTable* constants = Compilation::GDataConstantTable;
  if (constants == nullptr || constants->getConstantList() == nullptr) return;
  for (ConstantDecl* c : *constants->getConstantList()) {
    os << "        ";
    c->CSharp_put(os, &m);
    os << "\n";
  }
}

void CSharpWriter::writeRegisters() {
  std::list<regclass*> registers = m.getRegisterList() != nullptr ? *m.getRegisterList() : std::list<regclass*>();
  auto initial = [](regclass* r) { return r->is_initialy_true() ? "true;" : "false;"; };
  if (!registers.empty()) {
    os << "        /* global state variables */\n";
    for (regclass* r : registers)
      os << "        bool  " << r->actual_var()->getStatusName(&m) << " = " << initial(r) << "\n";
    os << "\n";
  }
  os << "        private void " << M << "_reset_automaton(";
  if (m.getFinalised() == 0) os << " bool _s_SET" << M << ", bool _s_RESET" << M;
  os << ")\n"
     << "        {\n";
  for (regclass* r : registers) os << Indent << r->actual_var()->getStatusName(&m) << "= " << initial(r) << "\n";
  os << "        }\n"
     << "\n";
}

void CSharpWriter::writeDeclarations() {
  // Registers are fields. Their names begin with "v_s_" in a finalised module only, so
  // they are also known by id.
  std::set<std::string> register_names;
  std::set<long> register_ids;
  if (m.getRegisterList() != nullptr)
    for (regclass* r : *m.getRegisterList()) {
      register_names.insert(r->actual_var()->getStatusName(&m));
      register_ids.insert(r->actual_var()->getBddStatusId(&m, w));
    }
  for (long id : w->Set_of_index_used_variables()) {
    std::string name = w->Name_var_by_index(id);
    bool value_variable = name.compare(0, 4, "v_v_") == 0;
    bool status_variable = name.compare(0, 4, "v_s_") == 0;
    if ((status_variable && register_names.count(name) != 0) || register_ids.count(id) != 0) continue;
    Signal* s = m.getSignalById(id, w);
    bool initialised = s != nullptr && !value_variable && (s->is_input || s->is_output || s->is_register);
    os << Indent << "bool " << name << (initialised ? "  =  false" : "") << ";\n";
  }
  for (Signal* s : list(m.getLocalSignalList())) {
    if (!s->isValued(&m)) continue;
    std::string T = s->getValueType(&m);
    os << Indent << T << "  " << s->getValueName(&m) << "_val" << " = " << T << "_zero" << ";\n";
    os << Indent << T << "  " << s->getStatusName(&m) << "_val" << " = " << T << "_zero" << ";\n";
  }
  os << "\n";
  auto valued = [&](Signal* s) {
    std::string T = s->getValueType(&m);
    os << Indent << T << " " << statusName(s) << "_val " << " = " << T << "_zero" << ";\n";
  };
  for (Signal* s : list(m.getInputSignalList()))
    if (hasStatus(s) && m.getBinding(s->getOriginalName()) == nullptr && s->isValued(&m)) valued(s);
  for (Signal* s : eventOutputs())
    if (s->isValued(&m)) valued(s);
  os << Indent << "bool[]  " << M << "_node" << "  =  new bool[" << w->my_bdd_manager()->Bdd_total_size()
     << "];\n"
     << "\n";
}

void CSharpWriter::writeInputs() {
  os << "/*-----------------------partie evt/input_signals-----------------------------------------*/\n"
     << "            GrammaireA GA = new GrammaireA();\n"
     << "             List<MyEvent> evts =  new List<MyEvent>(255);\n"
     << "            evts= GA.deserialize(s);\n"
     << "            foreach (MyEvent evtL in evts)\n"
     << "                {\n"
     << "                    Logger.Info(\"alarmDeserialize: \" + evtL.nameEvt + \" \" + evtL.valPresenceEvt + \" \" + "
        "evtL.evTypeValue + \" \" + evtL.evtValeur + \";\");\n"
     << "                }\n";
  std::list<Signal*> inputs = list(m.getInputSignalList());
  if (inputs.empty()) return;
  os << "            for(int i = 0; i<evts.Count;i++)\n"
     << "           {\n";
  // An input named by no event of the list stays false, as declared.
  for (Signal* s : inputs) {
    if (!hasStatus(s) || m.getBinding(s->getOriginalName()) != nullptr) continue;
    std::string name = statusName(s);
    os << "                if(evts[i].nameEvt == \"" << name << "\")\n"
       << "                {\n"
       << "                     " << name << "= true;\n";
    if (s->isValued(&m)) os << "                     " << name << "_val = " << conversion(s->getValueType(&m)) << ";\n";
    os << "                }\n";
  }
  os << "            }\n";
}

std::list<Signal*> CSharpWriter::eventOutputs() const {
  std::list<Signal*> out;
  for (Signal* s : list(m.getOutputSignalList()))
    if (hasStatus(s) && !s->isValue()) out.push_back(s);
  return out;
}

void CSharpWriter::writeOutputNames() {
  // The clock groups and the output events name an output by its internal name: where
  // that is not its status variable's name (a module that is not finalised), it is
  // declared here from the status variable.
  for (Signal* s : eventOutputs()) {
    const std::string& internal = s->getInternalName();
    std::string status = statusName(s);
    if (internal == status) continue;
    os << Indent << "bool " << internal << " = " << status << ";\n";
    if (s->isValued(&m))
      os << Indent << s->getValueType(&m) << " " << internal << "_val = " << status << "_val;\n";
  }
}

void CSharpWriter::writeClockGroups() {
  std::set<long> used = w->Set_of_index_used_variables();
  // A binding signal is tested at the occurrences the equations use.
  auto presence = [&](Signal* s) {
    return presence_condition(m, s, used, [&](long id) { return w->Name_var_by_index(id); }, " || ", "false");
  };
  std::map<std::string, std::list<DataBinding*>> groups;
  if (m.getDataTable() != nullptr)
    for (const auto& entry : *m.getDataTable()) {
      Signal* clock = entry.second->getClock();
      if (clock != nullptr && clock->isOutput()) groups[clock->getInternalName()].push_back(entry.second);
    }
  for (const auto& group : groups) {
    const std::string& clock = group.first;
    os << "           if (" << clock << ")\n"
       << "              {\n";
    const char* opening = "                  ";
    for (DataBinding* b : group.second) {
      os << opening << " if (" << presence(b->getSignal()) << ") {" << clock << "_val = ";
      b->getValue()->CSharp_put(os, &m);
      os << ";}\n";
      opening = "                  else";
    }
    Signal* k = m.getSignalFromInternalName(clock);
    os << "                else { " << clock << "_val = " << (k != nullptr ? k->getValueType(&m) : std::string())
       << "_zero" << ";}\n"
       << "              }\n";
  }
}

void CSharpWriter::writeOutputs() {
  os << "            /*-----------------------partie evt/outputs_signals-----------------------------------------*/\n"
     << "           List<MyEvent> outputEvts = new List<MyEvent>(255);   \n";
  if (list(m.getOutputSignalList()).empty()) return;
  int k = 0;
  for (Signal* s : eventOutputs()) {
    const std::string& name = s->getInternalName();
    if (s->isValued(&m))
      os << "           MyEvent evt" << k << "= new MyEvent( \"" << name << "\",\"" << s->getValueType(&m) << "\","
         << " Convert.ToString(" << name << "_val)" << "," << "Convert.ToString(" << name << "));\n";
    else
      os << "            MyEvent evt" << k << " = new MyEvent( \"" << name << "\"," << " Convert.ToString(" << name
         << "));\n";
    os << "            outputEvts.Add(evt" << k << ");\n";
    ++k;
  }
  os << "            string format =\"\";\n"
     << "            format = GA.serialize(outputEvts);\n"
     << "            FiresendEvent(format);\n";
}

void CSharpWriter::writeTail() {
  os << "        /*-----------Delegate Methods & Events-------------------*/\n"
     << "\n"
     << "        public delegate void StringValueEventHandler(string evt );\n"
     << "        public event StringValueEventHandler" << " " << "SendEventList;\n"
     << "\n"
     << "       private void FiresendEvent(string evtFormat)\n"
     << "       {\n"
     << "            if(" << "SendEventList" << " != null" << ")\n"
     << "            { \n"
     << "                SendEventList" << "(evtFormat);\n"
     << "           }\n"
     << "        }\n"
     << "\n"
     << "    }\n"
     << "\n"
     << "}\n";
}

}  // namespace

void Module::CSharp_put(std::ostream& os) { CSharpWriter(*this, os).write(); }

void Module::printCSHARP() {
  std::string file = generated_file_name(name, ".cs");
  write_generated_files({{in_output_dir(file), file}},
                        [this](std::vector<std::ostream*>& s) { CSharp_put(*s[0]); });
}
