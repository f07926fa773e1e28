#include "statement_machine.h"

#include "module.h"
#include "sexception.h"

// ----- MealyMachine -----

MealyMachine::MealyMachine(const std::string& n, Module* m)
    : Statement(n, m), machine_table(new std::map<std::string, Equation*>) {}

void MealyMachine::compile(Module*, EquationTable*) { statementNotBuilt("MealyMachine::compile"); }

void MealyMachine::createEquations(Module*, EquationTable*) { statementNotBuilt("MealyMachine::createEquations"); }

// ----- Run -----

Run::Run(const std::string& n, Module* m, const std::string& c)
    : Statement(n, m), called_name(c), renaming_table(new std::map<std::string, Signal*>) {}

void Run::compile(Module*, EquationTable*) { statementNotBuilt("Run::compile"); }

void Run::createEquations(Module*, EquationTable*) { statementNotBuilt("Run::createEquations"); }

bool Run::reincarnate() { statementNotBuilt("Run::reincarnate"); }

Statement* Run::duplicate(Module* m, EquationTable*) {
  std::string copy_name = "R_" + m->getName() + "_" + std::to_string(Module::RunNumber++);
  Run* copy = new Run(copy_name, m, called_name);
  copy->renaming_table = renaming_table;
  return copy;
}
