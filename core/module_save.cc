// Compiled-module (.jxc) writer: Module::save, Module::JXC_put and Module::printBinding.
//
// Every BDD variable the file mentions is written under its file number: 2k for the
// status rail and 2k+1 for the value rail of the k-th signal occurrence met (inputs,
// first output occurrences, data signals, local occurrences, further output occurrences,
// then the Set, Reset and RTL wires). Names are checked against the reader's tokens so
// that the file always reads back.
#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "g_messages.h"
#include "gen_files.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {

bool identChar(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '.' ||
         c == '@';
}

// One identifier token of the reader: identifier characters, and not an integer or a
// real (those rules win at equal length).
bool readableIdent(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!identChar(c)) return false;
  size_t digits = 0;
  while (digits < s.size() && s[digits] >= '0' && s[digits] <= '9') ++digits;
  if (digits == s.size()) return false;
  if (digits > 0 && s[digits] == '.') {
    size_t rest = digits + 1;
    while (rest < s.size() && s[rest] >= '0' && s[rest] <= '9') ++rest;
    if (rest == s.size()) return false;
  }
  return true;
}

// The text between the quotes of one string token.
bool readableString(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s) {
    bool ok = c == ' ' || c == '!' || (c >= '#' && c <= ',') || c == '.' || c == '/' || (c >= '0' && c <= '9') ||
              (c >= ':' && c <= '?') || (c >= 'A' && c <= 'Z') || c == '\\' || c == '_' || c == '`' ||
              (c >= 'a' && c <= 'z') || c == '{' || c == '}' || c == '~';
    if (!ok) return false;
  }
  return true;
}

const std::string& ident(const std::string& s) {
  if (!readableIdent(s)) throw IllegalOperationException("Module::JXC_put: name not readable in a .jxc file", s);
  return s;
}

// Reported in a box and on standard error; the process ends with status 1.
[[noreturn]] void fatal(const std::string& text) { fl_exit_S(forms_box_kind::message, text, 1); }

// Reported in a box and on standard error, then thrown: the stream is left untouched.
[[noreturn]] void internalError(const std::string& text, const std::string& argument) {
  fl_report_S(forms_box_kind::message, text + argument);
  throw IllegalOperationException(text, argument);
}

long renumberingSize(Bddexpressionwood* w) {
  long n = w->Nb_bdd_vars();
  if (w->my_bdd_manager() != nullptr) n = std::max(n, w->my_bdd_manager()->Nb_bdd_vars());
  return n;
}

// The writer's state for one file.
class JxcWriter {
 public:
  JxcWriter(Module* m, std::ostream& os, int forget) : m(m), w(m->getBddWood()), os(os), forget(forget) {
    renumbering.assign(static_cast<size_t>(renumberingSize(w)), -1);
  }

  void write();

 private:
  // Occurrence k of s defined in w, or null.
  SignalRef* occurrence(Signal* s, int k) const {
    SignalRef* r = m->getSignalManager()->getSignalRefByOccurrence(s, k);
    return r != nullptr && r->isDefinedWood(w) ? r : nullptr;
  }
  int currentOccurrence(Signal* s) const {
    return s->occurrence_table != nullptr && s->occurrence_table->count(w) != 0 ? s->occurrence_table->at(w) : -1;
  }
  SignalRef* current(Signal* s) const {
    int k = currentOccurrence(s);
    return k < 0 ? nullptr : occurrence(s, k);
  }
  void number(long id) {
    if (id >= 0 && id < static_cast<long>(renumbering.size())) renumbering[static_cast<size_t>(id)] = n;
    ++n;
  }
  void numberPair(SignalRef* r) {
    number(r->getBddStatusId(w));
    number(r->getBddValueId(w));
  }
  long fileNumber(long id, const std::string& what) const {
    if (id < 0 || id >= static_cast<long>(renumbering.size()) || renumbering[static_cast<size_t>(id)] < 0)
      internalError("INTERNAL ERROR in Module::JXC_put: no file number for variable of ", what);
    return renumbering[static_cast<size_t>(id)];
  }
  void typed(SignalRef* r) {
    if (r != nullptr && r->isValued()) os << " : " << ident(r->getType());
  }

  void inputs();
  void outputs();
  void dataSignals();
  void locals();
  void registers();
  void connexion();
  void checkEquations();

  Module* m;
  Bddexpressionwood* w;
  std::ostream& os;
  int forget;
  std::vector<long> renumbering;
  long n = 0;
};

void JxcWriter::inputs() {
  std::list<Signal*>* l = m->getInputSignalList();
  if (l == nullptr || l->empty()) return;
  os << "input:";
  for (Signal* s : *l) {
    SignalRef* r = current(s);
    if (r == nullptr) fatal(s->getOriginalName() + " has no signal reference!");
    os << " " << ident(s->getOriginalName());
    typed(r);
    numberPair(r);
  }
  os << " ;" << std::endl;
}

void JxcWriter::outputs() {
  std::list<Signal*>* l = m->getOutputSignalList();
  if (l == nullptr || l->empty()) return;
  os << "output:";
  for (Signal* s : *l) {
    os << " " << ident(s->getOriginalName());
    typed(current(s));
    // The reader gives every declared name two variables: one without a reference
    // still takes its pair of numbers.
    SignalRef* first = occurrence(s, 0);
    if (first != nullptr) {
      numberPair(first);
    } else {
      n += 2;
    }
  }
  os << " ;" << std::endl;
}

void JxcWriter::dataSignals() {
  std::list<Signal*>* l = m->getDataSignalList();
  if (l == nullptr || l->empty()) return;
  os << "data_signal:";
  for (Signal* s : *l) {
    SignalRef* r = current(s);
    if (r == nullptr) fatal(s->getOriginalName() + " has no signal reference!");
    // An included module's data signal is named after its instance: one module run
    // twice has two of the same original name.
    os << " " << ident(s->getInternalName());
    numberPair(r);
  }
  os << " ;" << std::endl;
}

// Local occurrences, then the further occurrences of the outputs; the keyword only
// when there is at least one entry (the reader refuses an empty section).
void JxcWriter::locals() {
  std::ostringstream entries;
  bool any = false;
  if (m->getLocalSignalList() != nullptr) {
    for (Signal* s : *m->getLocalSignalList()) {
      int last = currentOccurrence(s);
      if (last < 0) fatal(s->getInternalName() + " no signal reference ");
      for (int k = 0; k <= last; ++k) {
        SignalRef* r = occurrence(s, k);
        if (r == nullptr) fatal(s->getInternalName() + " no signal reference ");
        if (forget != 0) {
          entries << "  V" << n;
        } else {
          entries << " " << ident(r->getCurrentName());
          if (r->isValued()) entries << " : " << ident(r->getType());
        }
        numberPair(r);
        any = true;
      }
    }
  }
  if (m->getOutputSignalList() != nullptr) {
    for (Signal* s : *m->getOutputSignalList()) {
      int last = currentOccurrence(s);
      for (int k = 1; k <= last; ++k) {
        SignalRef* r = occurrence(s, k);
        if (r == nullptr) fatal(s->getInternalName() + " no signal reference ");
        entries << " " << ident(r->getCurrentName());
        if (r->isValued()) entries << " : " << ident(r->getType());
        numberPair(r);
        any = true;
      }
    }
  }
  if (any) os << "local:" << entries.str() << ";" << std::endl;
}

void JxcWriter::registers() {
  std::list<regclass*>* l = m->getRegisterList();
  if (l == nullptr || l->empty()) return;
  os << "register:" << std::endl;
  for (regclass* r : *l) {
    Signal* next = r->next_var();
    Signal* actual = r->actual_var();
    if (next == nullptr || actual == nullptr)
      throw IllegalOperationException("Module::JXC_put: register without its signals", m->getName());
    if (forget != 0) {
      os << " V" << fileNumber(next->getInitialBddStatusId(m, w), next->getInternalName()) << " V"
         << fileNumber(actual->getInitialBddStatusId(m, w), actual->getInternalName());
    } else {
      os << ident(next->getInternalName()) << " " << ident(actual->getInternalName());
    }
    os << " " << r->is_initialy_true() << ";" << std::endl;
  }
  os << std::endl;
}

void JxcWriter::connexion() {
  Signal* wires[3] = {m->getSet(), m->getReset(), m->getRtl()};
  const char* kinds[3] = {"set", "reset", "rtl"};
  for (int i = 0; i < 3; ++i)
    if (wires[i] == nullptr || current(wires[i]) == nullptr)
      throw IllegalOperationException("Module::JXC_put: module without its wire", kinds[i]);
  os << "connexion: " << ident(wires[0]->getName(m)) << " " << ident(wires[1]->getName(m)) << " "
     << ident(wires[2]->getName(m)) << ";" << std::endl
     << std::endl;
  for (Signal* s : wires) numberPair(current(s));
}

// Every variable that a kept equation's BDD or dependence list names must have a file
// number: the reader would build a node of variable -1 as the constant true.
void JxcWriter::checkEquations() {
  for (long id : w->ens_exp) {
    Bddexpression* e = w->slot(id);
    if (e == nullptr || renumbering[static_cast<size_t>(id)] == -1) continue;
    std::set<long> vars = e->set_of_var_dependances();
    bdd f = e->my_bdd_exp();
    if (bdd_owned_by(f, w->my_bdd_manager())) {
      std::set<long> support = w->set_of_index_depend_on(f);
      vars.insert(support.begin(), support.end());
    }
    for (long v : vars)
      if (v < 0 || v >= static_cast<long>(renumbering.size()) || renumbering[static_cast<size_t>(v)] < 0)
        internalError("INTERNAL ERROR in Module::JXC_put: no file number for a variable read by ",
                      w->Name_var_by_index(id) + " (variable " + std::to_string(v) + ")");
  }
}

void JxcWriter::write() {
  os << "module: " << ident(m->getName()) << "  " << (m->getReincarnate() ? 1 : 0) << " " << m->getFinalised()
     << std::endl;
  inputs();
  outputs();
  dataSignals();
  locals();
  registers();
  connexion();
  checkEquations();
  os << "equation_def:" << std::endl;
  w->Put_jxc(os, renumbering.data(), Compilation::DebugFlag ? 1 : 0);
  os << "end:" << std::endl << std::endl;
  m->printBinding(os, renumbering.data());
}

// ----- data section -----

void writeDataSection(std::ostream& os) {
  DataTypeTable* types = Compilation::GDataTypeTable;
  DataMethodTable* methods = Compilation::GDataMethodTable;
  DataConstantTable* constants = Compilation::GDataConstantTable;
  if (types == nullptr && methods == nullptr && constants == nullptr) return;
  os << "data:" << std::endl;
  if (types != nullptr) {
    for (auto& t : *types->getTypes()) ident(t.first);
    types->print(os, false);
  } else {
    os << "type:" << std::endl;
  }
  // The reader needs "method:" whenever "data:" is there.
  if (methods != nullptr && methods->getMethodList() != nullptr) {
    for (MethodDecl* d : *methods->getMethodList()) {
      ident(d->getReturnType());
      ident(d->getName());
      if (d->getArgTypeList() != nullptr)
        for (const std::string& a : *d->getArgTypeList()) ident(a);
    }
    methods->print(os, false);
  } else {
    os << "method:" << std::endl;
  }
  if (constants != nullptr && constants->getConstantList() != nullptr) {
    os << "constant:" << std::endl;
    // Position order is index order; inlined constants have no line.
    std::map<int, int> positions = constants->getFilePositions();
    std::vector<std::pair<int, int>> by_position;
    for (auto& p : positions) by_position.emplace_back(p.second, p.first);
    std::sort(by_position.begin(), by_position.end());
    for (auto& p : by_position) {
      ConstantDecl* c = constants->getConstantById(p.second);
      if (c == nullptr) continue;
      os << ident(c->getType()) << " " << ident(c->getName());
      if (c->getValue() != nullptr) {
        if (!c->getValue()->isDataValue())
          throw IllegalOperationException("Print_of_constant table", c->getName());
        const std::string& text = static_cast<DataValue*>(c->getValue())->getText();
        if (!readableString(text))
          throw IllegalOperationException("Module::JXC_put: constant text not readable in a .jxc file", text);
        os << "   \"" << text << "\"";
      }
      os << ";" << std::endl;
    }
  }
  os << "end:" << std::endl << std::endl;
}

}  // namespace

void Module::printBinding(std::ostream& os, long* renumbering) {
  if (data_table == nullptr) return;
  Bddexpressionwood* w = getBddWood();
  long size = renumberingSize(w);
  DataEvalTable table(renumbering, size, this);
  // The copies made for the binding lines, freed on every way out (each node once).
  struct Copies : std::vector<DataExpr*> {
    ~Copies() {
      std::set<DataExpr*> nodes;
      for (DataExpr* c : *this) data_expression_closure(c, nodes);
      for (DataExpr* e : nodes) delete_data_node(e);
    }
  } copies;
  std::ostringstream text;
  text << "binding:" << std::endl;
  for (auto& entry : *data_table) {
    DataBinding* b = entry.second;
    Signal* s = b->getSignal();
    Signal* clock = b->getClock();
    if (s->is_local || s->is_wire || s->is_output) {
      // One line per occurrence, each with its own copy of the value expression.
      std::list<long> ids = s->getAllBddId(this, w);
      for (auto it = ids.begin(); it != ids.end();) {
        long sid = *it++;
        long vid = it != ids.end() ? *it++ : -1;
        copies.push_back(b->getValue()->duplicate());
        text << "   (" << table.fileNumber(sid) << ", " << table.fileNumber(vid) << "): value: "
             << table.reference(copies.back());
        if (clock != nullptr)
          text << " clock: (" << table.fileNumber(clock->getInitialBddStatusId(this, w)) << ", "
               << table.fileNumber(clock->getInitialBddValueId(this, w)) << ")";
        text << ";" << std::endl;
      }
    } else {
      text << "   (" << table.fileNumber(s->getBddStatusId(this, w)) << ", "
           << table.fileNumber(s->getBddValueId(this, w)) << "): value: " << table.reference(b->getValue());
      if (clock != nullptr)
        text << " clock: (" << table.fileNumber(clock->getBddStatusId(this, w)) << ", "
             << table.fileNumber(clock->getBddValueId(this, w)) << ")";
      text << ";" << std::endl;
    }
  }
  text << "end:" << std::endl << std::endl << "evaltable:" << std::endl;
  table.writeEntries(text);
  text << "end:" << std::endl << std::endl;
  os << text.str();
}

void Module::JXC_put(std::ostream& os, int, int, int forget_locals_names) {
  if (compilation == nullptr || getBddWood() == nullptr) return;
  std::ostringstream text;
  JxcWriter(this, text, forget_locals_names).write();
  writeDataSection(text);
  os << text.str() << std::flush;
}

void Module::save() {
  if (compilation == nullptr) throw IllegalOperationException("Save code requires compilation", nullptr);
  std::string file;
  if (OutputFile.empty()) {
    file = name + ".jxc";
  } else if (OutputFile.find(".jxc") != std::string::npos) {
    file = OutputFile;
  } else {
    file = OutputFile + ".jxc";
  }
  std::string path = OutputDir + "/" + file;
  // Built first: a module that cannot be written leaves an existing file as it was.
  std::ostringstream text;
  JXC_put(text, 2, !Compilation::KeepWiresFlag, Compilation::ForgetLocalsNameFlag);
  write_generated_files({{path, path, OldFile::said_rewritten}}, [&](std::vector<std::ostream*>& out) { *out[0] << text.str(); });
}
