// Text forms of equations and systems: debug, documentation and Lustre-like lines, statistics and
// the compiled-module records (current and older notations).
#include <algorithm>
#include <iostream>
#include <map>
#include <sstream>
#include <vector>

#include "Bddexpression.h"
#include "Stringpp.h"
#include "list.h"

namespace {

// The variable name and right side shared by the debug stream and the debug string.
template <class Out, class Sop>
void debug_body(const Bddexpression& e, Out& out, Sop sop) {
  bddpp_manager* m = e.my_bdd_manager();
  if (e.pw == nullptr) {
    if (e.abstraction != 0) out("- = " + e.exp_def + "()");
    return;
  }
  if (m != nullptr) {
    out(bdd_owned_by(e.bdd_var, m) ? e.my_bddname() : std::string("-"));
    out(" = ");
    if (bdd_owned_by(e.bdd_exp, m)) {
      sop(m);
      if (e.abstraction != 0) out("warning ABSTRACTION by " + e.exp_def + "()!");
    } else {
      out(e.abstraction != 0 ? e.exp_def + "()" : std::string("--"));
    }
  } else {
    out("- = ");
    out(e.abstraction != 0 ? e.exp_def + "()" : std::string("--"));
  }
}

// Writes the text with "//" put before every line but the first.
void comment_lines(std::ostream& os, const std::string& text) {
  for (char c : text) {
    os << c;
    if (c == '\n') os << "//";
  }
}

// The paths from f's root to true, counted up to cap (cap + 1 for more), without recursion.
long paths_to_true(const bdd& f, long cap) {
  using key = std::pair<const bdd_node*, int>;
  std::map<key, long> count;
  std::vector<key> stack{key(f.node(), f.link_type())};
  while (!stack.empty()) {
    key k = stack.back();
    const bdd_node* n = k.first;
    if (n->var_index() < 0) {
      count[k] = k.second == 1 ? 1 : 0;
      stack.pop_back();
      continue;
    }
    key t(n->then_node(), k.second), e(n->else_node(), k.second * n->else_link_type());
    auto ct = count.find(t), ce = count.find(e);
    if (ct == count.end()) stack.push_back(t);
    if (ce == count.end()) stack.push_back(e);
    if (ct == count.end() || ce == count.end()) continue;
    count[k] = std::min(cap + 1, ct->second + ce->second);
    stack.pop_back();
  }
  return count[key(f.node(), f.link_type())];
}

// A system's listing (in the error reports that show the system) writes a right side as a sum
// of products only up to this many: a larger one takes long to cover, and would fill the report.
const long kListedProducts = 100;

void put_equation(std::ostream& os, const Bddexpression& e, bool every_product) {
  os << "(" << static_cast<const void*>(&e) << ") <" << e.name << "> " << "[type:" << e.usertype << "]";
  auto out = [&os](const std::string& s) { os << s; };
  debug_body(e, out, [&](bddpp_manager* m) {
    if (!every_product && paths_to_true(e.bdd_exp, kListedProducts) > kListedProducts)
      os << "(more than " << kListedProducts << " products, not listed)";
    else
      m->Print_sop(" + ", " * ", "!", "", os, e.bdd_exp, 1);
  });
  if (e.pw != nullptr) os << "  weight: " << e.w << " usertype: " << e.usertype;
}

// Per equation of w, its record when renumbered, with comments "// expression id:" and the
// equation's comment before it; else, with comments, "// no generate expression about:id:"
// and that comment.
template <class Comment, class Record>
void put_records(Bddexpressionwood& w, std::ostream& os, long* renumbering, int comments, Comment comment,
                 Record record) {
  for (long id : w.ens_exp) {
    Bddexpression* e = w.slot(id);
    if (e == nullptr) continue;
    if (renumbering[id] != -1) {
      if (comments != 0) {
        os << "// expression " << id << ":";
        comment(*e);
        os << std::endl;
      }
      record(*e);
      os << std::endl;
    } else if (comments != 0) {
      os << "// no generate expression about:" << id << ":";
      comment(*e);
      os << std::endl << std::endl;
    }
  }
}

}  // namespace

// ----- one equation -----

std::ostream& operator<<(std::ostream& os, const Bddexpression& e) {
  put_equation(os, e, true);
  return os;
}

std::string Bddexpression::debug_in_string() const {
  std::string s = "<" + name + "> ";
  auto out = [&s](const std::string& t) { s += t; };
  debug_body(*this, out, [&](bddpp_manager* m) { s += m->Print_sop_to_String(" + ", " * ", "!", "", bdd_exp, 1); });
  if (pw != nullptr)
    s += "  weight: " + unslong2S(static_cast<unsigned long>(w)) +
         " usertype: " + unslong2S(static_cast<unsigned long>(static_cast<long>(usertype)));
  return s;
}

void Bddexpression::put_doc(std::ostream& os, const std::string& node_name) const {
  bddpp_manager* m = my_bdd_manager();
  if (m == nullptr) return;
  if (!bdd_owned_by(bdd_var, m)) {
    os << "   not defined!";
    return;
  }
  std::string label = "   " + my_bddname();
  os << label;
  if (!bdd_owned_by(bdd_exp, m)) {
    os << "= ???";
  } else if (m->Bdd_is_tautology(bdd_exp)) {
    os << (m->Bdd_is_one_tautologic(bdd_exp) ? "= true;" : "= false;");
  } else if (m->Bdd_is_var(bdd_exp)) {
    os << "= " << m->Name_var_by_bdd(bdd_exp) << ";";
  } else {
    m->Bdd_clear_marks(bdd_exp);
    m->Print_node_for_eval_NUSMV("", "", "   ", node_name, os, bdd_exp.node());
    os << label << "= " << (bdd_exp.link_type() == -1 ? "!" : "") << node_name << "_" << bdd_exp.node()->global_id();
  }
}

void Bddexpression::put_lustre_compatibilite(std::ostream& os, int method) const {
  bddpp_manager* m = my_bdd_manager();
  if (m == nullptr || !bdd_owned_by(bdd_var, m) || !bdd_owned_by(bdd_exp, m)) return;
  os << "  " << my_bddname() << "= ";
  m->Print_sop(" or ", " and ", "not ", "", os, bdd_exp, method);
  os << ";";
}

// Dates, file number and root of the current and 2.0.4 records.
void Bddexpression::put_jxc_head(std::ostream& os, long* renumbering) const {
  long x = my_index_var();
  long late = pw->valid_id(x) ? pw->latest(x) : 0;
  os << earliest_date << " " << late << " " << renumbering[x] << ":";
  if (bdd_owned_by(bdd_exp, pw->man))
    os << bdd_exp.node()->local_id() << "," << bdd_exp.link_type();
  else
    os << -3 << "," << -3;
}

void Bddexpression::put_jxc(std::ostream& os, long* renumbering) const {
  bddpp_manager* m = my_bdd_manager();
  if (m == nullptr || !bdd_owned_by(bdd_var, m)) return;
  put_jxc_head(os, renumbering);
  os << "," << "(";
  // A dependence outside the system (an abstract equation's unkept one) has no file number.
  for (long d : vars_dependance) os << (pw->valid_id(d) ? renumbering[d] : -1) << " ";
  os << ")";
}

void Bddexpression::put_jxc_2_0_4(std::ostream& os, long* renumbering) const {
  bddpp_manager* m = my_bdd_manager();
  if (m == nullptr || !bdd_owned_by(bdd_var, m)) return;
  put_jxc_head(os, renumbering);
}

void Bddexpression::put_jxc_0_3_0(std::ostream& os, long* renumbering, int method) const {
  bddpp_manager* m = my_bdd_manager();
  if (m == nullptr || !bdd_owned_by(bdd_var, m) || !bdd_owned_by(bdd_exp, m)) return;
  os << earliest_date << " " << getLateDate() << std::endl;
  m->JXC_print(os, renumbering, bdd_var, bdd_exp, method);
}

// ----- one system -----

std::ostream& operator<<(std::ostream& os, const id_bits& s) {
  os << "{";
  for (auto it = s.begin(); it != s.end(); ++it) os << (it == s.begin() ? "" : ",") << *it;
  return os << "}";
}

std::ostream& operator<<(std::ostream& os, const Bddexpressionwood& w) {
  w.stat(os);
  os << "Equations list:" << std::endl;
  for (long i = 0; i < w.nb_var_bdd; ++i) {
    os << i << ": ";
    Bddexpression* e = w.slot(i);
    if (e != nullptr) {
      put_equation(os, *e, false);
      os << " dates (" << e->earliest_date << "," << e->getLateDate() << ")" << " from vars "
         << e->vars_dependance;
    } else {
      std::string name = w.man != nullptr && i < w.man->Nb_bdd_vars() ? w.man->Name_var_by_index(i) : "";
      os << name << " = - dates (0," << w.latest(i) << ")";
    }
    os << "  to vars " << w.readers(i) << std::endl;
  }
  return os;
}

void Bddexpressionwood::stat(std::ostream& os) const {
  long count = man != nullptr ? man->Nb_bdd_vars() : 0;
  os << "wood Bddexpression statistics:" << std::endl;
  os << "  - adress: " << static_cast<const void*>(this) << std::endl;
  os << "  - bbd variables number of the bdd manager: " << count << std::endl;
  os << "  - variables number used : " << nb_var_bdd << std::endl;
  if (count != nb_var_bdd) os << "INTERNAL ERROR: bdd variables number doesn't corresponding !!!" << std::endl;
  os << "  - arrays's length  : " << nb_max_var_bdd << std::endl;
  os << "  - expression ids set " << ens_exp << std::endl;
  os << "  - nb levels " << nb_level << std::endl;
  std::map<long, std::vector<long>> early, late;
  for (long id = 0; id < nb_var_bdd; ++id) {
    Bddexpression* e = slot(id);
    if (e == nullptr) continue;
    early[e->earliest_date].push_back(id);
    late[latest(id)].push_back(id);
  }
  for (long level = 0; level <= nb_level; ++level) {
    os << "      level: " << level << std::endl;
    os << "        early date: ";
    auto it = early.find(level);
    if (it != early.end())
      for (long id : it->second) os << id << " ";
    os << std::endl;
    os << "        late date: ";
    it = late.find(level);
    if (it != late.end())
      for (long id : it->second) os << id << " ";
    os << std::endl;
  }
  os << std::endl;
  os << "   earliest date sorting:" << std::endl;
  for (long id : earliest_sort()) os << id << " ";
  os << std::endl << std::endl;
  os << "   latest date sorting:" << std::endl;
  for (long id : latest_sort()) os << id << " ";
  os << std::endl << std::endl;
}

// The node list of the kept right sides, in ascending id, then "expressions:". Abstract
// equations have no right side to list; their records write -3,-3.
void Bddexpressionwood::put_kept_nodes(std::ostream& os, long* renumbering) {
  std::list<bdd> rights;
  for (long id = 0; id < nb_var_bdd; ++id) {
    Bddexpression* e = slot(id);
    if (e != nullptr && renumbering[id] != -1 && bdd_owned_by(e->bdd_exp, man)) rights.push_back(e->bdd_exp);
  }
  man->Print_bdds_list_by_nodes_list(os, rights, renumbering);
  os << "expressions:" << std::endl;
}

void Bddexpressionwood::Put_jxc(std::ostream& os, long* renumbering, int comments) {
  settle();
  put_kept_nodes(os, renumbering);
  auto doc = [&os](Bddexpression& e) {
    std::ostringstream text;
    e.put_doc(text, "node");
    comment_lines(os, text.str());
  };
  put_records(*this, os, renumbering, comments, doc, [&](Bddexpression& e) { e.put_jxc(os, renumbering); });
}

void Bddexpressionwood::Put_jxc_2_0_4(std::ostream& os, long* renumbering, int comments) {
  settle();
  put_kept_nodes(os, renumbering);
  put_records(
      *this, os, renumbering, comments, [&os](Bddexpression& e) { e.put_lustre_compatibilite(os, 1); },
      [&](Bddexpression& e) { e.put_jxc_2_0_4(os, renumbering); });
}

void Bddexpressionwood::Put_jxc_0_3_0(std::ostream& os, long* renumbering, int method, int comments) {
  settle();
  put_records(
      *this, os, renumbering, comments, [&](Bddexpression& e) { e.put_lustre_compatibilite(os, method); },
      [&](Bddexpression& e) { e.put_jxc_0_3_0(os, renumbering, method); });
}

bdd Bddexpressionwood::reduce_proposition() {
  for (long id : latest_sort()) {
    Bddexpression* e = slot(id);
    if (e == nullptr || !bdd_owned_by(e->bdd_exp, man)) continue;
    if (man->Bdd_is_tautology(e->bdd_exp) == 0) return man->Bdd_one_implicant(e->bdd_exp);
  }
  return man->Bdd_one();
}

void Bddexpressionwood::delete_prefixe_names(const std::string&) { std::cerr << "a faire" << std::endl; }
