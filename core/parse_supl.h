// Compiled-module reader support: the BDD node table, the evaluation nodes and the binding
// records collected while a .jxc file is parsed, and their reconstruction into the module's
// BDD manager and data bindings.
//
// Broken-file conditions (undefined or cyclic nodes, out-of-range numbers, unknown signals)
// throw jxc_file_error; malformed evaluation nodes throw IllegalOperationException. Grammar
// actions catch std::exception, report "line N: " + what() and fail the parse.
//
// Use from the grammar: "equation_def: N" -> table.reset(N); each node record ->
// table.store(k, parsed_nodes_class(v, t, e, l)) (false: the "bad indice" message, record
// dropped); each expression record -> jxc_bddexpression_convert(wood, table, ...); the binding
// section -> a binding_declaration_parse over the parser's corres_* vectors (one entry per
// declared type, method, constant, pushed in file order); final step -> createbinding(module).
#ifndef PARSE_SUPL_H
#define PARSE_SUPL_H

#include <iosfwd>
#include <list>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <unordered_map>
#include <vector>

class bddpp_manager;
class bdd_node;
class Bddexpressionwood;
class DataExpr;
class Module;
class Signal;

// A .jxc file that cannot be rebuilt; what() is the reason, without the line number.
class jxc_file_error : public std::runtime_error {
 public:
  explicit jxc_file_error(const std::string& what) : std::runtime_error(what) {}
};

class jxc_node_table;

// ---------------------------------------------------------------------------------------------
// One BDD node of the file: "k: var:then:else,link". var -1 is the terminal.
// ---------------------------------------------------------------------------------------------
class parsed_nodes_class {
 public:
  parsed_nodes_class(long var_id, long then_id, long else_id, int else_link_type);
  parsed_nodes_class(const parsed_nodes_class& other) = default;
  parsed_nodes_class& operator=(const parsed_nodes_class& other) = default;
  bool operator==(const parsed_nodes_class& other) const;  // all five fields
  bool operator!=(const parsed_nodes_class& other) const { return !(*this == other); }

  long get_var_id() const { return internal_var_id; }
  long get_then_id() const { return internal_then_id; }
  int get_else_link_type() const { return internal_else_link_type; }
  long get_else_id() const { return internal_else_id; }
  bdd_node* get_bdd_node() const { return internal_bdd_node; }
  void set_var_id(long v) { internal_var_id = v; }
  void set_then_id(long t) { internal_then_id = t; }
  void set_else_link_type(int l) { internal_else_link_type = l; }
  void set_else_id(long e) { internal_else_id = e; }

  // The manager node of this file node (regular, its reference count raised by one), built
  // once; children are taken from table. jxc_file_error on an undefined child, a cycle, a
  // variable outside the manager, a link other than 1/-1 or a complemented result.
  bdd_node* build(bddpp_manager* manager, jxc_node_table& table);

  // "var then else link node", the node as "<not connected>" until built.
  void print(std::ostream& os) const;

  long internal_var_id;
  long internal_then_id;
  int internal_else_link_type;
  long internal_else_id;
  bdd_node* internal_bdd_node = nullptr;

 private:
  friend class jxc_node_table;
  int build_state = 0;  // 0 not visited, 1 in progress, 2 built
};

// ---------------------------------------------------------------------------------------------
// The node table of one parse: node numbers 0 .. count-1, any count the file declares (storage
// grows with the records actually read: numbers near the records read so far are stored in
// place, a number far beyond them in a side table).
// ---------------------------------------------------------------------------------------------
class jxc_node_table {
 public:
  // Drops every record and sets the declared count; a negative count: jxc_file_error.
  void reset(long count);
  long count() const { return declared; }
  // Stores record k, replacing an earlier one; false (nothing stored) when k is outside
  // 0 .. count-1.
  bool store(long k, const parsed_nodes_class& node);
  // The record numbered k, null when none was read.
  parsed_nodes_class* get(long k);
  // Builds record k (see parsed_nodes_class::build); jxc_file_error when k is undefined.
  bdd_node* build(long k, bddpp_manager* manager);

 private:
  friend class parsed_nodes_class;
  long declared = 0;
  long stored = 0;                        // records in the table
  std::vector<parsed_nodes_class> dense;  // records 0 .. dense.size()-1 where defined[k]
  std::vector<char> defined;
  std::unordered_map<long, parsed_nodes_class> sparse;
  std::vector<parsed_nodes_class*> pending;  // the build walk's stack, kept between builds
};

// Makes the equation of one expression record "E L V:N,K,(ids)" in wood, nodes taken from
// table. N == -3: a value-signal equation of V over ids ("VALUE_SIGNAL", K unread); otherwise
// V := link K on node N (ids unread). No manager in wood: message and exit 1. V, N, K or an
// id out of range: jxc_file_error.
void jxc_bddexpression_convert(Bddexpressionwood* wood, jxc_node_table& table, long earliest, long latest,
                               long var, long node, int link, const std::list<long>* ids);

// ---------------------------------------------------------------------------------------------
// Evaluation nodes and bindings
// ---------------------------------------------------------------------------------------------
class evalnodeparse {
 public:
  enum { CONSTANTE = 0, LINK = 1, METHODE_PREDEFINIE = 2, METHODE_EXTERNE = 3 };

  evalnodeparse(int type, long table_id);  // no arguments, method id -1
  evalnodeparse(int type, long table_id, long method_id, const std::list<long>& args);
  evalnodeparse(const evalnodeparse&) = default;
  evalnodeparse& operator=(const evalnodeparse&) = default;
  bool operator==(const evalnodeparse& other) const;

  long get_nodeident() const { return nodeident; }
  int get_nodetype() const { return nodetype; }
  long get_tableident() const { return tableident; }
  long get_methodident() const { return methodident; }
  const std::list<long>& get_arguments() const { return arguments; }
  void set_nodeident(long id) { nodeident = id; }
  void set_nodetype(int t) { nodetype = t; }
  void set_tableident(long id) { tableident = id; }
  void set_methodident(long id) { methodident = id; }
  void set_arguments(const std::list<long>& args) { arguments = args; }

  // "ident KIND table method args...", KIND one of "CONSTANTE", "LINK",
  // "METHODE PREDEFINIE", "METHODE EXTERNE".
  void print(std::ostream& os) const;

  long nodeident = -1;
  int nodetype;
  long tableident;
  long methodident;
  std::list<long> arguments;
};

class couplelong {
 public:
  couplelong(long premier, long second) : premier(premier), second(second) {}
  bool operator==(const couplelong& o) const { return premier == o.premier && second == o.second; }
  long get_premier() const { return premier; }
  long get_second() const { return second; }
  long premier;
  long second;
};

class bindingparse {
 public:
  bindingparse(long status, long value, long eval, long clock_status, long clock_value);
  bindingparse(long status, long value, long eval);  // no clock: -1, -1
  bool operator==(const bindingparse& o) const;
  void print(std::ostream& os) const;

  long instance_status_ident;
  long instance_value_ident;
  long eval_ident;
  long signal_status_ident;
  long signal_value_ident;
};

class binding_declaration_parse {
 public:
  // Copies both lists. The correspondence tables (file number -> global table index) are
  // held by pointer and read at createbinding time; a number outside a table is undeclared.
  binding_declaration_parse(const std::list<bindingparse>& bindings, const std::list<evalnodeparse>& evalnodes,
                            const std::vector<int>* corres_method, const std::vector<int>* corres_type,
                            const std::vector<int>* corres_constant);

  // The first evaluation node numbered id; IllegalOperationException
  // ("binding_declaration_parse::get_evalnode", "node_not_found") when none.
  const evalnodeparse& get_evalnode(long id);
  // The DataExpr tree of a node. A node referenced several times yields one shared
  // expression; a node that is its own descendant, an undeclared constant or method number,
  // or a signal-value node with no argument or an unknown status id: jxc_file_error.
  DataExpr* dataexpr(const evalnodeparse& node, Module* m);
  DataExpr* dataexpr(long id, Module* m);
  // Registers every binding with m (Module::addSignalBinding), in file order; a status id
  // with no signal: jxc_file_error ("unknown data signal:" ...). A binding of a signal bound
  // before replaces it: the earlier binding is freed, with the expressions made here that no
  // binding of m uses any more.
  void createbinding(Module* m);
  // The expressions made so far, by node number (the caller owns them).
  const std::unordered_map<long, DataExpr*>& built_expressions() const { return built; }

  void print(std::ostream& os) const;

  std::list<bindingparse> binding_list;
  std::list<evalnodeparse> evalnode_list;
  const std::vector<int>* corres_method;
  const std::vector<int>* corres_type;
  const std::vector<int>* corres_constant;

 private:
  struct signal_index;
  const evalnodeparse* find(long id);
  DataExpr* dataexpr_rec(const evalnodeparse& node, Module* m, int depth);
  // m->getSignalById(id, m's wood), through indexed_signals while createbinding runs.
  Signal* signal_by_id(long id, Module* m);
  void bind_all(Module* m);  // createbinding's loop
  void drop_replaced(Module* m);  // frees what the replaced bindings alone used

  std::unordered_map<long, const evalnodeparse*> by_ident;  // first node of each number
  std::unordered_map<long, DataExpr*> built;
  std::set<long> in_progress;
  std::vector<DataExpr*> replaced_values;  // values of the bindings replaced by createbinding
  bool indexed = false;
  const signal_index* indexed_signals = nullptr;
};

#endif
