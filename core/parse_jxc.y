/* Compiled-module (.jxc) grammar. Tokens carry no value: the actions read the scanner's
   text, which is still the reduced token's own text for the one-token rules (ident,
   number, string, a node record or an expression head scanned whole), those states reducing
   without a look-ahead. */

%define api.prefix {jxc}
%define parse.error simple

%code requires {
#include <list>
#include <string>
class Signal;
struct jxc_pair {
  long status;
  long value;
  bool present;
};
}

%code {
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <unordered_set>

#include "compilation.h"
#include "Bddexpression.h"
#include "data.h"
#include "g_exit.h"
#include "g_messages.h"
#include "module.h"
#include "module_signal.h"
#include "parse_jxc.h"

#define JXC pjxc_parser
#define TOKEN_TEXT (pjxc_parser->plexer->YYText())
#define TRACE(rule, level, text)                                                                  \
  do {                                                                                            \
    if (pjxc_parser->explain_param == 1)                                                          \
      jxc_debuger_law((rule), (level), (text), pjxc_parser->explain_param, *pjxc_parser->parse_os); \
  } while (0)

// Helpers returning bool report a broken file themselves ("line N: " + what on standard error,
// exceptions included): false fails the rule, and bison frees the values still on its stack.
// The string and list arguments are theirs to free: a rule's own values are not freed by
// bison when its action aborts.
namespace {
bool jxc_number(const char* text, long* out);
bool jxc_numbers(const char* text, long* out, int count);
bool jxc_node_line(const char* text);
bool jxc_expression_head_record();
bool jxc_module_header(std::string* name, long reincarnate, long finalised);
bool jxc_signal_declaration(std::string* name, std::string* type, Signal** out);
void jxc_inputs(std::list<Signal*>* list);
void jxc_outputs(std::list<Signal*>* list);
void jxc_data_signals(std::list<Signal*>* list);
void jxc_locals(std::list<Signal*>* list);
bool jxc_register(std::string* next, std::string* current, long initial);
bool jxc_connexion(std::string* set, std::string* reset, std::string* rtl);
bool jxc_node_count(long count);
void jxc_node_record(long k, long var, long then_id, long else_id, long link);
bool jxc_expression_record(long earliest, long latest, long var, long node, long link);
void jxc_binding_record(const jxc_pair& signal, long eval, const jxc_pair& clock);
void jxc_evaluation(int kind, long code);
bool jxc_binding_section();
bool jxc_type(std::string* name);
bool jxc_method(std::string* result, std::string* name, std::list<std::string>* args);
bool jxc_constant(std::string* type, std::string* name, std::string* value);
bool jxc_final_step();
}  // namespace
}

%union {
  long number;
  std::string* text;
  std::list<std::string>* texts;
  std::list<Signal*>* signals;
  Signal* signal;
  jxc_pair pair;
}

%token TOKEN_MODULE 258
%token TOKEN_INPUTS 259
%token TOKEN_OUTPUTS 260
%token TOKEN_DATA_SIGNAL 261
%token TOKEN_LOCALS 262
%token TOKEN_REGISTERS 263
%token TOKEN_CONNEXION 264
%token TOKEN_EQUATION_DEF 265
%token TOKEN_EXPRESSION_DEF 266
%token TOKEN_EGAL 267
%token TOKEN_END 268
%token TOKEN_BINDING 269
%token TOKEN_EVALTABLE 270
%token TOKEN_VALUE 271
%token TOKEN_CLOCK 272
%token TOKEN_CONSTANT 273
%token TOKEN_DATA 274
%token TOKEN_TYPE 275
%token TOKEN_METHOD 276
%token TOKEN_IMMEDIAT 277
%token TOKEN_DEUX_POINTS 278
%token TOKEN_VIRGULE 279
%token TOKEN_POUVRANTE 280
%token TOKEN_PFERMANTE 281
%token TOKEN_IDENT 282
%token TOKEN_NUMBER 283
%token TOKEN_REAL 284
%token TOKEN_CHAINE_CARACTERES 285
%token TOKEN_SEP 286
%token TOKEN_DOUBLEPOURCENT 287
%token TOKEN_POURCENT 288
%token TOKEN_NODE_LINE 289
%token TOKEN_EXPRESSION_HEAD 290

%type <text> ident opt_type opt_string next_name current_name arg_type
%type <number> number dollar_constant initial_value
%type <signals> signal_list
%type <signal> signal_declaration
%type <pair> id_pair opt_clock
%type <texts> arg_types arg_type_list

%destructor { delete $$; } <text> <texts> <signals>

%%

module_file
  : module_header inputs outputs data_signals locals registers connexion equation_section
    binding_section data_section
    { TRACE(1, 1, "definition finale"); if (!jxc_final_step()) YYABORT; }
  ;

module_header
  : TOKEN_MODULE ident number number
    { if (!jxc_module_header($2, $3, $4)) YYABORT; TRACE(2, 1, "definition nom declaration"); }
  ;

inputs
  : %empty { TRACE(3, 1, "definition liste inputs vide"); }
  | TOKEN_INPUTS signal_list TOKEN_SEP
    { jxc_inputs($2); TRACE(3, 2, "definition liste inputs"); }
  ;

outputs
  : %empty { TRACE(4, 1, "definition liste output vide"); }
  | TOKEN_OUTPUTS signal_list TOKEN_SEP
    { jxc_outputs($2); TRACE(4, 2, "definition liste output"); }
  ;

data_signals
  : %empty { TRACE(3, 1, "definition liste data vide"); }
  | TOKEN_DATA_SIGNAL signal_list TOKEN_SEP
    { jxc_data_signals($2); TRACE(3, 2, "definition liste data signals"); }
  ;

locals
  : %empty { TRACE(5, 1, "definition liste locaux vide"); }
  | TOKEN_LOCALS signal_list TOKEN_SEP
    { jxc_locals($2); TRACE(5, 2, "definition liste locaux"); }
  ;

signal_list
  : signal_declaration
    { $$ = new std::list<Signal*>(1, $1); TRACE(6, 1, "creation liste iol"); }
  | signal_list signal_declaration
    { $$ = $1; $$->push_back($2); TRACE(6, 2, "ajout iol liste"); }
  ;

signal_declaration
  : ident opt_type
    { if (!jxc_signal_declaration($1, $2, &$$)) YYABORT; TRACE(7, 1, TOKEN_TEXT); }
  ;

opt_type
  : %empty { $$ = nullptr; TRACE(8, 1, TOKEN_TEXT); }
  | TOKEN_DEUX_POINTS ident { $$ = $2; TRACE(8, 2, TOKEN_TEXT); }
  ;

registers
  : %empty { TRACE(9, 1, "definition liste registres vide"); }
  | TOKEN_REGISTERS register_list { TRACE(9, 2, "definition liste registres"); }
  ;

register_list
  : register_declaration { TRACE(10, 1, "creation liste ident"); }
  | register_list register_declaration { TRACE(10, 2, "ajout ident liste"); }
  ;

register_declaration
  : next_name current_name initial_value TOKEN_SEP
    { if (!jxc_register($1, $2, $3)) YYABORT; TRACE(11, 1, "ajout ident liste"); }
  ;

next_name
  : ident { $$ = $1; TRACE(20, 1, "def var suivante"); }
  ;

current_name
  : ident { $$ = $1; TRACE(21, 1, "def var actuelle"); }
  ;

initial_value
  : number { $$ = $1; TRACE(22, 1, "valeur initiale "); }
  ;

connexion
  : TOKEN_CONNEXION ident ident ident TOKEN_SEP
    { if (!jxc_connexion($2, $3, $4)) YYABORT; TRACE(12, 1, "ajout ident liste"); }
  ;

equation_section
  : equation_count node_list TOKEN_EXPRESSION_DEF expression_list TOKEN_END
    { TRACE(14, 1, "wood declaration"); }
  ;

equation_count
  : TOKEN_EQUATION_DEF number { if (!jxc_node_count($2)) YYABORT; }
  ;

node_list
  : %empty { JXC->record_start = 1; TRACE(15, 1, "equation seule"); }
  | node_list node_record { JXC->record_start = 1; TRACE(15, 2, "ajout equation gen liste"); }
  ;

node_record
  : number TOKEN_DEUX_POINTS number TOKEN_DEUX_POINTS number TOKEN_DEUX_POINTS number TOKEN_VIRGULE number
    { jxc_node_record($1, $3, $5, $7, $9); TRACE(16, 1, "equation"); }
  | TOKEN_NODE_LINE { if (!jxc_node_line(TOKEN_TEXT)) YYABORT; TRACE(16, 1, "equation"); }
  ;

expression_list
  : %empty { JXC->record_start = 2; TRACE(17, 1, "expression booleenne gen seule"); }
  | expression_list expression_record { JXC->record_start = 2; TRACE(17, 2, "ajout expression gen liste"); }
  ;

expression_record
  : number number number TOKEN_DEUX_POINTS number TOKEN_VIRGULE number TOKEN_VIRGULE
    TOKEN_POUVRANTE id_list TOKEN_PFERMANTE
    {
      if (!jxc_expression_record($1, $2, $3, $5, $7)) YYABORT;
      TRACE(18, 1, "def expression bool");
    }
  | expression_head id_list TOKEN_PFERMANTE
    { if (!jxc_expression_head_record()) YYABORT; TRACE(18, 1, "def expression bool"); }
  ;

expression_head
  : TOKEN_EXPRESSION_HEAD { if (!jxc_numbers(TOKEN_TEXT, JXC->expression_head, 5)) YYABORT; }
  ;

id_list
  : %empty
  | id_list number { JXC->pending_ids.push_back($2); }
  ;

number
  : TOKEN_NUMBER { if (!jxc_number(TOKEN_TEXT, &$$)) YYABORT; TRACE(19, 1, TOKEN_TEXT); }
  ;

ident
  : TOKEN_IDENT { $$ = new std::string(TOKEN_TEXT); TRACE(13, 1, TOKEN_TEXT); }
  ;

binding_section
  : %empty { TRACE(26, 1, ""); }
  | TOKEN_BINDING binding_list TOKEN_END TOKEN_EVALTABLE evaluation_list TOKEN_END
    { if (!jxc_binding_section()) YYABORT; TRACE(26, 2, ""); }
  ;

binding_list
  : %empty { TRACE(27, 1, ""); }
  | binding_list binding_record { TRACE(27, 2, ""); }
  ;

binding_record
  : id_pair TOKEN_DEUX_POINTS TOKEN_VALUE number opt_clock TOKEN_SEP
    { jxc_binding_record($1, $4, $5); TRACE(28, 1, ""); }
  ;

opt_clock
  : %empty { $$ = jxc_pair{-1, -1, false}; TRACE(29, 1, "clock declaration vide"); }
  | TOKEN_CLOCK id_pair { $$ = $2; TRACE(29, 2, " clock declaration (nombre,nombre)"); }
  ;

id_pair
  : TOKEN_POUVRANTE number TOKEN_VIRGULE number TOKEN_PFERMANTE
    { $$ = jxc_pair{$2, $4, true}; TRACE(30, 1, "(nombre,nombre)"); }
  ;

evaluation_list
  : %empty { TRACE(31, 1, ""); }
  | evaluation_list evaluation_record { TRACE(31, 2, ""); }
  ;

evaluation_record
  : number TOKEN_DEUX_POINTS evaluation TOKEN_SEP
    { JXC->evalnodes.back().set_nodeident($1); TRACE(32, 1, ""); }
  ;

evaluation
  : dollar_constant
    { JXC->evalnodes.emplace_back(evalnodeparse::CONSTANTE, $1); TRACE(33, 1, ""); }
  | number
    { JXC->evalnodes.emplace_back(evalnodeparse::LINK, $1); TRACE(33, 2, ""); }
  | TOKEN_POURCENT number TOKEN_POUVRANTE arguments TOKEN_PFERMANTE
    { jxc_evaluation(evalnodeparse::METHODE_EXTERNE, $2); TRACE(33, 3, ""); }
  | TOKEN_DOUBLEPOURCENT number TOKEN_POUVRANTE arguments TOKEN_PFERMANTE
    { jxc_evaluation(evalnodeparse::METHODE_PREDEFINIE, $2); TRACE(33, 4, ""); }
  ;

dollar_constant
  : TOKEN_IMMEDIAT number { $$ = $2; TRACE(34, 1, ""); }
  ;

arguments
  : %empty { TRACE(35, 1, ""); }
  | argument_list
  ;

argument_list
  : argument { TRACE(35, 2, ""); }
  | argument_list TOKEN_VIRGULE argument { TRACE(35, 3, ""); }
  ;

argument
  : number { JXC->pending_args.push_back($1); TRACE(36, 1, ""); }
  | dollar_constant { JXC->pending_args.push_back($1); TRACE(36, 1, ""); }
  ;

data_section
  : %empty { TRACE(41, 1, ""); }
  | TOKEN_DATA TOKEN_TYPE type_list TOKEN_METHOD method_list constant_section TOKEN_END
    { TRACE(41, 2, ""); }
  ;

type_list
  : %empty { TRACE(42, 1, ""); }
  | type_list type_declaration { TRACE(42, 2, ""); }
  ;

type_declaration
  : ident TOKEN_SEP { if (!jxc_type($1)) YYABORT; TRACE(43, 1, ""); }
  ;

method_list
  : %empty { TRACE(44, 1, ""); }
  | method_list method_declaration { TRACE(44, 2, ""); }
  ;

method_declaration
  : ident ident TOKEN_POUVRANTE arg_types TOKEN_PFERMANTE TOKEN_SEP
    { if (!jxc_method($1, $2, $4)) YYABORT; TRACE(45, 1, ""); }
  ;

arg_types
  : %empty { $$ = new std::list<std::string>(); TRACE(46, 1, ""); }
  | arg_type_list { $$ = $1; }
  ;

arg_type_list
  : arg_type { $$ = new std::list<std::string>(1, *$1); delete $1; TRACE(46, 2, ""); }
  | arg_type_list TOKEN_VIRGULE arg_type { $$ = $1; $$->push_back(*$3); delete $3; TRACE(46, 3, ""); }
  ;

arg_type
  : ident { $$ = $1; TRACE(47, 1, ""); }
  ;

constant_section
  : %empty { TRACE(37, 1, ""); }
  | TOKEN_CONSTANT constant_list { TRACE(37, 2, ""); }
  ;

constant_list
  : %empty { TRACE(38, 1, ""); }
  | constant_list constant_declaration { TRACE(38, 2, ""); }
  ;

constant_declaration
  : ident ident opt_string TOKEN_SEP
    { if (!jxc_constant($1, $2, $3)) YYABORT; TRACE(39, 1, ""); }
  ;

opt_string
  : %empty { $$ = nullptr; }
  | TOKEN_CHAINE_CARACTERES { $$ = new std::string(TOKEN_TEXT); TRACE(40, 1, TOKEN_TEXT); }
  ;

%%

namespace {

// "line N: " + what on standard error: the file is rejected.
void jxc_broken(const std::string& what) {
  std::cerr << "line " << pjxc_parser->plexer->lineno() << ": " << what << std::endl;
}

// Runs step; an exception is the file's fault, reported by jxc_broken: false.
template <typename Step>
bool jxc_checked(Step step) {
  try {
    step();
  } catch (const g_exit_error&) {
    throw;  // a fatal error under a throwing exit handler
  } catch (const std::exception& e) {
    jxc_broken(e.what());
    return false;
  }
  return true;
}

typedef std::unique_ptr<std::string> owned_text;

// Base-10 integer within 32 bits, the length characters of text; anything wider is rejected
// rather than wrapped.
bool jxc_number(const char* text, size_t length, long* out) {
  const char* p = text;
  const char* end = text + length;
  bool negative = p < end && *p == '-';
  if (negative) ++p;
  long long value = 0;
  for (; p < end && *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > 2147483648LL) break;
  }
  if (p != end || value > (negative ? 2147483648LL : 2147483647LL)) {
    jxc_broken("number out of range: " + std::string(text, length));
    return false;
  }
  *out = static_cast<long>(negative ? -value : value);
  return true;
}

bool jxc_number(const char* text, long* out) { return jxc_number(text, std::strlen(text), out); }

// The count numbers of a record scanned as one token (numbers between blanks and punctuation),
// each checked and traced as the number rule does.
bool jxc_numbers(const char* text, long* out, int count) {
  const char* p = text;
  for (int i = 0; i < count; ++i) {
    while (*p != '-' && (*p < '0' || *p > '9')) ++p;
    const char* start = p;
    if (*p == '-') ++p;
    while (*p >= '0' && *p <= '9') ++p;
    if (!jxc_number(start, static_cast<size_t>(p - start), &out[i])) return false;
    TRACE(19, 1, std::string(start, p).c_str());
  }
  return true;
}

bool jxc_node_line(const char* text) {
  long f[5];
  if (!jxc_numbers(text, f, 5)) return false;
  jxc_node_record(f[0], f[1], f[2], f[3], f[4]);
  return true;
}

bool jxc_expression_head_record() {
  const long* h = JXC->expression_head;
  return jxc_expression_record(h[0], h[1], h[2], h[3], h[4]);
}

bool jxc_module_header(std::string* name, long reincarnate, long finalised) {
  owned_text n(name);
  return jxc_checked([&] {
    moduleName = *n;
    JXC->pmodule_parse = new Module(*n);
    JXC->pw = JXC->pmodule_parse->getBddWood();
    JXC->reincarnate_number = reincarnate;
    JXC->finalised_number = finalised;
  });
}

bool jxc_signal_declaration(std::string* name, std::string* type, Signal** out) {
  owned_text n(name), t(type);
  return jxc_checked([&] {
    Module* m = JXC->pmodule_parse;
    Signal* s = new Signal(*n, *n + JXC->instance, m, JXC->pw);
    JXC->declared_signals.push_back(s);
    if (t) s->setValueType(*t, m);
    *out = s;
  });
}

// Inputs (outputs) not awaited by the caller are fatal unless valued.
void jxc_check_awaited(const std::list<Signal*>& list, const std::list<std::string>* awaited, const char* kind) {
  if (awaited == nullptr || awaited->empty()) return;
  Module* m = JXC->pmodule_parse;
  const std::unordered_set<std::string> names(awaited->begin(), awaited->end());
  for (Signal* s : list) {
    if (names.count(s->getOriginalName()) != 0 || s->isValued(m)) continue;
    std::string text;
    if (!moduleName.empty()) text += moduleName + ":";
    text += std::string("PARSING ERROR: ") + kind + " signal \"" + s->getOriginalName() +
            "\" is unknown in main module!\n  --> authorised signals:\n";
    for (const std::string& a : *awaited) text += a + "\n";
    text.pop_back();  // the newline that the report adds
    fl_exit_S(forms_box_kind::message, text, 1);
  }
}

void jxc_inputs(std::list<Signal*>* list) {
  std::unique_ptr<std::list<Signal*>> owned(list);
  jxc_check_awaited(*list, JXC->awaited_input_list, "input");
  for (Signal* s : *list) s->is_input = true;
  JXC->inputs.swap(*list);
}

void jxc_outputs(std::list<Signal*>* list) {
  std::unique_ptr<std::list<Signal*>> owned(list);
  jxc_check_awaited(*list, JXC->awaited_output_list, "output");
  for (Signal* s : *list) s->is_output = true;
  JXC->outputs.swap(*list);
}

void jxc_data_signals(std::list<Signal*>* list) {
  std::unique_ptr<std::list<Signal*>> owned(list);
  for (Signal* s : *list) {
    s->is_input = true;
    s->is_data = true;
  }
  JXC->data_signals.swap(*list);
}

void jxc_locals(std::list<Signal*>* list) {
  std::unique_ptr<std::list<Signal*>> owned(list);
  for (Signal* s : *list) {
    s->is_local = true;
    s->is_input = false;
    s->is_output = false;
  }
  JXC->locals.swap(*list);
}

// The first declared signal with this internal name.
Signal* jxc_find_declared(const std::string& internal) {
  const std::vector<Signal*>& all = JXC->declared_signals;
  auto& index = JXC->declared_by_internal;
  // Signals are only appended: index the ones declared since the last look-up.
  for (; JXC->declared_indexed < all.size(); ++JXC->declared_indexed) {
    Signal* s = all[JXC->declared_indexed];
    const std::string& name = s->getInternalName();
    index.insert_first(flat_hash(name), s, [&](const Signal* x) { return x->getInternalName() == name; });
  }
  long slot = index.locate(flat_hash(internal), [&](const Signal* s) { return s->getInternalName() == internal; });
  return slot < 0 ? nullptr : index.get(slot);
}

bool jxc_register(std::string* next, std::string* current, long initial) {
  owned_text nx(next), cur(current);
  if (initial >= 2) {
    fl_report_S(forms_box_kind::message, "Warning: Boolean value expected to initialize register value\n");
  }
  return jxc_checked([&] {
    Signal* n = jxc_find_declared(*nx + JXC->instance);
    Signal* c = jxc_find_declared(*cur + JXC->instance);
    if (n == nullptr || c == nullptr) {
      std::cerr << "register " << *cur << " not defined as local ..." << std::endl;
      return;
    }
    for (Signal* s : {n, c}) {
      s->is_wire = true;
      s->is_register = true;
    }
    if (JXC->registers == nullptr) JXC->registers = new std::list<regclass*>();
    JXC->registers->push_back(new regclass(c, n, static_cast<int>(initial)));
  });
}

bool jxc_connexion(std::string* set, std::string* reset, std::string* rtl) {
  owned_text names[3] = {owned_text(set), owned_text(reset), owned_text(rtl)};
  return jxc_checked([&] {
    Module* m = JXC->pmodule_parse;
    Signal* wires[3];
    for (int i = 0; i < 3; ++i) {
      wires[i] = new Signal(*names[i], m, JXC->pw);
      wires[i]->is_wire = true;
      JXC->declared_signals.push_back(wires[i]);
    }
    m->setSet(wires[0]);
    m->setReset(wires[1]);
    m->setRtl(wires[2]);
  });
}

bool jxc_node_count(long count) {
  if (!jxc_checked([&] { JXC->parsed_nodes_table.reset(count); })) return false;
  JXC->parsed_nodes_number = count;
  return true;
}

void jxc_node_record(long k, long var, long then_id, long else_id, long link) {
  if (!JXC->parsed_nodes_table.store(k, parsed_nodes_class(var, then_id, else_id, static_cast<int>(link))))
    std::cerr << "detecting bad indice about parsed_nodes_table[]! skipping ..." << std::endl;
}

bool jxc_expression_record(long earliest, long latest, long var, long node, long link) {
  bool ok = jxc_checked([&] {
    jxc_bddexpression_convert(JXC->pw, JXC->parsed_nodes_table, earliest, latest, var, node, static_cast<int>(link),
                              &JXC->pending_ids);
  });
  JXC->pending_ids.clear();
  return ok;
}

void jxc_binding_record(const jxc_pair& signal, long eval, const jxc_pair& clock) {
  if (clock.present)
    JXC->bindings.emplace_back(signal.status, signal.value, eval, clock.status, clock.value);
  else
    JXC->bindings.emplace_back(signal.status, signal.value + JXC->premier_bdd_id, eval);
}

void jxc_evaluation(int kind, long code) {
  std::list<long> args;
  args.swap(JXC->pending_args);
  if (kind == evalnodeparse::METHODE_PREDEFINIE && code % DataExpr::NbPredefOp == DataExpr::SignalVal)
    while (args.size() > 2) args.pop_back();
  JXC->evalnodes.emplace_back(kind, -1, code, args);
}

bool jxc_binding_section() {
  return jxc_checked([] {
    JXC->binding_section.reset(new binding_declaration_parse(JXC->bindings, JXC->evalnodes, &JXC->corres_methodid,
                                                             &JXC->corres_typeid, &JXC->corres_constantesid));
  });
}

// The global data tables are the program's: a declaration read once stays for later files.
bool jxc_type(std::string* name) {
  owned_text n(name);
  return jxc_checked([&] {
    if (Compilation::GDataTypeTable == nullptr) Compilation::GDataTypeTable = new DataTypeTable();
    Compilation::GDataTypeTable->addType(*n);
    JXC->corres_typeid.push_back(Compilation::GDataTypeTable->getIndex(*n));
    ++JXC->nb_types;
  });
}

bool jxc_method(std::string* result, std::string* name, std::list<std::string>* args) {
  owned_text r(result), n(name);
  std::unique_ptr<std::list<std::string>> a(args);
  return jxc_checked([&] {
    if (Compilation::GDataMethodTable == nullptr) Compilation::GDataMethodTable = new DataMethodTable();
    int index = Compilation::GDataMethodTable->getMethodIndex(*n);
    if (Compilation::GDataMethodTable->getMethod(*n) == nullptr) {
      std::unique_ptr<MethodDecl> d(new MethodDecl(r.get(), n.get(), a.get()));
      Compilation::GDataMethodTable->addMethod(d.get());
      index = d.release()->getIndex();
    }
    JXC->corres_methodid.push_back(index);
    ++JXC->nb_methods;
  });
}

bool jxc_constant(std::string* type, std::string* name, std::string* value) {
  owned_text t(type), n(name), v(value);
  return jxc_checked([&] {
    if (Compilation::GDataConstantTable == nullptr) Compilation::GDataConstantTable = new DataConstantTable();
    ConstantDecl* c = Compilation::GDataConstantTable->getConstant(*n);
    if (c == nullptr) {
      std::unique_ptr<DataValue> text(v ? new DataValue(v->substr(1, v->size() - 2)) : nullptr);
      std::unique_ptr<ConstantDecl> decl(new ConstantDecl(*t, *n, text.get()));
      if (text) text->setDecl(decl.get());
      Compilation::GDataConstantTable->addConstant(decl.get());
      text.release();
      c = decl.release();
    }
    JXC->corres_constantesid.push_back(c->getConstantIndex());
    ++JXC->nb_constantes;
  });
}

bool jxc_final_step() {
  Module* m = JXC->pmodule_parse;
  return jxc_checked([&] {
    // The parsed lists become the module's (the parser keeps nothing it needs of them).
    m->input_signal_list->swap(JXC->inputs);
    m->output_signal_list->swap(JXC->outputs);
    m->data_signal_list->swap(JXC->data_signals);
    m->local_signal_list->swap(JXC->locals);
    if (m->register_list == nullptr) m->register_list = new std::list<regclass*>();
    m->register_list->clear();
    if (JXC->registers != nullptr) *m->register_list = *JXC->registers;
    m->update_user_type();
    m->setReincarnate(JXC->reincarnate_number != 0);
    m->setFinalised(JXC->finalised_number != 0 ? 1 : 0);
    if (JXC->binding_section) JXC->binding_section->createbinding(m);
    std::list<long> ids;
    for (Signal* s : *m->local_signal_list) ids.splice(ids.end(), s->getAllBddId(m, JXC->pw));
    for (Signal* s : *m->output_signal_list) ids.splice(ids.end(), s->getAllBddId(m, JXC->pw));
    JXC->pw->compute_dates(ids);
  });
}

}  // namespace
