// Text forms of products and sums of products: caller-given operator texts, the Esterel and
// VHDL expression forms, indexed-array (dk) forms and two-level tables (PLA-like, BLIF, .jxc).
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <utility>

#include "bddpp.h"
#include "g_exit.h"

namespace {

using literal_list = std::vector<std::pair<long, int>>;  // (variable index, 1 plain / 0 negated)

const char* text_or_empty(const char* s) { return s != nullptr ? s : ""; }


// The literals of a cube in ascending index, read along the same walk as Bdd_to_literals.
literal_list product_literals(const bdd& p) {
  literal_list lits;
  bdd_node* n = p.node();
  int link = p.link_type();
  while (n != nullptr && n->var_index() >= 0) {
    bdd_node* t = n->then_node();
    bdd_node* e = n->else_node();
    bool then_terminal = t != nullptr && t->var_index() == -1;
    bool else_terminal = e != nullptr && e->var_index() == -1;
    if (then_terminal && else_terminal) {
      lits.emplace_back(n->var_index(), link == 1 ? 1 : 0);
      break;
    }
    if (then_terminal) {
      lits.emplace_back(n->var_index(), 0);
      link *= n->else_link_type();
      n = e;
    } else {
      lits.emplace_back(n->var_index(), 1);
      n = t;
    }
  }
  return lits;
}

// Runs the printers' product buffer of the manager through f's cover; the buffer is taken out
// of the manager for the call (so a nested printer gets its own) and handed back empty.
class product_cover {
 public:
  product_cover(bddpp_manager* m, const bdd& f, int method) : m_(m) {
    products_.swap(m->internal_sop_buffer);
    count_ = m->Bdd_sop(f, products_, method);
  }
  ~product_cover() {
    products_.clear();
    if (m_->internal_sop_buffer.capacity() < products_.capacity()) products_.swap(m_->internal_sop_buffer);
  }
  int count() const { return count_; }
  const bdd& operator[](int i) const { return products_[i]; }

 private:
  bddpp_manager* m_;
  std::vector<bdd> products_;
  int count_ = 0;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Products and sums of products
// ---------------------------------------------------------------------------------------------

std::string bddpp_manager::Print_product_to_String_pref_suff(const char* and_text, const char* not_open,
                                                             const char* not_close, bdd p,
                                                             const char* pref, const char* suff) {
  if (Bdd_is_zero_tautologic(p)) return "0";
  if (Bdd_is_one_tautologic(p)) return "1";
  std::string text;
  bool first = true;
  for (const auto& lit : product_literals(p)) {
    if (!first) text += text_or_empty(and_text);
    first = false;
    std::string var = std::string(text_or_empty(pref)) + internal_names_table[lit.first] + text_or_empty(suff);
    if (lit.second == 0)
      text += std::string(text_or_empty(not_open)) + var + text_or_empty(not_close);
    else
      text += var;
  }
  return text;
}

std::string bddpp_manager::Print_product_to_String(const char* and_text, const char* not_open,
                                                   const char* not_close, bdd p) {
  return Print_product_to_String_pref_suff(and_text, not_open, not_close, p, "", "");
}

void bddpp_manager::Print_product(const char* and_text, const char* not_open, const char* not_close,
                                  std::ostream& os, bdd p) {
  os << Print_product_to_String_pref_suff(and_text, not_open, not_close, p, "", "");
}

void bddpp_manager::Print_product_pref_suff(const char* and_text, const char* not_open,
                                            const char* not_close, std::ostream& os, bdd p,
                                            const char* pref, const char* suff) {
  os << Print_product_to_String_pref_suff(and_text, not_open, not_close, p, pref, suff);
}

std::string bddpp_manager::Print_sop_to_String_pref_suff(const char* or_text, const char* and_text,
                                                         const char* not_open, const char* not_close,
                                                         bdd f, const char* pref, const char* suff,
                                                         int method) {
  product_cover cover(this, f, method);
  if (cover.count() == 0) return "0";
  std::string text;
  for (int i = 0; i < cover.count(); ++i) {
    if (i > 0) text += text_or_empty(or_text);
    text += Print_product_to_String_pref_suff(and_text, not_open, not_close, cover[i], pref, suff);
  }
  return text;
}

std::string bddpp_manager::Print_sop_to_String(const char* or_text, const char* and_text,
                                               const char* not_open, const char* not_close, bdd f,
                                               int method) {
  return Print_sop_to_String_pref_suff(or_text, and_text, not_open, not_close, f, "", "", method);
}

void bddpp_manager::Print_sop(const char* or_text, const char* and_text, const char* not_open,
                              const char* not_close, std::ostream& os, bdd f, int method) {
  os << Print_sop_to_String_pref_suff(or_text, and_text, not_open, not_close, f, "", "", method);
}

void bddpp_manager::Print_sop_pref_suff(const char* or_text, const char* and_text, const char* not_open,
                                        const char* not_close, std::ostream& os, bdd f,
                                        const char* pref, const char* suff, int method) {
  os << Print_sop_to_String_pref_suff(or_text, and_text, not_open, not_close, f, pref, suff, method);
}

std::string bddpp_manager::Print_sop_to_ESTEREL_String(bdd f, int method) {
  if (Bdd_is_zero_tautologic(f)) return "not tick";
  if (Bdd_is_one_tautologic(f)) return "tick";
  return Print_sop_to_String_pref_suff(" or ", " and ", "not ", "", f, "", "", method);
}

std::string bddpp_manager::Print_sop_to_VHDL_String(bdd f, int method) {
  if (Bdd_is_zero_tautologic(f)) return "'0'";
  if (Bdd_is_one_tautologic(f)) return "'1'";
  std::string text = Print_sop_to_String_pref_suff(") or (", " and ", "not ", "", f, "", "", method);
  if (text.find(") or (") != std::string::npos) text = "(" + text + ")";
  return text;
}

void bddpp_manager::Print_dkproduct(const char* and_text, const char* not_open, const char* not_close,
                                    std::ostream& os, bdd p, const std::string& stem) {
  if (Bdd_is_zero_tautologic(p)) {
    os << "0";
    return;
  }
  if (Bdd_is_one_tautologic(p)) {
    os << "1";
    return;
  }
  bool first = true;
  for (const auto& lit : product_literals(p)) {
    if (!first) os << text_or_empty(and_text);
    first = false;
    if (lit.second == 0)
      os << text_or_empty(not_open) << stem << "[" << lit.first << "]" << text_or_empty(not_close);
    else
      os << stem << "[" << lit.first << "]";
  }
}

void bddpp_manager::Print_dksop(const char* or_text, const char* and_text, const char* not_open,
                                const char* not_close, std::ostream& os, bdd f, const std::string& stem,
                                int method) {
  product_cover cover(this, f, method);
  if (cover.count() == 0) {
    os << "0";
    return;
  }
  for (int i = 0; i < cover.count(); ++i) {
    if (i > 0) os << text_or_empty(or_text);
    Print_dkproduct(and_text, not_open, not_close, os, cover[i], stem);
  }
}

// ---------------------------------------------------------------------------------------------
// Two-level tables
// ---------------------------------------------------------------------------------------------

namespace {

// Shared body of the table forms; renumber null writes names, otherwise renumbered indexes.
void pla_table(bddpp_manager* m, std::ostream& os, const bdd& defined, const bdd& definition,
               const char* pref, const char* suff, const char* header_start, const char* header_end,
               const char* row_separator, const char* last_row_end, const char* literal_separator,
               int method, long int* renumber) {
  std::set<long> support = m->set_of_index_depend_on(definition);
  product_cover cover(m, definition, method);
  if (cover.count() > 999999) {
    g_exit(1, "internal error in void bdd_manager::PLA_print...(ostream &, bdd)\n product term number exceded limit\n");
  }
  const std::string p = text_or_empty(pref);
  const std::string s = text_or_empty(suff);
  std::ostringstream text;
  text << text_or_empty(header_start);
  for (long i : support) {
    if (renumber != nullptr)
      text << p << renumber[i] << s << " ";
    else
      text << p << m->internal_names_table[i] << s << " ";
  }
  if (renumber != nullptr) {
    long index = m->Bdd_if_index(defined);
    if (index < 0 || index >= m->internal_bdd_vars) {
      std::cerr << "Error in bddpp_manager::PLA_print_pref_suff_with_renaming(): defined bdd is not a variable!"
                << std::endl;
      text << p << s;
    } else {
      text << p << renumber[index] << s;
    }
  } else {
    text << p << m->Name_var_by_bdd(defined) << s;
  }
  text << text_or_empty(header_end);

  if (support.empty()) {
    text << (m->Bdd_is_one_tautologic(definition) ? "1" : "0") << text_or_empty(last_row_end);
  } else {
    for (int k = 0; k < cover.count(); ++k) {
      literal_list lits = product_literals(cover[k]);
      size_t next = 0;
      for (long i : support) {
        while (next < lits.size() && lits[next].first < i) ++next;
        char c = '-';
        if (next < lits.size() && lits[next].first == i) c = lits[next].second == 1 ? '1' : '0';
        text << c << text_or_empty(literal_separator);
      }
      text << " 1" << (k + 1 < cover.count() ? text_or_empty(row_separator) : text_or_empty(last_row_end));
    }
  }
  os << text.str();
}

}  // namespace

void bddpp_manager::PLA_print_pref_suff(std::ostream& os, bdd defined, bdd definition, const char* pref,
                                        const char* suff, const char* header_start,
                                        const char* header_end, const char* row_separator,
                                        const char* last_row_end, const char* literal_separator,
                                        int method) {
  pla_table(this, os, defined, definition, pref, suff, header_start, header_end, row_separator,
            last_row_end, literal_separator, method, nullptr);
}

void bddpp_manager::PLA_print_pref_suff_with_renaming(std::ostream& os, bdd defined, bdd definition,
                                                      const char* pref, const char* suff,
                                                      const char* header_start, const char* header_end,
                                                      const char* row_separator, const char* last_row_end,
                                                      const char* literal_separator, int method,
                                                      long int* renumber) {
  if (renumber == nullptr) {
    std::cerr << "Error in bddpp_manager::PLA_print_pref_suff_with_renaming(): no renumbering table!"
              << std::endl;
    return;
  }
  pla_table(this, os, defined, definition, pref, suff, header_start, header_end, row_separator,
            last_row_end, literal_separator, method, renumber);
}

void bddpp_manager::BLIF_print(std::ostream& os, bdd defined, bdd definition, int method) {
  PLA_print_pref_suff(os, defined, definition, "", "", ".names  ", "\n", "\n", "\n", "", method);
}
