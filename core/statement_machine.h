// The statements that bring equations of their own: MealyMachine (a table of equations
// over the module's signals), Run (another module included under an instance suffix)
// and, in statement_automaton.h, Automaton (an explicit automaton in binary-encoded state
// registers).
#ifndef STATEMENT_MACHINE_H
#define STATEMENT_MACHINE_H

#include <list>
#include <map>
#include <string>
#include <utility>

#include "bddpp.h"
#include "statement.h"
#include "statement_automaton.h"

struct Equation;
class Interface;

// A table of equations over the module's signals, holding while the machine is active
// or starting. Runs for ever once started; never restarts in the instant it terminates.
class MealyMachine : public Statement {
 public:
  MealyMachine(const std::string& name, Module* module);

  // Enters each equation, in list order, under the internal name of its signal (a later
  // one replaces an earlier one); a null list changes nothing.
  void setMachineTable(std::list<Equation*>* equations, Module* m);
  // Register ACTIF + name: ACTIFPLUS := (SET | ACTIF) & !RESET, then each equation in
  // name order, then RTL := false: the machine never terminates. Records in m the
  // occurrences it defines with its wires (Module::machine_definitions).
  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override { return false; }
  // A copy (a loop doubling a body around the machine, such as an abort) sharing the
  // machine table; it makes its own register pair when compiled.
  Statement* duplicate(Module* m, EquationTable* t) override;
  // q's signal := q's expression & (active | start): replaces both existing equations of
  // the signal's current occurrence (through the manager's association table), else
  // creates them. A variable id beyond the system throws
  // IllegalOperationException("EquationTable::id out of bounds", ...).
  void createZarimEquation(Equation* q, Signal* active, Signal* start, Module* m, EquationTable* t);

  std::map<std::string, Equation*>* machine_table;  // by internal name of the defined signal
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

// Another module (the called module) included in the caller under an instance suffix
// "@" + name + "_i" + instance number: its wires tied to the Run's, its inputs and outputs
// to the caller's signals by name or through the renaming table.
class Run : public Statement {
 public:
  typedef std::list<std::pair<std::string, Signal*>> Renamings;

  Run(const std::string& name, Module* module, const std::string& called_name);

  // Ties the included wires (set := SET, reset := RESET, RTL := included rtl), then the
  // inputs (included := actual) and the outputs (actual |= included, so that other
  // emitters of the actual in this instant are kept), with the valued bindings. Unknown
  // or misdirected signals throw RunUnknownSignalException ("output signal renames an
  // input signal", "not input expected", "input signal renames an output signal", "not
  // ouput expected"); a valued output that the called module never emits gives the actual
  // its presence only. Reads the interface and suffix of the compilation under way.
  void createEquations(Module* m, EquationTable* t) override;
  // Finds the called module, numbers the instance, compiles the called module when it
  // never was, includes it into t's system and calls createEquations. A called module
  // that is being compiled (the caller itself, or a module running the caller) throws
  // IllegalOperationException("Run: recursive module call: ", name).
  void compile(Module* m, EquationTable* t) override;
  // compile, then the included outputs are made bottom wherever p holds (in t's system;
  // nothing when p is the constant false or there is no BDD manager).
  void compile_with_preemption(Module* m, EquationTable* t, bdd p);
  // The called module's answer: its recorded flag once compiled, else its body's; else
  // the source module's body, else the compiled file's record; else the source file of
  // the run declaration is read ("ex1:Run module undefined: " without run declarations,
  // "ex2:Run module undefined: " without a location or when the file does not define
  // the module).
  bool reincarnate() override;
  // A copy named "R_" + m's name + "_" + Module::RunNumber (then incremented), with the
  // same called module name and renaming table and no called module yet.
  Statement* duplicate(Module* m, EquationTable* t) override;

  // A new table from the pairs (formal name, actual signal) in order; a formal name given
  // twice throws HashTableAddException(name) and leaves the table unchanged. A null list
  // changes nothing.
  void setRenamingTable(const Renamings* renamings);
  // The actual signal of a formal name, or null.
  Signal* getRenamingSignal(const std::string& formal) const;
  // The names that the called module's compiled file is expected to declare: caller's
  // inputs to inputs, outputs to outputs, locals to both; then each formal name by the
  // kind of its actual signal (input, output, or else both).
  void computeAwaitedNameList(std::list<std::string>& inputs, std::list<std::string>& outputs, Module* caller) const;

  std::string called_name;
  Module* called = nullptr;                                  // null until compiled
  std::map<std::string, Signal*>* renaming_table = nullptr;  // formal name -> actual signal
  std::string instance_suffix;                               // of the compilation under way
  int line = 0;  // of the called module's name in the source, named by a refusal; 0: unknown

 private:
  // The compiled-module table, then the run declarations (the compiled file), then the
  // source modules. Throws IllegalOperationException: "Run: compiled called module
  // declared but not provided: ", "Run: called module  not defined in file", and "Run:
  // ambiguous called module: " after the "  not set" line when a compiled and a source
  // module of the name both exist.
  Module* findCalledModule(Module* caller);
  // The steps shared by compile and compile_with_preemption; included is filled with the
  // instance's signals.
  void include(Module* m, EquationTable* t, Interface* included);
  // Every formal name of the renaming table is an input or an output of k; else
  // RunUnknownSignalException("renames no input or output of the called module " + name,
  // formal name).
  void checkRenamings(Module* k) const;
  // Each valued input of k that k does not bind itself, renamed by a valued signal of m:
  // the instance's data expressions read that signal's value (the included input only
  // carries its presence).
  void valueSources(Module* k, Module* m, Interface* included) const;
  // The caller's signal f stands for: the renaming entry, else the local scopes, else
  // the caller's input (output) f.
  Signal* actualSignal(const std::string& f, Module* m, bool input) const;
  // Each included input := its actual; a valued actual also gives the input its value
  // (a local bound under the input to the actual's value), whatever emits the actual.
  void bindInputs(Module* m, EquationTable* t);
  void bindOutputs(Module* m, EquationTable* t);

  Interface* interface = nullptr;  // of the compilation under way
  bool asking = false;             // reincarnate under way: a recursive call is refused
};

#endif
