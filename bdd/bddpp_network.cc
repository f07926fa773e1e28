// Node networks: one assignment per node, children before parents, in the C-like array and
// scalar forms and in NuSMV, VHDL and BLIF notation. Nodes are named by global id; the marks
// say which nodes are already written, so callers clear them once per shared network.
#include <sstream>

#include "bddpp.h"

namespace {

bool is_terminal(const bdd_node* n) { return n->var_index() == -1; }

bool is_bare_variable(const bdd_node* n) {
  const bdd_node* t = n->then_node();
  const bdd_node* e = n->else_node();
  return t != nullptr && e != nullptr && is_terminal(t) && is_terminal(e) && n->else_link_type() == -1;
}

// Marks and writes every unmarked node under n, then child and else child before the node.
template <class Writer>
void walk_network(bdd_node* n, Writer& write) {
  if (n == nullptr || n->is_marked()) return;
  n->mark();
  if (is_terminal(n) || is_bare_variable(n)) {
    write(n);
    return;
  }
  walk_network(n->then_node(), write);
  walk_network(n->else_node(), write);
  write(n);
}

// The C-like forms; names are array[g] or, for the scalar forms, array_g.
void c_like_network(bddpp_manager* m, const std::string& or_text, const std::string& and_text,
                    const std::string& not_open, const std::string& not_close, const std::string& var_prefix,
                    const std::string& var_suffix, const std::string& false_text, const std::string& end_text,
                    const std::string* indent, const std::string& array, bool arrayless, std::ostream& os,
                    bdd_node* root) {
  auto name = [&](const bdd_node* n) {
    std::ostringstream s;
    if (arrayless)
      s << array << "_" << n->global_id();
    else
      s << array << "[" << n->global_id() << "]";
    return s.str();
  };
  auto write = [&](bdd_node* n) {
    std::string var;
    if (!is_terminal(n)) var = var_prefix + m->internal_names_table[n->var_index()] + var_suffix;
    if (indent != nullptr)
      os << *indent;
    else
      os << (is_terminal(n) ? "   " : "  ");
    os << name(n) << "= ";
    if (is_terminal(n)) {
      os << not_open << false_text << not_close << end_text;
    } else if (is_bare_variable(n)) {
      os << var << end_text;
    } else {
      os << var << and_text << name(n->then_node()) << or_text << not_open << var << not_close << and_text;
      if (n->else_link_type() == -1)
        os << not_open << name(n->else_node()) << not_close;
      else
        os << name(n->else_node());
      os << end_text;
    }
    os << "\n";
  };
  walk_network(root, write);
  os << std::flush;
}

std::string variable_text(bddpp_manager* m, const bdd_node* n, const std::string& prefix,
                          const std::string& suffix) {
  return prefix + m->internal_names_table[n->var_index()] + suffix;
}

}  // namespace

void bddpp_manager::Print_node_for_eval(const std::string& or_text, const std::string& and_text,
                                        const std::string& not_open, const std::string& not_close,
                                        const std::string& var_prefix, const std::string& var_suffix,
                                        const std::string& false_text, const std::string& end_text,
                                        const std::string& array, std::ostream& os, bdd_node* n) {
  c_like_network(this, or_text, and_text, not_open, not_close, var_prefix, var_suffix, false_text, end_text,
                 nullptr, array, false, os, n);
}

void bddpp_manager::Print_node_for_eval(const std::string& or_text, const std::string& and_text,
                                        const std::string& not_open, const std::string& not_close,
                                        const std::string& var_prefix, const std::string& var_suffix,
                                        const std::string& false_text, const std::string& end_text,
                                        const std::string& indent, const std::string& array,
                                        std::ostream& os, bdd_node* n) {
  c_like_network(this, or_text, and_text, not_open, not_close, var_prefix, var_suffix, false_text, end_text,
                 &indent, array, false, os, n);
}

void bddpp_manager::Print_node_for_eval_arrayless(const std::string& or_text, const std::string& and_text,
                                                  const std::string& not_open, const std::string& not_close,
                                                  const std::string& var_prefix,
                                                  const std::string& var_suffix,
                                                  const std::string& false_text,
                                                  const std::string& end_text, const std::string& stem,
                                                  std::ostream& os, bdd_node* n) {
  c_like_network(this, or_text, and_text, not_open, not_close, var_prefix, var_suffix, false_text, end_text,
                 nullptr, stem, true, os, n);
}

void bddpp_manager::Print_node_for_eval_arrayless(const std::string& or_text, const std::string& and_text,
                                                  const std::string& not_open, const std::string& not_close,
                                                  const std::string& var_prefix,
                                                  const std::string& var_suffix,
                                                  const std::string& false_text,
                                                  const std::string& end_text, const std::string& indent,
                                                  const std::string& stem, std::ostream& os, bdd_node* n) {
  c_like_network(this, or_text, and_text, not_open, not_close, var_prefix, var_suffix, false_text, end_text,
                 &indent, stem, true, os, n);
}

void bddpp_manager::Print_node_for_eval_NUSMV(const std::string& var_prefix, const std::string& var_suffix,
                                              const std::string& indent, const std::string& stem,
                                              std::ostream& os, bdd_node* root) {
  auto write = [&](bdd_node* n) {
    os << indent << stem << "_" << n->global_id() << ":= ";
    if (is_terminal(n)) {
      os << "!0";
    } else {
      std::string var = variable_text(this, n, var_prefix, var_suffix);
      if (is_bare_variable(n)) {
        os << var;
      } else {
        os << var << " & " << stem << "_" << n->then_node()->global_id() << " | " << "!" << var << " & ";
        if (n->else_link_type() == -1) os << "!";
        os << stem << "_" << n->else_node()->global_id();
      }
    }
    os << ";" << "\n";
  };
  walk_network(root, write);
  os << std::flush;
}

void bddpp_manager::Print_node_for_eval_VHDL(const std::string& var_prefix, const std::string& var_suffix,
                                             const std::string& signal, std::ostream& os, bdd_node* root) {
  auto write = [&](bdd_node* n) {
    os << "      " << signal << "(" << n->global_id();
    if (is_terminal(n)) {
      os << ") <= '1';";
    } else {
      std::string var = variable_text(this, n, var_prefix, var_suffix);
      if (is_bare_variable(n)) {
        os << ") <= " << var << ";";
      } else {
        os << ") <= " << "(" << var << " and " << signal << "(" << n->then_node()->global_id() << ")" << ")"
           << " or " << "(not " << var << " and " << (n->else_link_type() == -1 ? "not " : "") << signal << "("
           << n->else_node()->global_id() << ")" << ")" << ";";
      }
    }
    os << "\n";
  };
  walk_network(root, write);
  os << std::flush;
}

void bddpp_manager::Print_node_for_eval_BLIF(const std::string& var_prefix, const std::string& var_suffix,
                                             const std::string& stem, std::ostream& os, bdd_node* root) {
  auto write = [&](bdd_node* n) {
    const long g = n->global_id();
    if (is_terminal(n)) {
      os << ".names " << stem << "_" << g << "\n" << "1" << "\n";
    } else {
      std::string var = variable_text(this, n, var_prefix, var_suffix);
      if (is_bare_variable(n)) {
        os << ".names " << var << " " << stem << "_" << g << "\n" << "1 1" << "\n";
      } else {
        os << ".names " << var << " " << stem << "_" << n->then_node()->global_id() << " " << stem << "_"
           << n->else_node()->global_id() << " " << stem << "_" << g << "\n"
           << "11- 1" << "\n"
           << "0-" << (n->else_link_type() == -1 ? "0" : "1") << " 1" << "\n";
      }
    }
    os << "\n";
  };
  walk_network(root, write);
  os << std::flush;
}

// The own node of each variable so named, in index order (the order of the unique table's keys).
void bddpp_manager::Print_node_for_eval_VHDL_input(const std::string& var_prefix, const std::string& var_suffix,
                                                   const std::string& signal, std::ostream& os,
                                                   const std::string& name) {
  if (internal_bdd_node_map == nullptr) return;
  for (long i : Indexes_named(name)) {
    bdd_node* n = Own_var_node(i);
    n->mark();
    os << "      " << signal << "(" << n->global_id() << ") <= " << var_prefix << name << var_suffix << ";"
       << "\n";
  }
  os << std::flush;
}

void bddpp_manager::Print_node_for_eval_VHDL_reset_input(const std::string& signal, std::ostream& os,
                                                         const std::string& name) {
  if (internal_bdd_node_map == nullptr) return;
  for (long i : Indexes_named(name)) {
    bdd_node* n = Own_var_node(i);
    os << "      " << signal << "(" << n->global_id() << ") <= '0';" << "\n";
  }
  os << std::flush;
}

std::string bdd::vhdl_node_name(const std::string& prefix) const {
  if (internal_bdd_node == nullptr) return "";
  std::ostringstream s;
  if (internal_link_type != 1) s << "not ";
  s << prefix << "(" << internal_bdd_node->global_id() << ")";
  return s.str();
}
