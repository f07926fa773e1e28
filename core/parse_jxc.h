// Compiled-module (.jxc) reader: the scanner class, the parser object (one parse at a time,
// through the global pjxc_parser) and the grammar's entry points.
#ifndef PARSE_JXC_H
#define PARSE_JXC_H

#include <iosfwd>
#include <list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "flat_index.h"
#include "parse_supl.h"

// jxcFlexLexer(std::istream* in, std::ostream* log): the generated scanner defines
// JXC_SCANNER_CLASS before including this header, having declared the class itself.
#ifndef JXC_SCANNER_CLASS
#define JXC_SCANNER_CLASS 1
#undef yyFlexLexer
#define yyFlexLexer jxcFlexLexer
#include <FlexLexer.h>
#undef yyFlexLexer
#endif

class Bddexpressionwood;
class DataBinding;
class DataExpr;
class Module;
class Signal;
class regclass;

class class_jxc_parser {
 public:
  // Empty instance names and signal list, counters 0, awaited lists null; registers this
  // object as the current compiled-module parser (pjxc_parser).
  class_jxc_parser();
  // Frees the parse's own lists and records; not the module (which is the caller's after a
  // parse that returned 0), the scanner or the log.
  ~class_jxc_parser();
  class_jxc_parser(const class_jxc_parser&) = delete;
  class_jxc_parser& operator=(const class_jxc_parser&) = delete;

  // Runs jxcparse on plexer: 0 when the whole file was accepted (pmodule_parse then holds
  // the module with its equations, signals, registers and bindings), 1 on a syntax error or
  // a broken file (a "line N: " message on standard error), 2 when the parser stack is
  // exhausted. On a failure the module begun is freed with all the parse made (pmodule_parse
  // null). The short form keeps Compilation::EmptyString as the run instance.
  int parse(std::ostream& log, int explain, const std::string& instance);
  int parse(std::ostream& log, int explain, const std::string& instance, const std::string& run_instance);

  long premier_bdd_id = 0;  // added to the value id of a binding without clock
  int explain_param = 0;    // 1: trace lines in the log
  std::ostream* parse_os = nullptr;
  jxcFlexLexer* plexer = nullptr;
  Module* pmodule_parse = nullptr;  // null until the module header has been read
  std::string instance;             // suffix of every declared signal's internal name
  std::string run_instance;         // kept for the caller
  Bddexpressionwood* pw = nullptr;  // the module's equation system once it exists
  std::vector<Signal*> declared_signals;  // every signal made by the parse, in order
  std::list<std::string>* awaited_input_list = nullptr;
  std::list<std::string>* awaited_output_list = nullptr;

  // BDD node table of the equation section.
  jxc_node_table parsed_nodes_table;
  long parsed_nodes_number = 0;

  // For the n-th method, type and constant of the file, its index in the global table.
  long nb_methods = 0;
  std::vector<int> corres_methodid;
  long nb_types = 0;
  std::vector<int> corres_typeid;
  long nb_constantes = 0;
  std::vector<int> corres_constantesid;

  // ----- state of the parse in progress (grammar actions) -----
  std::list<Signal*> inputs, outputs, data_signals, locals;
  std::list<regclass*>* registers = nullptr;  // null until a register section is read
  long reincarnate_number = 0;
  long finalised_number = 0;
  std::list<bindingparse> bindings;
  std::list<evalnodeparse> evalnodes;
  std::unique_ptr<binding_declaration_parse> binding_section;
  // 1 (2): the parser awaits a node (an expression) record at the next token, which the
  // scanner may then give as one token; 0 once a token is read.
  int record_start = 0;
  // Earliest and latest dates, variable, node and link of an expression record whose head was
  // scanned as one token.
  long expression_head[5] = {0, 0, 0, 0, 0};
  std::list<long> pending_ids;
  std::list<long> pending_args;
  // The first signal of declared_signals with each internal name, for the first
  // declared_indexed signals of the list (brought up to date when the registers are read).
  flat_index<Signal> declared_by_internal;
  size_t declared_indexed = 0;

 private:
  void discard_module();  // frees pmodule_parse with everything made for it
};

// What a module made by the reader holds besides the Module object: the signals of its
// lists and its three wires, its registers, bindings and their expressions. A failed parse
// adds what it made that the module does not hold yet.
struct jxc_read_parts {
  std::set<Signal*> signals;
  std::set<regclass*> registers;
  std::set<DataBinding*> bindings;
  std::set<DataExpr*> expressions;  // with every operand and argument
  void add_module(const Module* m);
};

// Frees parts, then m with its lists and tables, its equation table, its equation system and
// its signal manager.
void jxc_free_read_module(Module* m, const jxc_read_parts& parts);

// The parser in progress (set by the constructor; cleared by its destructor).
extern class_jxc_parser* pjxc_parser;
// The module name once the header has been read.
extern std::string moduleName;

// The grammar (generated): 0 accepted, 1 syntax error or broken file, 2 stack exhausted.
int jxcparse();
// The grammar's token function: the next token code of pjxc_parser's scanner.
int jxclex();
// "line N: " + message on standard error.
void jxcerror(const char* message);
// With explain 1: rule, "," and level unless level is 1, " --> ", text and a newline.
void jxc_debuger_law(int rule, int level, const char* text, int explain, std::ostream& log);

// Reads one compiled module from in (the log stream receives the unrecognised characters
// and the trace lines); the entry point behind Compilation::jxc_reader. 0 with the module in
// *result, else non-zero with *result null (an exception of the reconstruction counts as a
// failure, and nothing read is left allocated).
int jxc_read_module(std::istream& in, std::ostream& log, int explain, const std::string& instance,
                    const std::string& run_instance, std::list<std::string>* awaited_inputs,
                    std::list<std::string>* awaited_outputs, Module** result);

#endif
