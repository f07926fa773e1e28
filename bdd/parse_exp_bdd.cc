// Driver of the boolean-expression parser and bddpp_manager::Parse_expression.
#include "parse_exp_bdd.h"

#include <algorithm>
#include <iostream>

class_exp_bdd_parser* pexp_bdd_parser = nullptr;

class_exp_bdd_parser::class_exp_bdd_parser(bddpp_manager* m) : manager(m), priority(0) {
  pexp_bdd_parser = this;
}

class_exp_bdd_parser::~class_exp_bdd_parser() {
  if (pexp_bdd_parser == this) pexp_bdd_parser = nullptr;
}

int class_exp_bdd_parser::parse(const std::string& text) {
  input = text;
  values.clear();
  texts.clear();
  int code = exp_bddparse();
  values.clear();
  texts.clear();
  return code;
}

int class_exp_bdd_parser::keep(const bdd& f) {
  values.push_back(f);
  return static_cast<int>(values.size() - 1);
}

int class_exp_bdd_parser::keep_text(const std::string& s) {
  texts.push_back(s);
  return static_cast<int>(texts.size() - 1);
}

bdd bddpp_manager::Parse_expression(const std::string& text, int* priority, int* error) {
  if (priority != nullptr) *priority = 0;
  if (text.empty()) {
    if (error != nullptr) *error = 0;
    return Bdd_zero();
  }
  if (text.find('/') != std::string::npos) {
    std::cerr << "PARSING ERROR about expression: \"" << text << "\": / char detection!" << std::endl;
    if (error != nullptr) *error = 1;
    return Bdd_zero();
  }
  if (std::count(text.begin(), text.end(), '(') != std::count(text.begin(), text.end(), ')')) {
    std::cerr << "PARSING ERROR about expression: \"" << text << "\": bad parenthesing!" << std::endl;
    if (error != nullptr) *error = 1;
    return Bdd_zero();
  }
  class_exp_bdd_parser driver(this);
  int code = driver.parse(text);
  if (error != nullptr) *error = code;
  if (code != 0) {
    std::cerr << "PARSING ERROR about expression: \"" << text << "\"" << std::endl;
    return Bdd_zero();
  }
  if (priority != nullptr) *priority = driver.prio();
  return driver.bddexpression();
}
