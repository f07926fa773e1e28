// Synchronous parallel composition: all branches start together and the statement
// terminates in the instant the last running branch terminates. The first branch is
// compiled into the table itself, every other branch into its own copy of the equation
// system made before any branch is compiled (so that each sees the occurrences as they
// were at the fork), and each copy is merged back.
#ifndef STATEMENT_PARALLEL_H
#define STATEMENT_PARALLEL_H

#include <string>
#include <vector>

#include "statement.h"

// Two branches. Register ACTIF + name: left has terminated in an earlier instant while
// right runs; ACTIFBIS + name: the converse.
class Parallel : public Statement {
 public:
  Parallel(const std::string& name, Module* module, Statement* left, Statement* right);

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool isParallel() override { return true; }
  // left's or right's answer (right not asked when left says true).
  bool reincarnate() override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  Statement* getLeft() const { return left; }
  Statement* getRight() const { return right; }

  Statement* left;
  Statement* right;
  Signal* ACTIF = nullptr;
  Signal* ACTIFPLUS = nullptr;
  Signal* ACTIFBIS = nullptr;
  Signal* ACTIFBISPLUS = nullptr;
};

// n branches. Per branch i: register "ACTIF" + name + "_" + i (branch i has terminated
// in an earlier instant), its next state "ACTIFPLUS" + name + "_" + i, and the wire
// "RTL" + name + "_" + i (branches 0 .. i have all terminated, now or earlier). The "_"
// keeps these names apart from the wires of a statement named name + i. A count below 1
// makes compile and createEquations throw IllegalOperationException.
class Pn : public NaryStatement {
 public:
  using NaryStatement::NaryStatement;

  void createEquations(Module* m, EquationTable* t) override;
  void compile(Module* m, EquationTable* t) override;
  bool isParallel() override { return true; }
  // Any child's answer, asked in order until one is true.
  bool reincarnate() override;
  Statement* duplicate(Module* m, EquationTable* t) override;

  std::vector<Signal*> ACTIF;      // empty until createEquations
  std::vector<Signal*> ACTIFPLUS;  // empty until createEquations
};

#endif
