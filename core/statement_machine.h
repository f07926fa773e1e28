// The statements that bring equations of their own: MealyMachine (a table of equations
// over the module's signals), Run (another module included under an instance suffix)
// and Automaton (statement_automaton.h). Their
// translations are not built yet: compile throws IllegalOperationException.
#ifndef STATEMENT_MACHINE_H
#define STATEMENT_MACHINE_H

#include <list>
#include <map>
#include <string>
#include <utility>

#include "statement.h"
#include "statement_automaton.h"

struct Equation;

// Runs for ever once started; never restarts in the instant it terminates.
class MealyMachine : public Statement {
 public:
  MealyMachine(const std::string& name, Module* module);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override { return false; }

  std::map<std::string, Equation*>* machine_table;  // by internal name of the defined signal
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
};

class Run : public Statement {
 public:
  Run(const std::string& name, Module* module, const std::string& called_name);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool reincarnate() override;
  // A copy named "R_" + m's name + "_" + Module::RunNumber (then incremented), with the
  // same called module name and renaming table and no called module yet.
  Statement* duplicate(Module* m, EquationTable* t) override;

  std::string called_name;
  Module* called = nullptr;                                  // null until compiled
  std::map<std::string, Signal*>* renaming_table = nullptr;  // formal name -> actual signal
  std::string instance_suffix;                               // of the compilation under way
};

#endif
