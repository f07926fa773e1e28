// The statement tree of a module body and its translation into circuit equations: the
// base class with the three wires of every statement (SET: started now, RESET: killed
// now, RTL: terminates now), the register helper, the compile pattern of the forks, and
// Local, the scope of local signals. The statement families are declared in
// statement_control.h, statement_parallel.h, statement_time.h, statement_preempt.h and
// statement_machine.h. Statements are never freed.
#ifndef STATEMENT_H
#define STATEMENT_H

#include <list>
#include <map>
#include <string>
#include <vector>

class Module;
class EquationTable;
class Expression;
class Signal;
class State;
class Transition;

class Statement {
 public:
  Statement();
  Statement(const std::string& name, Module* module);

  // The statement's own equations, over its wires, its children's wires and its
  // registers; the base writes nothing.
  virtual void createEquations(Module* m, EquationTable* t);
  // Children first, then createEquations; the base writes nothing.
  virtual void compile(Module* m, EquationTable* t);
  virtual bool isAutomaton();
  virtual bool isParallel();
  virtual bool isSequence();
  // The automaton's containers; null in the base.
  virtual std::list<Transition*>* getTransitionList();
  virtual std::map<std::string, State*>* getStateTable();
  // Whether the statement can start again in the instant it terminates, so that a loop
  // around it needs a doubled body; the base answers true.
  virtual bool reincarnate();
  // A fresh copy of the subtree, without wires or registers, that can be compiled a
  // second time; the base returns null.
  virtual Statement* duplicate(Module* m, EquationTable* t);
  virtual ~Statement() = default;

  // Makes "SET" + name, "RESET" + name and "RTL" + name (wire flag set) in t's
  // equation system, stores them and adds them to m's locals in that order.
  void createWires(Module* m, EquationTable* t);

  // Ties the body to m by three equations of m's equation table: this SET := m's Set
  // wire, this RESET := m's Reset wire, m's RTL wire := this RTL. A missing wire of this
  // statement throws StatementWireException("set", "reset" or "rtl") before any
  // equation is made.
  void connectExternalWires(Module* m);

  const std::string& getName() const { return name; }
  void setName(const std::string& n) { name = n; }
  Module* getModule() const { return module; }
  void setModule(Module* m) { module = m; }
  // The wires; a missing one throws StatementWireException("set", "reset" or "rtl").
  Signal* getSet() const;
  Signal* getReset() const;
  Signal* getRtl() const;
  void setSet(Signal* s) { SET = s; }
  void setReset(Signal* s) { RESET = s; }
  void setRtl(Signal* s) { RTL = s; }
  bool hasWires() const { return SET != nullptr && RESET != nullptr && RTL != nullptr; }
  long getPertLevel() const { return pert_level; }
  void setPertLevel(long level) { pert_level = level; }

  std::string name;
  Module* module;
  Signal* SET;
  Signal* RESET;
  Signal* RTL;
  long pert_level;  // 0 until the equation system it was compiled into has been dated

 protected:
  // A register pair: current-state "ACTIF..." and next-state "ACTIFPLUS..." boolean
  // register signals in t's system, both appended to m's locals. The caller declares the
  // pair (addRegisterSignal) and gives the current state its register equation.
  static Signal* makeRegisterSignal(const std::string& name, Module* m, EquationTable* t);
  // makeRegisterSignal for both, addRegisterSignal, then the register equation of the
  // current state; returns the current state and stores the next one.
  static Signal* makeRegister(const std::string& current, const std::string& next, Module* m, EquationTable* t,
                              Signal** next_state);
  // Compiles child into t and, when its level is still 0, gives it t's PERT level.
  static void compileDated(Statement* child, Module* m, EquationTable* t);
  // Compiles child into its own copy of t's system (made by t->duplicate), dates it there
  // and merges the copy back into t; the copy is destroyed either way.
  static void compileInCopy(Statement* child, Module* m, EquationTable* t, EquationTable* copy);
  // The name of a copy: name + "_bis", or name + "_bis" + n (n = 2, 3, ...) when a copy
  // or a compiled statement of m already holds it.
  std::string copyName(Module* m) const;
  // Child's copy, null for a null child; copies of children, in order.
  static Statement* duplicateChild(Statement* child, Module* m, EquationTable* t);
  static std::vector<Statement*> duplicateAll(const std::vector<Statement*>& children, Module* m, EquationTable* t);
  // Sn and Pn: a count below 1 throws IllegalOperationException(operation, ...).
  void requireChildren(int count, const char* operation) const;
};

// The children of Sn and Pn, in order.
class NaryStatement : public Statement {
 public:
  NaryStatement(const std::string& name, Module* module, const std::vector<Statement*>& children = {})
      : Statement(name, module), children(children) {}

  // Appends a child (the source reader builds the statement child by child).
  void append(Statement* child) { children.push_back(child); }
  int getCount() const { return static_cast<int>(children.size()); }
  Statement* getChild(int i) const { return children[static_cast<std::size_t>(i)]; }

  std::vector<Statement*> children;
};

// A scope of local signals around a body. The signal list is shared, not copied.
class Local : public Statement {
 public:
  Local(const std::string& name, Module* module, std::list<Signal*>* signals, Statement* body);

  // body.SET := SET, body.RESET := RESET, RTL := body.RTL.
  void createEquations(Module* m, EquationTable* t) override;
  // pushSignals, the body, createEquations; the scope then leaves m's local stack (also
  // when the body's compilation throws).
  void compile(Module* m, EquationTable* t) override;
  // Gives each scoped signal, and each signal bound to a valued one, a new bottom
  // occurrence in t's system that defines occurrence 0; a second incarnation of the
  // scope (a doubled loop body) chains its occurrence to the first one's (status OR,
  // value AND) instead of replacing it. Then pushes the map name -> signal at the front
  // of m's local stack. A signal without an occurrence in t's system throws
  // IllegalOperationException("Local:pushSignals: undefined signal", name); one without
  // a reference "Local::pushSignals: local signal without reference in signal manager".
  // The bound signals clocked by a valued scoped signal take an occurrence too.
  void pushSignals(Module* m, EquationTable* t);
  // The body's answer.
  bool reincarnate() override;
  // The same signal list, a copy of the body.
  Statement* duplicate(Module* m, EquationTable* t) override;

  std::list<Signal*>* getSignalList() const { return signal_list; }
  Statement* getBody() const { return body; }
  void setBody(Statement* b) { body = b; }

  std::list<Signal*>* signal_list;  // declared signals, in declaration order; may be null
  Statement* body;

 private:
  static void openOccurrence(Signal* s, Module* m, EquationTable* t);
};

// Throws IllegalOperationException(operation, "not built yet"): the translations that
// later steps of the statement compiler provide.
[[noreturn]] void statementNotBuilt(const char* operation);

#endif
