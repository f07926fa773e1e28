// Actions of the source grammar: the parse state they build in, the token values of the
// scanner, and one checked helper per construct. The helpers throw the exceptions of the
// module model (they end the parse and reach the reader's caller) and jx_report for the
// fatal reports that the entry point shows before ending the process.
//
// Ownership: texts and lists handed to a helper stay the caller's (the grammar frees them);
// the objects a helper builds (modules, signals, declarations, data expressions, statements)
// are never freed by the parser.
#ifndef PARSE_JX_BUILD_H
#define PARSE_JX_BUILD_H

#include <cstdint>
#include <list>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

class DataExpr;
class Equation;
class Expression;
class Local;
class Module;
class Signal;
class State;
class Statement;
class Transition;

// ----- parse state (one parse at a time) -----
extern Module* TheModule;                                  // module being built, null outside one
extern std::list<Local*>* TheLocalStack;                   // enclosing local scopes, innermost first
extern std::map<std::string, State*>* TheCurrentStateTable;  // states of the automaton being built

// Start of a parse: no module under construction, none read yet, and the global data tables
// remembered.
void jx_parse_begin();
// Undoes a failed parse: the modules it put into Compilation::ModTable are taken out and
// freed with the one under construction, and data tables it made give way to the
// remembered ones.
void jx_parse_undo();

// A fatal report: its text, written on standard error and shown by the entry point, which
// then ends the process with the status (1 for the reports of the grammar, 2 for an input
// that cannot be read).
class jx_report : public std::runtime_error {
 public:
  jx_report(const std::string& text, int status, const std::string& name = std::string(),
            const std::string& what = std::string())
      : std::runtime_error(text), status(status), name(name), what_wrong(what) {}
  int status;
  std::string name;        // the name the report is about, "" for none
  std::string what_wrong;  // what is wrong in words when the text does not say it, else ""
};

// ----- token values -----
struct jx_int {
  int32_t value;
  std::string* text;  // as written
};
struct jx_real {
  double value;
  std::string* text;  // as written
};
struct jx_pair {
  double x;
  double y;
};
// Signal name and type name ("" for none) of a declaration list.
typedef std::list<std::pair<std::string, std::string>> jx_typed_names;
// Name in the called module and the caller's signal.
typedef std::list<std::pair<std::string, Signal*>> jx_renamings;

// A decimal text of at most 2147483647: its value and a copy of the text; false when wider.
bool jx_scan_int(const char* text, jx_int* out);
// Any number of '-', digits, '.', digits: strtod's value (0 for two or more '-') and the text.
void jx_scan_real(const char* text, jx_real* out);
// Code of a single character as the grammar sees it: 1 to 255, and the undefined token for
// a zero byte.
int jx_scan_char(char c);
// The scanner's fatal errors (a stream gone bad): jx_report(message, 2).
[[noreturn]] void jx_input_failure(const char* message);
// Line of the last token read (parse_jx.cc).
int jx_line();

// The constant name of a literal: "C__" + text, every character outside [A-Za-z0-9_.] (and a
// '_' followed by 'x') written as "_x" and two upper-case hex digits, so that distinct texts
// give distinct identifiers of the compiled-module file: "C__12", "C__2.5", "C__abc" as they
// are, "-2.5" as "C___x2D2.5".
std::string jx_literal_constant_name(const std::string& text);

// ----- data part -----
// New empty global type (method, constant) table; the previous one is left as it is.
void jx_new_type_table();
void jx_new_method_table();
void jx_new_constant_table();
void jx_type(const std::string& name);
// UndefinedTypeException(result) when there is no type table or result is not declared;
// AlreadyDefinedException for a second method of the name. args null: no argument list.
void jx_method(const std::string& result, const std::string& name, const std::list<std::string>* args);
// 'T c := v;' (v null: 'T c;'), with the type check of jx_method and
// AlreadyDefinedException for a second constant of the name.
void jx_constant(const std::string& type, const std::string& name, DataExpr* value);
// 'T lit;': the constant jx_literal_constant_name(lit) whose value is the literal.
void jx_literal_constant(const std::string& type, const std::string& literal);
// The value of 'T c := lit;': a literal, not a reference to a constant.
DataExpr* jx_literal_value(const std::string& literal);

// ----- modules -----
// TheModule becomes a new module of that name, TheLocalStack a new empty list.
void jx_module_header(const std::string& name);
// A new input (output) of TheModule, valued when type is not "".
void jx_input(const std::string& name, const std::string& type);
void jx_output(const std::string& name, const std::string& type);
// 'Run: "path": M' and 'Run: "dir": F: M'. A path without '/' is the file path in the current
// directory ("./path"); backslashes of dir become '/'. IllegalOperationException("Run module
// already exists: ", M) for a second declaration of M.
void jx_run_decl(const std::string& path, const std::string& module);
void jx_run_decl(const std::string& dir, const std::string& file, const std::string& module);
// The body becomes the module's statement; none gives a Nothing named with "N".
void jx_module_body(Statement* body);
// TheModule into Compilation::ModTable (HashTableAddException for a known name); TheModule
// becomes null.
void jx_module_end();

// ----- data expressions -----
// A literal or a name in a data expression: a DataConstant of the declared constant
// (jx_literal_constant_name(text) for a literal). No constant table: jx_report "PARSE ERROR:
// empty constant table detected: ..." about the text; not declared: ModuleUndefinedConstantException(text,
// module name, "" outside a module).
DataExpr* jx_literal_reference(const std::string& literal);
DataExpr* jx_constant_reference(const std::string& name);
// UndefinedMethodException(name) when the method is not declared (or there is no table);
// jx_report (status 1) "ERROR at line L: the method m is declared with n arguments and
// called with k" when the counts differ. args null: "m()".
// These three: jx_report (status 1) beyond DataExpr::MaxNesting, the nesting that the
// compiled-module reader accepts.
DataExpr* jx_method_call(const std::string& name, std::list<DataExpr*>* args);
DataExpr* jx_binary(int op, DataExpr* left, DataExpr* right);
DataExpr* jx_unary(int op, DataExpr* operand);
// "#S": S through the local scopes, then the inputs, then the outputs;
// ModuleUnknownSignalException(S) when none (always outside a module).
DataExpr* jx_signal_value(const std::string& name);

// ----- signal conditions and Mealy right parts -----
// A signal of the local scopes or an input; ModuleUnknownSignalException(name) when none.
Expression* jx_condition_signal(const std::string& name);
// Codes of jx_condition and jx_right_part.
enum jx_logic { JX_OR, JX_AND, JX_NOR, JX_XOR, JX_NAND, JX_NOT, JX_ABS };
// OR, AND, NOT (NpExpression) and ABS (NotExpression; right null for the unary ones).
Expression* jx_condition(jx_logic op, Expression* left, Expression* right);
Expression* jx_condition_true();
Expression* jx_condition_false();
Expression* jx_condition_bottom();
// A name of a right part: local scopes and inputs, then any signal of the module;
// StatementSignalException(name) when none.
Expression* jx_right_name(const std::string& name);
// 0 and 1 only; StatementSignalException(" constant right part is not a Boolean value").
Expression* jx_right_constant(int32_t value);
Expression* jx_right_part(jx_logic op, Expression* left, Expression* right);

// ----- statements -----
// Each statement is named TheModule's name + kind prefix + "_" + the kind's counter of
// Module (then incremented) and owned by TheModule, except the Pn, Sn and the waits of
// 'wait n', which have no owning module.
Statement* jx_nothing();
Statement* jx_pause();
Statement* jx_halt();
// Flat: a left Pn (Sn) takes right as its last child and is the result; else a new Pn
// (Sn) of the two.
Statement* jx_parallel(Statement* left, Statement* right);
Statement* jx_sequence(Statement* left, Statement* right);
Statement* jx_present(Expression* condition, Statement* then_branch, Statement* else_branch);
// The condition is a new valued input bound to condition, among the data signals.
Statement* jx_if(DataExpr* condition, Statement* then_branch, Statement* else_branch);
// line: that of the keyword "loop".
Statement* jx_loop(Statement* body, int line);
// 'local S1[: T1], ...': the Local is made and pushed on TheLocalStack at the opening brace,
// given its body and popped at the closing one.
void jx_local_open(const jx_typed_names& names);
Statement* jx_local_close(Statement* body);
Statement* jx_wait(Expression* condition);
// One Wait for n = 1; else an Sn (named first) of n Waits sharing the condition.
// BadValueNumberWaitException("is a bad number for wait", n) for n < 1 and for n above
// 1000000 (n statements are made).
Statement* jx_wait_count(int32_t n, Expression* condition);
Statement* jx_abort(Statement* body, Expression* condition);
Statement* jx_strong_abort(Statement* body, Expression* condition);
// StatementSignalException(name) when the signal is neither in a local scope nor an output.
// value null: a pure emission. The value signal of an emission is a local; that of a
// sustain is an output when the sustained signal is one, else a local.
Statement* jx_emit(const std::string& name, DataExpr* value);
Statement* jx_noemit(const std::string& name);
Statement* jx_sustain(const std::string& name, DataExpr* value, Expression* condition);
// 'a \ b': (b, the caller's signal a); RunUnknownSignalException("undeclared", a) when none.
std::pair<std::string, Signal*> jx_renaming(const std::string& caller, const std::string& called);
// renamings null: no brackets. HashTableAddException(b) for a called name b renamed twice.
// line: of the called module's name, kept on the Run for the compiler's refusals.
Statement* jx_run(const std::string& module, jx_renamings* renamings, int line);

// ----- automata and Mealy machines -----
// TheCurrentStateTable becomes a new empty table.
void jx_automaton_open();
// The automaton of TheCurrentStateTable and the transitions, in order.
Statement* jx_automaton(std::list<Transition*>* transitions);
// geometry null: none. run null: none. A name already in the table (declared, or made by
// a transition): jx_report("ERROR: two states or more have the same name: " + name +
// "\n\nAbortion ...", 1, name).
void jx_state(const std::string& name, bool final, Statement* run, std::list<Signal*>* emissions,
              std::vector<double>* geometry);
// source, target null: none written, a null state. A name not in the table makes a state.
Transition* jx_transition(bool initial, bool final, const std::string* source, Expression* trigger,
                          std::list<Signal*>* emissions, int kind, const std::string* target, jx_pair* geometry);
// The guard of '[value: e]'.
Expression* jx_value_trigger(DataExpr* value);
// One emission of a state or transition, appended to list (a new list when null); value null:
// pure. ModuleUnknownSignalException(name) when the signal is neither local nor an output.
std::list<Signal*>* jx_emission(std::list<Signal*>* list, const std::string& name, DataExpr* value);
void jx_register_decl(const std::string& current, int32_t initial, const std::string& next);
// 'v = right' and 'v(e) = right' (value null): a new list of their one or two equations;
// v through the local scopes and outputs, then any module signal, else
// StatementSignalException(v). The value signal is an output when v is one, else a local.
std::list<Equation*>* jx_equation(const std::string& variable, DataExpr* value, Expression* right);
Statement* jx_mealy_machine(std::list<Equation*>* equations);

#endif
