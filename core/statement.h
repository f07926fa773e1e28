// The statement tree of a module body: the base class with the fields and hooks that the
// module and its equation table use, and Local, the scope of local signals. Statements
// are never freed.
#ifndef STATEMENT_H
#define STATEMENT_H

#include <list>
#include <string>

class Module;
class EquationTable;
class Signal;

class Statement {
 public:
  Statement();
  Statement(const std::string& name, Module* module);
  virtual ~Statement() = default;

  // Writes the equations of the whole subtree into the table; the base writes nothing.
  virtual void compile(Module* m, EquationTable* t);
  // Whether the statement can start again in the instant it terminates, so that a loop
  // around it needs a doubled body; the base answers true.
  virtual bool reincarnate();

  // Ties the body to m by three equations of m's equation table: this SET := m's Set
  // wire, this RESET := m's Reset wire, m's RTL wire := this RTL. A missing wire of this
  // statement throws StatementWireException("set", "reset" or "rtl") before any
  // equation is made.
  void connectExternalWires(Module* m);

  const std::string& getName() const { return name; }
  void setName(const std::string& n) { name = n; }
  Module* getModule() const { return module; }
  void setModule(Module* m) { module = m; }
  Signal* getSet() const { return SET; }
  Signal* getReset() const { return RESET; }
  Signal* getRtl() const { return RTL; }
  void setSet(Signal* s) { SET = s; }
  void setReset(Signal* s) { RESET = s; }
  void setRtl(Signal* s) { RTL = s; }
  long getPertLevel() const { return pert_level; }
  void setPertLevel(long level) { pert_level = level; }

  std::string name;
  Module* module;
  Signal* SET;
  Signal* RESET;
  Signal* RTL;
  long pert_level;  // 0 until the equation system it was compiled into has been dated
};

// A scope of local signals around a body. The signal list is shared, not copied.
class Local : public Statement {
 public:
  Local(const std::string& name, Module* module, std::list<Signal*>* signals, Statement* body);

  std::list<Signal*>* getSignalList() const { return signal_list; }
  Statement* getBody() const { return body; }
  void setBody(Statement* b) { body = b; }

  std::list<Signal*>* signal_list;  // declared signals, in declaration order; may be null
  Statement* body;
};

#endif
