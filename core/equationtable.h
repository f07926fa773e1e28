// A module's equation builder over its equation system: one status and one value equation
// per signal occurrence, or-merging, register and bottom equations, new occurrences (pre),
// conditioning, copies for branches and their merge back, and dating with the report of
// dependence cycles.
#ifndef EQUATIONTABLE_H
#define EQUATIONTABLE_H

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

class Bddexpression;
class Bddexpressionwood;
class Expression;
class Module;
class Signal;

class EquationTable;

// Owns a copy made by EquationTable::duplicate: destroys it with its equation system unless
// unify took that system. A copy may keep handles into its original, so that it must not
// outlive it, also when a branch's compile leaves by an exception.
class ForkCopy {
 public:
  ForkCopy(EquationTable* copy, Module* m) : copy_(copy), m_(m) {}
  ~ForkCopy();
  ForkCopy(const ForkCopy&) = delete;
  ForkCopy& operator=(const ForkCopy&) = delete;
  EquationTable* get() const { return copy_; }
  EquationTable* release() {
    EquationTable* c = copy_;
    copy_ = nullptr;
    return c;
  }

 private:
  EquationTable* copy_;
  Module* m_;
};

class EquationTable {
 public:
  EquationTable();
  explicit EquationTable(const std::string& module_name);
  explicit EquationTable(Bddexpressionwood* wood);
  EquationTable(const std::string& module_name, Bddexpressionwood* wood);
  ~EquationTable() = default;  // the equation system belongs to the module
  EquationTable(const EquationTable&) = delete;
  EquationTable& operator=(const EquationTable&) = delete;

  Bddexpressionwood* getBddexpressionWood() const { return bdd_expression_wood; }
  void setBddexpressionWood(Bddexpressionwood* wood) { bdd_expression_wood = wood; }
  const std::string& getModuleName() const { return module_name; }
  void setModuleName(const std::string& name) { module_name = name; }

  // New status and value equations of s's current occurrence defined by e's current (or,
  // with initial, initial) rails; a wire's value rail is NOT its own status variable.
  void createEquation(Signal* s, Expression* e, Module* m, bool initial);
  void createEquation(Signal* s, Expression* e, Module* m);
  // ORs e's rails into s's existing equations; a missing one is reported on standard
  // error and left as it was.
  void createUnifyEquation(Signal* s, Expression* e, Module* m, bool initial);
  // Register variable: value rail := NOT status rail.
  void createRegisterEquation(Signal* s, Module* m);
  // s1's rails defined as s2's variables (missing equations are created as STAT / VAL).
  void replaceEquation(Signal* s1, Signal* s2, Module* m);
  // Both rails of s's current occurrence (or of the given occurrence) defined as false.
  void createBottomEquation(Signal* s, Module* m);
  void createBottomEquation(Signal* s, Module* m, int occurrence);
  // Gives s's current occurrence variables in this system when it has none here.
  void learnSignal(Signal* s, Module* m);
  // Copies an equation of another system into this one, by variable names; an abstract
  // one with its dependence set.
  void add(Bddexpression* eq, Module* m);
  // Merges other's system into this one (same variable name: OR, except the occurrence-0
  // value equation of a signal that pre chains: AND, the chain's own operator; otherwise
  // copied with add), then removes and destroys other's system (other is left without
  // one), also when the merge throws.
  void unify(EquationTable* other, Module* m);
  // ANDs c's value rail into the equations of the outputs and of the non-wire locals.
  void cond(Signal* c, Module* m);
  // Opens a new, bottom occurrence of each output and plain local of this system and
  // chains it to occurrence 0: status OR new status, value AND new value. The signals of
  // an included instance (Signal::is_instance) are left alone. A missing occurrence-0
  // equation of an output ends the process (exit 1).
  void pre(Module* m);
  // A new table (empty module name) on a copy of this system, with the same occurrences;
  // the caller owns it.
  EquationTable* duplicate(Module* m);
  // Dates the system (ModulePertFailureException when that fails) and returns the
  // number of levels; a dependence cycle is written on standard error and ends the
  // process (exit 1).
  long callPert();
  long callPert(std::list<long>& order);
  // Depth-first search from the path's last variable; on a dependence cycle the path's
  // equations are written on standard error and the process ends (exit 1). Returns "".
  std::string computeDependence(std::list<long>& path);

  Bddexpressionwood* bdd_expression_wood;  // not owned
  std::string module_name;
  // A copy made by duplicate: the number of variables it was made with (-1: not a copy), and
  // when the state it stands for was taken (Bddexpressionwood::capture of the system it was
  // copied from; a copy of an unchanged copy stands for the same state).
  long fork_size = -1;
  uint64_t captured_stamp = 0;

 private:
  long reportCycles(long levels);
  void addAbstract(Bddexpression* eq, Module* m);
  // The signal reference of the occurrence that variable (of system from) names gets its
  // variables in this system, and a signal's current occurrence follows that of from.
  void knowSignalOf(const std::string& variable, Bddexpressionwood* from, Module* m);

  // What may need merging back from the copies made at one capture of this system (the
  // branches of a parallel all stand for the state before it): the ids this system changed
  // since, read from the wood's log up to `read`, and those not merged back since before it,
  // less the status equations whose merge back from a slot a branch left untaken proved void.
  // Those stay out until they change again: their next change is logged anew.
  struct capture_log {
    uint64_t captured = 0;
    uint64_t read = 0;
    std::vector<long> changed, unmerged;
    std::unordered_set<long> listed;  // the ids of changed
  };
  std::unique_ptr<capture_log> fork_log;
  struct merge_back;  // unify's steps
};

#endif
