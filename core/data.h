// Data part of the module model: typed data expressions over valued signals, the
// global type, method and constant tables with their declarations, the value bindings
// of valued signals, and the evaluation-table writer of the compiled-module file.
//
// Ownership: copies (instanciate, duplicate, changeModule) are new trees owned by the
// caller; signals, declarations and tables are shared, never copied. Nothing here frees
// an expression tree, a declaration, a table or a binding.
#ifndef DATA_H
#define DATA_H

#include <algorithm>
#include <iosfwd>
#include <list>
#include <map>
#include <set>
#include <string>
#include <utility>

class Bddexpressionwood;
class ConstantDecl;
class DataEvalTable;
class Interface;
class Module;
class Signal;
struct socket_type;

// ===================================================================================
// Data expressions
// ===================================================================================

// Request-encoder argument maps (value server).
typedef std::map<std::string, std::pair<class DataExpr*, std::string>> DataSimulMap;
typedef std::map<long, std::string> DataSimulValueMap;

class DataExpr {
 public:
  // Operator codes. A data type's operator is coded type index * NbPredefOp + code.
  static const int Plus;       // 0
  static const int Minus;      // 1
  static const int Mult;       // 2
  static const int Div;        // 3
  static const int Uminus;     // 4
  static const int And;        // 5
  static const int Or;         // 6
  static const int Not;        // 7
  static const int Eq;         // 8
  static const int Neq;        // 9
  static const int Inf;        // 10
  static const int Infe;       // 11
  static const int Sup;        // 12
  static const int Supe;       // 13
  static const int SignalVal;  // 14: signal-value node
  static const int NbPredefOp;  // 15
  // Numbers the valued signals made for data expressions; starts at 0.
  static int Indexation;
  // Deepest nesting of operators and method calls that the readers accept (the trees are
  // walked recursively).
  static const int MaxNesting = 1000;

  DataExpr() : type(), index(-1) {}
  virtual ~DataExpr() = default;

  virtual std::string getType() const { return type; }
  // Operators and method calls on the longest path from here to a leaf (0 for a leaf).
  int getNesting() const { return nesting; }
  // Fills type (see each class).
  virtual void computeType(Module* m) = 0;
  virtual void setIndex(int i) { index = i; }
  virtual int getIndex() const { return index; }
  virtual bool hasIndex() const { return index != -1; }
  virtual bool isDataValue() const { return false; }
  virtual bool isDataConstant() const { return false; }
  virtual bool isDataMethod() const { return false; }
  virtual bool isDataSignalValue() const { return false; }
  virtual bool isDataBinaryOp() const { return false; }
  virtual bool isDataUnaryOp() const { return false; }
  // New tree for a module instance: signals taken from the interface.
  virtual DataExpr* instanciate(Interface* I) = 0;
  // New tree on the same signals and declarations.
  virtual DataExpr* duplicate() = 0;
  // New tree whose signals are those of the same internal name in new_module.
  virtual DataExpr* changeModule(Module* new_module, Module* other) = 0;
  // The valued signals read, or null when none. Sets of operands are merged in place.
  virtual std::set<Signal*>* computeDependencySet() { return nullptr; }
  virtual void print_debug(std::ostream& os) = 0;
  // Writes the full form of this expression as an evaluation-table entry; operands
  // and arguments are written as references through t (see DataEvalTable).
  virtual void JXC_put(std::ostream& os, DataEvalTable& t) = 0;
  // The expression as C and as C# text (gen_data.cc); operands are not parenthesised.
  // A constant is written by its identifier (ConstantDecl::getIdentifier), a literal as
  // DataValue says. C# writes a method or constant whose name is a C# keyword with "@"
  // before it.
  // The base forms throw AbstractMethodCallException.
  virtual void C_put(std::ostream& os, Module* m);
  virtual void CSharp_put(std::ostream& os, Module* m);
  // Value text of this expression, asking the value server through socket for every
  // method call, operator and unknown server constant, innermost first (simul_put.cc).
  // constants: name -> (defining expression, known text, "" while unknown); values:
  // status id -> value text; context: the simulator's context.
  virtual std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                                socket_type* socket) = 0;
  virtual void LUSTRE_put(std::ostream& os, Module* m);

  void setType(const std::string& t) { type = t; }
  // Operator code to its text in C and in value-server requests;
  // IllegalOperationException("DataExpr::C_opname", "invalid_operator") outside 0..13.
  static std::string C_opname(int op);
  // Operator code to its text in C#; IllegalOperationException("DataExpr::CShap_opname",
  // "invalid_operator") outside 0..13.
  static std::string CSharp_opname(int op);
  // The Lustre spelling comes with its generator: AbstractMethodCallException until then.
  static std::string LUSTRE_opname(int op);

 protected:
  // The nesting of a node above the operand e (null: none).
  static int nestingAbove(const DataExpr* e) { return e != nullptr ? e->nesting + 1 : 1; }

  std::string type;  // empty until computed or set
  int index;         // -1: none
  int nesting = 0;
};

// A declared constant, by its index in Compilation::GDataConstantTable.
class DataConstant : public DataExpr {
 public:
  explicit DataConstant(int constant_index) : constant_index(constant_index) {}
  int getConstantIndex() const { return constant_index; }
  // The declaration of this index; ModuleUndefinedConstantException(constant_text,
  // module_text) when there is none (or no constant table).
  ConstantDecl* getDecl(const std::string& constant_text, const std::string& module_text) const;

  void computeType(Module* m) override;
  // Also gives the constant its eval_index when it has none (the first index wins).
  void setIndex(int i) override;
  bool isDataConstant() const override { return true; }
  DataExpr* instanciate(Interface* I) override;
  DataExpr* duplicate() override;
  DataExpr* changeModule(Module* new_module, Module* other) override;
  void print_debug(std::ostream& os) override;
  void JXC_put(std::ostream& os, DataEvalTable& t) override;
  void C_put(std::ostream& os, Module* m) override;
  void LUSTRE_put(std::ostream& os, Module* m) override;
  void CSharp_put(std::ostream& os, Module* m) override;
  std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                        socket_type* socket) override;

 private:
  int constant_index;
};

// A literal; decl is the constant declared with this literal as its value, or null.
// The C, C# and Lustre writers write a text that the source scanner reads as a number
// (digits, or '-'s, digits, '.' and digits) as that number, without the leading zeros of
// an integer (C would read it in octal) and with a digit after a final '.'; any other text,
// a string literal of the source, between double quotes, with '\' and '"' escaped.
class DataValue : public DataExpr {
 public:
  explicit DataValue(const std::string& text, ConstantDecl* decl = nullptr) : text(text), decl(decl) {}
  const std::string& getText() const { return text; }
  ConstantDecl* getDecl() const { return decl; }
  void setDecl(ConstantDecl* d) { decl = d; }

  // A literal has no type of its own: UndefinedTypeException(text).
  void computeType(Module* m) override;
  bool isDataValue() const override { return true; }
  DataExpr* instanciate(Interface* I) override;
  DataExpr* duplicate() override;
  DataExpr* changeModule(Module* new_module, Module* other) override;
  void print_debug(std::ostream& os) override;
  void JXC_put(std::ostream& os, DataEvalTable& t) override;
  void C_put(std::ostream& os, Module* m) override;
  void LUSTRE_put(std::ostream& os, Module* m) override;
  void CSharp_put(std::ostream& os, Module* m) override;
  std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                        socket_type* socket) override;

 private:
  std::string text;
  ConstantDecl* decl;
};

// The current value of a valued signal.
class DataSignalValue : public DataExpr {
 public:
  explicit DataSignalValue(Signal* s) : signal(s) {}
  Signal* getSignal() const { return signal; }

  // The type of the signal's reference in m; UndefinedTypeException(name in m) when
  // the reference is missing or not valued.
  void computeType(Module* m) override;
  bool isDataSignalValue() const override { return true; }
  DataExpr* instanciate(Interface* I) override;
  DataExpr* duplicate() override;
  DataExpr* changeModule(Module* new_module, Module* other) override;
  std::set<Signal*>* computeDependencySet() override;
  void print_debug(std::ostream& os) override;
  void JXC_put(std::ostream& os, DataEvalTable& t) override;
  void C_put(std::ostream& os, Module* m) override;
  void LUSTRE_put(std::ostream& os, Module* m) override;
  void CSharp_put(std::ostream& os, Module* m) override;
  std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                        socket_type* socket) override;

 private:
  Signal* signal;
};

class DataUnaryOp : public DataExpr {
 public:
  DataUnaryOp(int op, DataExpr* operand) : op(op), operand(operand) { nesting = nestingAbove(operand); }
  int getOp() const { return op; }
  DataExpr* getOperand() const { return operand; }

  // The operand's type (computed first when empty).
  void computeType(Module* m) override;
  bool isDataUnaryOp() const override { return true; }
  DataExpr* instanciate(Interface* I) override;
  DataExpr* duplicate() override;
  DataExpr* changeModule(Module* new_module, Module* other) override;
  std::set<Signal*>* computeDependencySet() override;
  void print_debug(std::ostream& os) override;
  void JXC_put(std::ostream& os, DataEvalTable& t) override;
  void C_put(std::ostream& os, Module* m) override;
  void LUSTRE_put(std::ostream& os, Module* m) override;
  void CSharp_put(std::ostream& os, Module* m) override;
  std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                        socket_type* socket) override;

 private:
  int op;
  DataExpr* operand;
};

class DataBinaryOp : public DataExpr {
 public:
  DataBinaryOp(int op, DataExpr* left, DataExpr* right) : op(op), left(left), right(right) {
    nesting = std::max(nestingAbove(left), nestingAbove(right));
  }
  int getOp() const { return op; }
  DataExpr* getLeft() const { return left; }
  DataExpr* getRight() const { return right; }

  // The operands' common type; different types: message on stderr and exit 1.
  void computeType(Module* m) override;
  bool isDataBinaryOp() const override { return true; }
  DataExpr* instanciate(Interface* I) override;
  DataExpr* duplicate() override;
  DataExpr* changeModule(Module* new_module, Module* other) override;
  std::set<Signal*>* computeDependencySet() override;
  void print_debug(std::ostream& os) override;
  void JXC_put(std::ostream& os, DataEvalTable& t) override;
  void C_put(std::ostream& os, Module* m) override;
  void LUSTRE_put(std::ostream& os, Module* m) override;
  void CSharp_put(std::ostream& os, Module* m) override;
  std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                        socket_type* socket) override;

 private:
  int op;
  DataExpr* left;
  DataExpr* right;
};

// A call of a declared method, by its index in Compilation::GDataMethodTable.
class DataMethodCall : public DataExpr {
 public:
  // args may be null (no argument list).
  DataMethodCall(int method_index, std::list<DataExpr*>* args) : method_index(method_index), args(args) {
    nesting = 1;
    if (args != nullptr)
      for (const DataExpr* a : *args) nesting = std::max(nesting, nestingAbove(a));
  }
  int getMethodIndex() const { return method_index; }
  std::list<DataExpr*>* getArgs() const { return args; }

  // The method's return type; UndefinedMethodException("method") when none.
  void computeType(Module* m) override;
  bool isDataMethod() const override { return true; }
  DataExpr* instanciate(Interface* I) override;
  DataExpr* duplicate() override;
  DataExpr* changeModule(Module* new_module, Module* other) override;
  std::set<Signal*>* computeDependencySet() override;
  void print_debug(std::ostream& os) override;
  void JXC_put(std::ostream& os, DataEvalTable& t) override;
  void C_put(std::ostream& os, Module* m) override;
  void LUSTRE_put(std::ostream& os, Module* m) override;
  void CSharp_put(std::ostream& os, Module* m) override;
  std::string Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                        socket_type* socket) override;

 private:
  int method_index;
  std::list<DataExpr*>* args;
};

// Adds e and every operand and argument below it to into (a shared one once; null adds nothing).
void data_expression_closure(DataExpr* e, std::set<DataExpr*>& into);
// Frees the expression node e with a method call's argument list, not its operands: a tree is
// freed by freeing each node of its closure.
void delete_data_node(DataExpr* e);

// ===================================================================================
// Evaluation-table writer (one per written file)
// ===================================================================================

// Evaluation indexes of one write of a compiled module's bindings. They live here and
// never on the expressions or constants, so writing twice gives the same text and
// modules sharing constants are each numbered on their own.
//
// reference(e) gives the index of e as a binding value, an operand or an argument: the
// one e already has in this write, or the next free one, e then being queued as an
// entry. A constant is numbered once per declaration, whatever the DataConstant object:
// its queued entry is its value expression, or the DataConstant itself when it has none.
// writeEntries writes the queued entries in order as "   i: <form>;\n" until the queue
// is empty. Forms: "%%code(refs)" for operators (a unary one followed by a line end),
// "%%code(status, value)" for signal values, "%index(refs)" for method calls, and "$p"
// for a plain value or a constant without value, p being the constant's position in the
// file's constant section (see DataConstantTable::getFilePositions).
class DataEvalTable {
 public:
  // renumbering: file number by BDD variable id, size entries; m: the module written.
  DataEvalTable(const long* renumbering, long size, Module* m);

  int reference(DataExpr* e);
  void writeReference(std::ostream& os, DataExpr* e);
  void writeEntries(std::ostream& os);
  // Number of indexes given so far.
  int count() const { return counter; }
  Module* getModule() const { return module; }

  // File number of a BDD variable; IllegalOperationException when the id is out of the
  // table or has no file number.
  long fileNumber(long id) const;
  // Position of a constant (global table index) in the file's constant section;
  // IllegalOperationException when the constant is not written there.
  int constantPosition(int constant_index) const;
  // Evaluation code type index * NbPredefOp + code; UndefinedTypeException(type) when
  // there is no type table or the type is not declared.
  static int evalCode(const std::string& type, int code);

 private:
  const long* renumbering;
  long size;
  Module* module;
  int counter;
  std::map<const DataExpr*, int> expr_index;
  std::map<const ConstantDecl*, int> constant_index;
  std::map<int, int> constant_positions;
  std::list<std::pair<int, DataExpr*>> queue;
};

// ===================================================================================
// Declarations and tables
// ===================================================================================

class MethodDecl {
 public:
  // Copies the strings (null: empty) and the argument list (null stays null); index -1.
  MethodDecl(const std::string* return_type, const std::string* name, const std::list<std::string>* arg_types);
  MethodDecl(const MethodDecl& d);
  MethodDecl& operator=(const MethodDecl& d);
  ~MethodDecl();  // the argument list is owned and freed

  const std::string& getReturnType() const { return return_type; }
  const std::string& getName() const { return name; }
  std::list<std::string>* getArgTypeList() const { return arg_type_list; }
  int getIndex() const { return index; }
  void setIndex(int i) { index = i; }
  void setReturnType(const std::string& t) { return_type = t; }
  void setName(const std::string& n) { name = n; }
  // Takes the list over (the old one is freed).
  void setArgTypeList(std::list<std::string>* l);

  // "rtype name(a, b)"; a null list prints "()".
  void print(std::ostream& os) const;
  // "extern rtype name(a, b);" / "public rtype name(a, b);" ("@" before a C# keyword)
  // and a line end (gen_data.cc); LUSTRE_put writes nothing.
  void C_put(std::ostream& os);
  void CSharp_put(std::ostream& os);
  void LUSTRE_put(std::ostream& os);

  // Equal indexes, return types and names, and the same argument-list object.
  friend bool operator==(const MethodDecl& a, const MethodDecl& b);
  friend bool operator!=(const MethodDecl& a, const MethodDecl& b) { return !(a == b); }

 private:
  std::string return_type;
  std::string name;
  std::list<std::string>* arg_type_list;  // may be null
  int index;
};

// "id= <index> <rtype> <name> (<a>, <b>) "
std::ostream& operator<<(std::ostream& os, const MethodDecl& d);

class ConstantDecl {
 public:
  ConstantDecl(const std::string& type, const std::string& name, DataExpr* value)
      : type(type), name(name), value(value), index(-1), eval_index(-1) {}
  ConstantDecl(const std::string& type, const std::string& name) : ConstantDecl(type, name, nullptr) {}

  const std::string& getType() const { return type; }
  const std::string& getName() const { return name; }
  DataExpr* getValue() const { return value; }
  int getConstantIndex() const { return index; }
  int getEvalIndex() const { return eval_index; }
  void setIndex(int i) { index = i; }
  void setEvalIndex(int i) { eval_index = i; }
  // Its value is an expression other than a literal: it is always written inline in
  // the evaluation table and has no line in the file's constant section.
  bool isInlined() const { return value != nullptr && !value->isDataValue(); }
  // The name every generator writes where the C, C++, C# or Lustre text names this
  // constant (gen_data.cc): the name itself when it is an identifier (a letter or '_',
  // then letters, digits and '_'), as a literal's "C__12" is; otherwise each character that
  // cannot stand where it is written as "_x" and two upper-case hex digits ("C__2.5" as
  // "C__2_x2E5"), then "_" appended as long as another constant of
  // Compilation::GDataConstantTable has that identifier (the table's constants that are
  // not identifiers take theirs in table order).
  std::string getIdentifier() const;

  // "type name" and, with a value, " value: " and the value's debug text.
  void print(std::ostream& os) const;
  // The name written is getIdentifier(). C: ["extern "] "const type name[ = value]" with
  // no line end. C#: "private const type name = value;" for a literal of a built-in type,
  // else "private static readonly type name = value;", or "private static readonly type
  // name;" without a value; a name that is a C# keyword gets "@" (gen_data.cc).
  void C_put(std::ostream& os, Module* m);
  void CSharp_put(std::ostream& os, Module* m);
  void LUSTRE_put(std::ostream& os, Module* m);

 private:
  std::string type;
  std::string name;
  DataExpr* value;  // null: no value
  int index;        // -1 until the table gives one
  int eval_index;   // -1 until set
};

class DataTypeTable {
 public:
  DataTypeTable();
  ~DataTypeTable();
  DataTypeTable(const DataTypeTable&) = delete;
  DataTypeTable& operator=(const DataTypeTable&) = delete;

  // A new name gets the number of types already present; a known name is unchanged.
  void addType(const std::string& name);
  bool isDefined(const std::string& name) const;
  int getIndex(const std::string& name) const;  // -1 when absent
  // First name in name order with that index; "undefined" when none.
  std::string getTypeById(int id) const;
  int size() const { return static_cast<int>(types->size()); }
  std::map<std::string, int>* getTypes() const { return types; }

  // "type:\n", one line per index ("   i: " with ids) "name;\n", then "\n".
  void print(std::ostream& os, bool with_ids) const;
  // Per type in name order: "extern const T T_zero;" / "public const T T_zero;" and a line end.
  void C_put(std::ostream& os);
  void CSharp_put(std::ostream& os);
  void LUSTRE_put(std::ostream& os);

 private:
  std::map<std::string, int>* types;
};

class DataMethodTable {
 public:
  DataMethodTable();  // empty list
  // list: taken over as given; null means no list (print writes nothing).
  explicit DataMethodTable(std::list<MethodDecl*>* list) : method_list(list) {}
  DataMethodTable(const DataMethodTable&) = delete;
  DataMethodTable& operator=(const DataMethodTable&) = delete;

  std::list<MethodDecl*>* getMethodList() const { return method_list; }
  MethodDecl* getMethod(const std::string& name) const;  // null when none
  int getMethodIndex(const std::string& name) const;     // -1 when none
  MethodDecl* getMethodById(int id) const;               // null when none
  // Gives d the last index plus one (0 first) and appends it; a known name throws
  // AlreadyDefinedException(name, "overloading_of_method_not_yet_implemented").
  void addMethod(MethodDecl* d);

  // "method:\n", one line per index "decl;\n", then "\n"; nothing when the list is null.
  void print(std::ostream& os, bool with_ids) const;
  // Each declaration followed by an empty line (C and C#).
  void C_put(std::ostream& os);
  void CSharp_put(std::ostream& os);
  void LUSTRE_put(std::ostream& os);

 private:
  std::list<MethodDecl*>* method_list;
};

class DataConstantTable {
 public:
  DataConstantTable();  // empty list
  explicit DataConstantTable(std::list<ConstantDecl*>* list) : constant_list(list) {}
  DataConstantTable(const DataConstantTable&) = delete;
  DataConstantTable& operator=(const DataConstantTable&) = delete;

  std::list<ConstantDecl*>* getConstantList() const { return constant_list; }
  ConstantDecl* getConstant(const std::string& name) const;  // null when none
  int getConstantIndex(const std::string& name) const;       // -1 when none
  ConstantDecl* getConstantById(int id) const;               // null when none (or id -1)
  // Gives c the largest index plus one and appends it; a known name throws
  // AlreadyDefinedException(name, "constant").
  void addConstant(ConstantDecl* c);
  // Constants written in the file's constant section (those not inlined, index set),
  // by index order: constant index -> position from 0.
  std::map<int, int> getFilePositions() const;

  // "constant:\n", one line per index "decl;\n", then "\n"; nothing when the list is null.
  void print(std::ostream& os, bool with_ids) const;
  // Each declaration and a line end (C and C#).
  void C_put(std::ostream& os, Module* m);
  void CSharp_put(std::ostream& os, Module* m);
  void LUSTRE_put(std::ostream& os, Module* m);

 private:
  std::list<ConstantDecl*>* constant_list;
};

// ===================================================================================
// Bindings
// ===================================================================================

// A valued signal and the expression that gives its value, optionally under a clock.
class DataBinding {
 public:
  DataBinding(Signal* signal, DataExpr* value) : clock(nullptr), signal(signal), value(value) {}
  DataBinding(Signal* signal, DataExpr* value, Signal* clock) : clock(clock), signal(signal), value(value) {}
  // Copy of b for target: signal and clock by internal name in target, value changed
  // into target; IllegalOperationException when target lacks the signal or the clock.
  DataBinding(const DataBinding& b, Module* target, Module* other);

  Signal* getClock() const { return clock; }
  Signal* getSignal() const { return signal; }
  DataExpr* getValue() const { return value; }

  // Copy for a module instance, signals taken from I (input, output, local, data map);
  // a missing signal ends the process (exit 1), a missing clock leaves none.
  DataBinding* instanciate(Interface* I, Module* m, Bddexpressionwood* system);
  void print_debug(std::ostream& os) const;

 private:
  Signal* clock;   // null: none
  Signal* signal;
  DataExpr* value;
};

#endif
