// Compiled-module reader: the parser object, the token and error functions of the
// generated grammar, the trace lines and the loader entry point.
#include "parse_jxc.h"

#include <exception>
#include <iostream>

#include "compilation.h"
#include "module.h"

class_jxc_parser* pjxc_parser = nullptr;
std::string moduleName;

class_jxc_parser::class_jxc_parser() : global_signal_list(new std::list<Signal*>()) { pjxc_parser = this; }

class_jxc_parser::~class_jxc_parser() {
  delete global_signal_list;
  delete registers;
  if (pjxc_parser == this) pjxc_parser = nullptr;
}

int class_jxc_parser::parse(std::fstream& log, int explain, std::string& inst) {
  return parse(log, explain, inst, *Compilation::EmptyString);
}

int class_jxc_parser::parse(std::fstream& log, int explain, std::string& inst, std::string& run) {
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
  try {
    return jxcparse();
  } catch (const std::exception& e) {
    std::cerr << "line " << plexer->lineno() << ": " << e.what() << std::endl;
    return 1;
  }
}

int jxclex() { return pjxc_parser->plexer->yylex(); }

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

int jxc_read_module(std::istream& in, std::fstream& log, int explain, std::string& instance,
                    std::string& run_instance, std::list<std::string>* awaited_inputs,
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
