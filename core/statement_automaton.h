// Explicit automata: named states and guarded transitions, checked (final states,
// normal-termination triggers, determinism) and compiled into binary-encoded state
// registers. Codes: 0 is the pseudo-state "pre-existing" (not started, or reset), 1 to n
// the states in name order, n + 1 "falling"; on k bits (2^k >= n + 2) the code with all
// bits set is the terminated code, where final states and targetless transitions go.
#ifndef STATEMENT_AUTOMATON_H
#define STATEMENT_AUTOMATON_H

#include <list>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "bddpp.h"
#include "statement.h"

class Bddexpressionwood;
class Run;

class State {
 public:
  explicit State(const std::string& name) : name(name) {}

  std::string name;
  int code = 0;                     // set by Automaton::compile
  bool final = false;
  Run* run = nullptr;               // the module the state runs, null when none
  std::vector<Signal*> moore;       // emitted in every instant that ends in this state
  double* position = nullptr;       // three reals, or null; not read here
};

class Transition {
 public:
  enum Kind { strong_kind = 1, weak_kind = 2, termination_kind = 3 };

  Transition() : actions(new std::vector<Signal*>) {}

  // The guard in w's manager: status(trigger) AND NOT value(trigger), true exactly where
  // the trigger is the four-valued true; a null trigger is true.
  bdd triggerable_bdd(Module* m, Bddexpressionwood* w);

  int kind = strong_kind;
  Expression* trigger = nullptr;                 // may be null
  std::vector<Signal*>* actions;                 // emitted when the guard holds in the source
  State* source = nullptr;                       // null when the text names none
  State* target = nullptr;                       // null: the transition terminates the automaton
  std::pair<double, double>* position = nullptr;  // not read here
  bool initial = false;                          // a start transition
  bool final = false;                            // raises the automaton's RTL
};

// Codes of t's end points on k bits. A start transition leaves 0; a missing source warns
// "PROBLEM DETECTED ABOUT FIRST STATE!!!" and gives 0; a missing target gives 2^k - 1 and
// warns "PROBLEM DETECTED ABOUT FINAL STATE!!!" unless t carries the final flag.
void ident_states_transitions(std::list<Transition*>::iterator t, int k, int* source_code, int* target_code);

class Automaton : public Statement {
 public:
  Automaton(const std::string& name, Module* module);

  // Throws IllegalOperationException("ModuleTable::createEquations()", "do not use ...").
  void createEquations(Module* m, EquationTable* t) override;
  // The checks, then the state registers and every equation, built as BDDs in t's system.
  void compile(Module* m, EquationTable* t) override;
  bool isAutomaton() override { return true; }
  std::list<Transition*>* getTransitionList() override { return transition_list; }
  std::map<std::string, State*>* getStateTable() override { return state_table; }
  bool reincarnate() override { return false; }
  // New states and transitions between them (triggers, actions and Moore signals shared,
  // each state's Run duplicated), named as a copy; its registers are named apart.
  Statement* duplicate(Module* m, EquationTable* t) override;

  // The state of table called name, or null.
  static State* findState(std::map<std::string, State*>* table, const std::string& name);

  // Each violation shows its message box, writes it on standard error and exits 1:
  // a final state with Moore actions or a module, a transition without source state or
  // leaving a final state, a normal-termination transition with a trigger.
  void check_syntax();
  // Two transitions of one source and one kind whose guards overlap, or two overlapping
  // start transitions: message box, standard error, exit 1.
  void check_determinism(Module* m, Bddexpressionwood* w);

  // Register names of the last compile: "reg" + i (+ "next") + module name, then this
  // statement's name when another automaton of the module already holds those names.
  int registerCount() const { return static_cast<int>(current.size()); }
  Signal* currentRegister(int i) const { return current[static_cast<size_t>(i)]; }

  std::pair<double, double>* position = nullptr;  // drawing position, may be null
  std::map<std::string, State*>* state_table;     // states in name order
  std::list<Transition*>* transition_list;        // in source order

 private:
  std::vector<Signal*> current;  // state registers, bit i
  std::vector<Signal*> next;
};

#endif
