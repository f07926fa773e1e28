// BDD node table, evaluation nodes and binding reconstruction of the .jxc reader.
#include "parse_supl.h"

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <iterator>
#include <memory>

#include "Bddexpression.h"
#include "bddpp.h"
#include "data.h"
#include "flat_index.h"
#include "g_exit.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"
#include "signal_manager.h"

namespace {

// Evaluation-node nesting beyond this is refused, as the source reader refuses it.
const int kMaxEvalDepth = DataExpr::MaxNesting;

std::string num(long v) { return std::to_string(v); }

}  // namespace

// =============================================================================================
// parsed_nodes_class
// =============================================================================================

parsed_nodes_class::parsed_nodes_class(long var_id, long then_id, long else_id, int else_link_type)
    : internal_var_id(var_id),
      internal_then_id(then_id),
      internal_else_link_type(else_link_type),
      internal_else_id(else_id) {}

bool parsed_nodes_class::operator==(const parsed_nodes_class& o) const {
  return internal_var_id == o.internal_var_id && internal_then_id == o.internal_then_id &&
         internal_else_link_type == o.internal_else_link_type && internal_else_id == o.internal_else_id &&
         internal_bdd_node == o.internal_bdd_node;
}

bdd_node* parsed_nodes_class::build(bddpp_manager* manager, jxc_node_table& table) {
  if (build_state == 2) return internal_bdd_node;
  if (manager == nullptr) throw jxc_file_error("no BDD manager to build the nodes in");
  // Depth-first with an explicit stack: a file may chain nodes deeper than the call stack.
  // A node is "in progress" (1) while its children are pending; meeting one again is a cycle.
  std::vector<parsed_nodes_class*>& stack = table.pending;
  stack.clear();
  stack.push_back(this);
  while (!stack.empty()) {
    parsed_nodes_class* n = stack.back();
    if (n->build_state == 2) {
      stack.pop_back();
      continue;
    }
    long v = n->internal_var_id;
    if (v == -1) {
      n->internal_bdd_node = manager->Bdd_node_one();
      n->internal_bdd_node->inc_nbrefs();
      n->build_state = 2;
      stack.pop_back();
      continue;
    }
    if (v < 0 || v >= manager->Nb_bdd_vars())
      throw jxc_file_error("BDD node variable " + num(v) + " is not a variable of the module");
    if (n->internal_else_link_type != 1 && n->internal_else_link_type != -1)
      throw jxc_file_error("BDD node link type " + num(n->internal_else_link_type) + " is neither 1 nor -1");
    parsed_nodes_class* t = table.get(n->internal_then_id);
    parsed_nodes_class* e = table.get(n->internal_else_id);
    if (t == nullptr) throw jxc_file_error("reference to undefined BDD node " + num(n->internal_then_id));
    if (e == nullptr) throw jxc_file_error("reference to undefined BDD node " + num(n->internal_else_id));
    if (n->build_state == 0) {
      n->build_state = 1;
      for (parsed_nodes_class* c : {t, e}) {
        if (c->build_state == 1) throw jxc_file_error("BDD node is its own descendant");
        if (c->build_state == 0) stack.push_back(c);
      }
      continue;
    }
    // Children done: make the node.
    bdd_node* tn = t->internal_bdd_node;
    bdd_node* en = e->internal_bdd_node;
    int link = n->internal_else_link_type;
    bdd_node* result = nullptr;
    auto below = [v](bdd_node* c) { return c->var_index() == -1 || c->var_index() > v; };
    if (tn == en && link == 1) {
      result = tn;  // a redundant test
      result->inc_nbrefs();
    } else if (below(tn) && below(en)) {
      int link_out = 1;
      result = manager->Find_or_create_bdd_node(v, 1, link, tn, en, link_out);
      // The look-up hands back a referenced node, except a variable's own node.
      if (result != nullptr && tn == manager->Bdd_node_one() && en == tn) result->inc_nbrefs();
      if (link_out != 1) result = nullptr;
    } else {
      bdd r = manager->Bdd_ite(manager->Bdd_var_by_index(v), bdd(manager, 1, tn), bdd(manager, link, en));
      if (r.link_type() == 1 && r.node() != nullptr) {
        result = r.node();
        result->inc_nbrefs();
      }
    }
    if (result == nullptr) throw jxc_file_error("internal error in parsed_nodes_class::build()");
    n->internal_bdd_node = result;
    n->build_state = 2;
    stack.pop_back();
  }
  return internal_bdd_node;
}

void parsed_nodes_class::print(std::ostream& os) const {
  os << internal_var_id << " " << internal_then_id << " " << internal_else_id << " " << internal_else_link_type
     << " ";
  if (internal_bdd_node == nullptr)
    os << "<not connected>";
  else
    os << internal_bdd_node->global_id();
}

// =============================================================================================
// jxc_node_table
// =============================================================================================

void jxc_node_table::reset(long count) {
  dense.clear();
  defined.clear();
  sparse.clear();
  stored = 0;
  declared = 0;
  if (count < 0) throw jxc_file_error("negative BDD node count " + num(count));
  declared = count;
  // Room for the declared records up front (bounded: the count is the file's word; pages
  // are only touched as records arrive).
  size_t room = static_cast<size_t>(std::min(count, 1L << 19));
  dense.reserve(room);
  defined.reserve(room);
}

bool jxc_node_table::store(long k, const parsed_nodes_class& node) {
  if (k < 0 || k >= declared) return false;
  long size = static_cast<long>(dense.size());
  // In place when the storage stays within a few times the records read; grown by half its
  // size at a time within that bound, not one record at a time.
  long bound = 4 * stored + 4096;
  if (k >= size && k < bound) {
    size = std::min(declared, std::max(k + 1, std::min(bound, size + size / 2)));
    dense.resize(static_cast<size_t>(size), parsed_nodes_class(-1, -3, -3, 1));
    defined.resize(static_cast<size_t>(size), 0);
  }
  if (k < size) {
    size_t i = static_cast<size_t>(k);
    if (!defined[i] && (sparse.empty() || sparse.erase(k) == 0)) ++stored;
    dense[i] = node;
    defined[i] = 1;
    return true;
  }
  auto done = sparse.emplace(k, node);
  if (done.second)
    ++stored;
  else
    done.first->second = node;
  return true;
}

parsed_nodes_class* jxc_node_table::get(long k) {
  if (k >= 0 && k < static_cast<long>(dense.size()) && defined[static_cast<size_t>(k)])
    return &dense[static_cast<size_t>(k)];
  if (sparse.empty()) return nullptr;
  auto it = sparse.find(k);
  return it == sparse.end() ? nullptr : &it->second;
}

bdd_node* jxc_node_table::build(long k, bddpp_manager* manager) {
  parsed_nodes_class* n = get(k);
  if (n == nullptr) throw jxc_file_error("reference to undefined BDD node " + num(k));
  return n->build(manager, *this);
}

void jxc_bddexpression_convert(Bddexpressionwood* wood, jxc_node_table& table, long earliest, long latest,
                               long var, long node, int link, const std::list<long>* ids) {
  bddpp_manager* man = wood != nullptr ? wood->my_bdd_manager() : nullptr;
  if (man == nullptr) {
    g_exit(1, "internal error in class_jxc_parser::bddexpression_convert(): no bdd manager !\n");
  }
  long nb_vars = man->Nb_bdd_vars();
  if (var < 0 || var >= nb_vars) throw jxc_file_error("equation of unknown variable " + num(var));
  if (node != -3) {
    if (link != 1 && link != -1) throw jxc_file_error("equation link type " + num(link) + " is neither 1 nor -1");
    bdd_node* root = table.build(node, man);
    wood->enter(man->Name_var_by_index(var), wood, man->Bdd_var_by_index(var), bdd(man, link, root), earliest,
                latest);
    return;
  }
  std::set<long> deps;
  if (ids != nullptr)
    for (long id : *ids) {
      if (id < 0 || id >= nb_vars) throw jxc_file_error("dependence on unknown variable " + num(id));
      deps.insert(id);
    }
  wood->enter(var, wood, deps, "VALUE_SIGNAL", earliest, latest);
}

// =============================================================================================
// Records
// =============================================================================================

evalnodeparse::evalnodeparse(int type, long table_id) : nodetype(type), tableident(table_id), methodident(-1) {}

evalnodeparse::evalnodeparse(int type, long table_id, long method_id, const std::list<long>& args)
    : nodetype(type), tableident(table_id), methodident(method_id), arguments(args) {}

bool evalnodeparse::operator==(const evalnodeparse& o) const {
  return nodeident == o.nodeident && nodetype == o.nodetype && tableident == o.tableident &&
         methodident == o.methodident && arguments == o.arguments;
}

void evalnodeparse::print(std::ostream& os) const {
  static const char* kinds[] = {"CONSTANTE", "LINK", "METHODE PREDEFINIE", "METHODE EXTERNE"};
  os << nodeident << " " << (nodetype >= 0 && nodetype <= 3 ? kinds[nodetype] : "?") << " " << tableident << " "
     << methodident;
  for (long a : arguments) os << " " << a;
}

bindingparse::bindingparse(long status, long value, long eval, long clock_status, long clock_value)
    : instance_status_ident(status),
      instance_value_ident(value),
      eval_ident(eval),
      signal_status_ident(clock_status),
      signal_value_ident(clock_value) {}

bindingparse::bindingparse(long status, long value, long eval) : bindingparse(status, value, eval, -1, -1) {}

bool bindingparse::operator==(const bindingparse& o) const {
  return instance_status_ident == o.instance_status_ident && instance_value_ident == o.instance_value_ident &&
         eval_ident == o.eval_ident && signal_status_ident == o.signal_status_ident &&
         signal_value_ident == o.signal_value_ident;
}

void bindingparse::print(std::ostream& os) const {
  os << instance_status_ident << " " << instance_value_ident << " " << eval_ident << " " << signal_status_ident << " "
     << signal_value_ident;
}

// =============================================================================================
// binding_declaration_parse
// =============================================================================================

// Module::getSignalById without its walks of the signal lists: the lists indexed once, in
// the order and by the names its look-ups use (the first match wins). Those look-ups try the
// inputs' and outputs' original names, the data signals' and locals' internal names, then the
// internal names of all four lists, where only an input or an output can still match.
struct binding_declaration_parse::signal_index {
  explicit signal_index(const Module* m)
      : by_original(&Signal::getOriginalName), by_internal(&Signal::getInternalName),
        io_by_internal(&Signal::getInternalName) {
    by_original.add(m->input_signal_list);
    by_original.add(m->output_signal_list);
    by_internal.add(m->data_signal_list);
    by_internal.add(m->local_signal_list);
    io_by_internal.add(m->input_signal_list);
    io_by_internal.add(m->output_signal_list);
  }
  Signal* find(const std::string& internal) const {
    size_t h = flat_hash(internal);
    for (const keyed* k : {&by_original, &by_internal, &io_by_internal})
      if (Signal* s = k->find(internal, h)) return s;
    return nullptr;
  }

 private:
  typedef const std::string& (Signal::*Key)() const;
  struct keyed {
    explicit keyed(Key key) : key(key) {}
    void add(const std::list<Signal*>* l) {
      if (l == nullptr) return;
      for (Signal* s : *l)
        if (s != nullptr) {
          const std::string& name = (s->*key)();
          index.insert_first(flat_hash(name), s, [&](const Signal* x) { return (x->*key)() == name; });
        }
    }
    Signal* find(const std::string& name, size_t h) const {
      long slot = index.locate(h, [&](const Signal* x) { return (x->*key)() == name; });
      return slot < 0 ? nullptr : index.get(slot);
    }
    Key key;
    flat_index<Signal> index;
  };
  keyed by_original, by_internal, io_by_internal;
};

Signal* binding_declaration_parse::signal_by_id(long id, Module* m) {
  Bddexpressionwood* w = m->getBddWood();
  if (indexed_signals == nullptr) return m->getSignalById(id, w);
  SignalRef* r = m->getSignalManager()->getSignalRefById(id, w);
  return r == nullptr ? nullptr : indexed_signals->find(r->getInternalName());
}

binding_declaration_parse::binding_declaration_parse(const std::list<bindingparse>& bindings,
                                                     const std::list<evalnodeparse>& evalnodes,
                                                     const std::vector<int>* corres_method,
                                                     const std::vector<int>* corres_type,
                                                     const std::vector<int>* corres_constant)
    : binding_list(bindings),
      evalnode_list(evalnodes),
      corres_method(corres_method),
      corres_type(corres_type),
      corres_constant(corres_constant) {}

const evalnodeparse* binding_declaration_parse::find(long id) {
  if (!indexed) {
    for (const evalnodeparse& n : evalnode_list) by_ident.emplace(n.nodeident, &n);  // first one wins
    indexed = true;
  }
  auto it = by_ident.find(id);
  return it == by_ident.end() ? nullptr : it->second;
}

const evalnodeparse& binding_declaration_parse::get_evalnode(long id) {
  const evalnodeparse* n = find(id);
  if (n == nullptr) throw IllegalOperationException("binding_declaration_parse::get_evalnode", "node_not_found");
  return *n;
}

DataExpr* binding_declaration_parse::dataexpr(long id, Module* m) { return dataexpr_rec(get_evalnode(id), m, 0); }

DataExpr* binding_declaration_parse::dataexpr(const evalnodeparse& node, Module* m) {
  return dataexpr_rec(node, m, 0);
}

DataExpr* binding_declaration_parse::dataexpr_rec(const evalnodeparse& node, Module* m, int depth) {
  // Only nodes of the list are shared; a node given from elsewhere is built afresh.
  bool listed = find(node.nodeident) == &node;
  if (listed) {
    auto done = built.find(node.nodeident);
    if (done != built.end()) return done->second;
    if (!in_progress.insert(node.nodeident).second)
      throw jxc_file_error("evaluation node " + num(node.nodeident) + " is its own descendant");
  }
  if (depth > kMaxEvalDepth) throw jxc_file_error("evaluation nodes nested too deeply");
  DataExpr* result = nullptr;
  switch (node.nodetype) {
    case evalnodeparse::CONSTANTE: {
      long c = node.tableident;
      if (corres_constant == nullptr || c < 0 || c >= static_cast<long>(corres_constant->size()))
        throw jxc_file_error("undeclared constant number " + num(c));
      result = new DataConstant((*corres_constant)[static_cast<size_t>(c)]);
      break;
    }
    case evalnodeparse::LINK:
      result = dataexpr_rec(get_evalnode(node.tableident), m, depth + 1);
      break;
    case evalnodeparse::METHODE_PREDEFINIE: {
      long code = node.methodident;
      if (code < 0) throw IllegalOperationException("binding_declaration_parse::dataexpr", "invalid_operator");
      int op = static_cast<int>(code % DataExpr::NbPredefOp);
      const std::list<long>& args = node.arguments;
      if (op == DataExpr::SignalVal) {
        if (args.empty()) throw jxc_file_error("signal value without its signal");
        long id = args.front();
        Bddexpressionwood* w = m->getBddWood();
        SignalRef* ref = m->getSignalManager()->getSignalRefById(id, w);
        if (ref == nullptr) throw jxc_file_error("unknown data signal:" + num(id));
        Signal* s = signal_by_id(id, m);
        if (s == nullptr) throw jxc_file_error("unknown data signal:" + ref->getCurrentName());
        result = new DataSignalValue(s);
      } else if (args.size() == 2) {
        DataExpr* left = dataexpr_rec(get_evalnode(args.front()), m, depth + 1);
        DataExpr* right = dataexpr_rec(get_evalnode(args.back()), m, depth + 1);
        result = new DataBinaryOp(op, left, right);
      } else if (args.size() == 1) {
        result = new DataUnaryOp(op, dataexpr_rec(get_evalnode(args.front()), m, depth + 1));
      } else {
        throw IllegalOperationException("binding_declaration_parse::dataexpr", "invalid_operator");
      }
      break;
    }
    case evalnodeparse::METHODE_EXTERNE: {
      long k = node.methodident;
      if (corres_method == nullptr || k < 0 || k >= static_cast<long>(corres_method->size()))
        throw jxc_file_error("undeclared method number " + num(k));
      std::unique_ptr<std::list<DataExpr*>> args;
      if (!node.arguments.empty()) {
        args.reset(new std::list<DataExpr*>());
        for (long a : node.arguments) args->push_back(dataexpr_rec(get_evalnode(a), m, depth + 1));
      }
      result = new DataMethodCall((*corres_method)[static_cast<size_t>(k)], args.release());
      break;
    }
    default:
      throw IllegalOperationException("binding_declaration_parse::dataexpr", "unknown_eval_type");
  }
  if (listed) {
    in_progress.erase(node.nodeident);
    built.emplace(node.nodeident, result);
  }
  return result;
}

void binding_declaration_parse::createbinding(Module* m) {
  // Binding adds no signal to m: its lists are indexed once for the whole section.
  const signal_index index(m);
  indexed_signals = &index;
  try {
    bind_all(m);
  } catch (...) {
    indexed_signals = nullptr;
    throw;
  }
  indexed_signals = nullptr;
}

void binding_declaration_parse::bind_all(Module* m) {
  Bddexpressionwood* w = m->getBddWood();
  SignalManager* sm = m->getSignalManager();
  for (const bindingparse& b : binding_list) {
    SignalRef* ref = sm->getSignalRefById(b.instance_status_ident, w);
    if (ref == nullptr) throw jxc_file_error("unknown data signal:" + num(b.instance_status_ident));
    Signal* s = signal_by_id(b.instance_status_ident, m);
    if (s == nullptr) throw jxc_file_error("unknown data signal:" + ref->getCurrentName());
    DataExpr* e = dataexpr(b.eval_ident, m);
    Signal* clock = b.signal_status_ident != -1 ? signal_by_id(b.signal_status_ident, m) : nullptr;
    // The binding this one replaces leaves the table first thing; freed here in any case.
    std::unique_ptr<DataBinding> replaced(m->getBinding(s->getInternalName()));
    if (clock != nullptr)
      m->addSignalBinding(e, s, clock);
    else
      m->addSignalBinding(e, s);
    if (replaced) replaced_values.push_back(replaced->getValue());
  }
  drop_replaced(m);
}

void binding_declaration_parse::drop_replaced(Module* m) {
  if (replaced_values.empty()) return;
  std::set<DataExpr*> used, dropped, mine;
  for (auto& entry : *m->getDataTable()) data_expression_closure(entry.second->getValue(), used);
  for (DataExpr* e : replaced_values) data_expression_closure(e, dropped);
  replaced_values.clear();
  for (auto& entry : built) mine.insert(entry.second);
  for (auto it = built.begin(); it != built.end();)
    it = dropped.count(it->second) != 0 && used.count(it->second) == 0 ? built.erase(it) : std::next(it);
  for (DataExpr* e : dropped)
    if (used.count(e) == 0 && mine.count(e) != 0) delete_data_node(e);
}

void binding_declaration_parse::print(std::ostream& os) const {
  for (const bindingparse& b : binding_list) {
    b.print(os);
    os << std::endl;
  }
  for (const evalnodeparse& n : evalnode_list) {
    n.print(os);
    os << std::endl;
  }
}
