// Compiled-module reader: the parser object, the token and error functions of the
// generated grammar, the trace lines, the reader entry point and the freeing of what it reads.
#include "parse_jxc.h"

#include <exception>
#include <iostream>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "g_exit.h"
#include "module.h"
#include "module_signal.h"
#include "signal_manager.h"

class_jxc_parser* pjxc_parser = nullptr;
std::string moduleName;

class_jxc_parser::class_jxc_parser() { pjxc_parser = this; }

class_jxc_parser::~class_jxc_parser() {
  delete registers;
  if (pjxc_parser == this) pjxc_parser = nullptr;
}

int class_jxc_parser::parse(std::ostream& log, int explain, const std::string& inst) {
  return parse(log, explain, inst, *Compilation::EmptyString);
}

int class_jxc_parser::parse(std::ostream& log, int explain, const std::string& inst, const std::string& run) {
  parse_os = &log;
  explain_param = explain;
  instance = inst;
  run_instance = run;
  pjxc_parser = this;
  moduleName.clear();
  if (plexer == nullptr) {
    std::cerr << "class_jxc_parser::parse: no scanner" << std::endl;
    return 1;
  }
  int status = 1;
  try {
    status = jxcparse();
  } catch (const g_exit_error&) {
    discard_module();
    throw;  // a fatal error under a throwing exit handler
  } catch (const std::exception& e) {
    // The grammar's helpers report their own failures; this is the last resort (bad_alloc).
    std::cerr << "line " << plexer->lineno() << ": " << e.what() << std::endl;
  }
  if (status != 0) discard_module();
  return status;
}

void class_jxc_parser::discard_module() {
  Module* m = pmodule_parse;
  pmodule_parse = nullptr;
  pw = nullptr;
  if (m == nullptr) return;  // no signal is made before the module
  jxc_read_parts parts;
  parts.add_module(m);
  parts.signals.insert(declared_signals.begin(), declared_signals.end());
  if (registers != nullptr) parts.registers.insert(registers->begin(), registers->end());
  if (binding_section)
    for (auto& entry : binding_section->built_expressions()) data_expression_closure(entry.second, parts.expressions);
  declared_signals.clear();
  inputs.clear();
  outputs.clear();
  data_signals.clear();
  locals.clear();
  if (registers != nullptr) registers->clear();
  binding_section.reset();
  jxc_free_read_module(m, parts);
}

void jxc_read_parts::add_module(const Module* m) {
  for (const std::list<Signal*>* l :
       {m->input_signal_list, m->output_signal_list, m->data_signal_list, m->local_signal_list})
    if (l != nullptr) signals.insert(l->begin(), l->end());
  for (Signal* wire : {m->set_wire, m->reset_wire, m->rtl_wire}) signals.insert(wire);
  signals.erase(nullptr);
  if (m->register_list != nullptr) registers.insert(m->register_list->begin(), m->register_list->end());
  registers.erase(nullptr);
  if (m->data_table == nullptr) return;
  for (auto& entry : *m->data_table) {
    bindings.insert(entry.second);
    if (entry.second != nullptr) data_expression_closure(entry.second->getValue(), expressions);
  }
  bindings.erase(nullptr);
}

void jxc_free_read_module(Module* m, const jxc_read_parts& parts) {
  for (DataExpr* e : parts.expressions) delete_data_node(e);
  for (DataBinding* b : parts.bindings) delete b;
  for (regclass* r : parts.registers) delete r;
  for (Signal* s : parts.signals) {
    s->dropOccurrenceTable();  // no copy of a read signal outlives its module
    delete s;
  }
  delete m->data_table;
  for (std::list<Signal*>* l : {m->input_signal_list, m->output_signal_list, m->data_signal_list, m->local_signal_list})
    delete l;
  delete m->register_list;
  if (m->local_stack != nullptr)
    for (Module::Scope* scope : *m->local_stack) delete scope;
  delete m->local_stack;
  if (m->run_decl_table != nullptr)
    for (auto& entry : *m->run_decl_table) delete entry.second;
  delete m->run_decl_table;
  m->data_table = nullptr;
  m->input_signal_list = m->output_signal_list = m->data_signal_list = m->local_signal_list = nullptr;
  m->register_list = nullptr;
  m->local_stack = nullptr;
  m->run_decl_table = nullptr;
  m->set_wire = m->reset_wire = m->rtl_wire = nullptr;
  // The module forgets and destroys its equation system through its signal manager.
  EquationTable* table = m->compilation;
  SignalManager* manager = m->signal_manager;
  delete m;
  delete table;
  delete manager;
}

int jxclex() {
  int token = pjxc_parser->plexer->yylex();
  pjxc_parser->record_start = 0;
  return token;
}

void jxcerror(const char* message) {
  std::cerr << "line " << pjxc_parser->plexer->lineno() << ": " << message << std::endl;
}

void jxc_debuger_law(int rule, int level, const char* text, int explain, std::ostream& log) {
  if (explain != 1) return;
  log << rule;
  if (level != 1) log << "," << level;
  log << " --> " << text << "\n";
  log.flush();
}

int jxc_read_module(std::istream& in, std::ostream& log, int explain, const std::string& instance,
                    const std::string& run_instance, std::list<std::string>* awaited_inputs,
                    std::list<std::string>* awaited_outputs, Module** result) {
  jxcFlexLexer lexer(&in, &log);
  class_jxc_parser parser;
  parser.plexer = &lexer;
  parser.awaited_input_list = awaited_inputs;
  parser.awaited_output_list = awaited_outputs;
  int status = parser.parse(log, explain, instance, run_instance);
  if (result != nullptr) *result = status == 0 ? parser.pmodule_parse : nullptr;
  return status;
}
