#include "Stringexp.h"

#include <iostream>

#include "Stringpp.h"
#include "list.h"

void expressions_checker::accept_numbers() { number_flag_ = 1; }

void expressions_checker::add_operator(const std::string& name, int kind) {
  operator_names_.push_back(name);
  operator_kinds_.push_back(kind);
}

void expressions_checker::add_factor(const std::string& opener, const std::string& closer) {
  openers_.push_back(opener);
  closers_.push_back(closer);
}

void expressions_checker::add_variable(const std::string& name) { variables_.push_back(name); }

int expressions_checker::check(const std::string& text) {
  int depth = 0, stop = 0, position = 1;
  std::string rest = rec_check(text, &depth, &stop, &position);
  return rest.empty() && stop == 0 && depth == 0 ? 0 : position;
}

std::string expressions_checker::rec_check(std::string text, int* depth, int* stop, int* position) {
  int state = 1;
  for (;;) {
    std::string rest;
    std::string tok = next_Stringtoken(text, ' ', &rest);
    std::cerr << "tok=" << tok;
    bool end = tok.empty() || tok == " ";
    bool is_operator = item_in(operator_names_, tok);
    int kind = is_operator ? read_number(operator_kinds_, item_where(operator_names_, tok)) : 0;
    if (state == 1) {
      if (end) {
        state = 4;
      } else if (number_flag_ || item_in(variables_, tok)) {
        state = 2;
      } else if (is_operator) {
        state = kind == 1 ? 1 : 4;
      } else if (item_in(openers_, tok)) {
        ++*depth;
        rest = rec_check(rest, depth, stop, position);
        state = *stop == 0 ? 2 : 4;
      } else {
        state = 4;
      }
    } else {
      if (end) {
        state = 3;
      } else if (is_operator) {
        state = kind == 2 ? 1 : 4;
      } else if (item_in(closers_, tok)) {
        --*depth;
        state = 3;
      } else {
        state = 4;
      }
    }
    std::cerr << " state=" << state << "\n";
    if (state == 3) return rest;
    *position += static_cast<int>(tok.size()) + 1;
    if (state == 4) {
      *stop = 1;
      return rest;
    }
    text = rest;
  }
}

int expressions_checker::Stringtype(const std::string&) const { return 2; }
