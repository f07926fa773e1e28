// Syntax check of an infix expression against a declared vocabulary: prefix and infix operators,
// bracket pairs (factors), variable names, and optionally any word as an operand. Tokens are
// those of next_Stringtoken with a blank separator, so a name that is not one token never
// matches. Every token examined is traced on stderr as "tok=<token> state=<new state>".
#ifndef BIBLIOCPP_STRINGEXP_H
#define BIBLIOCPP_STRINGEXP_H

#include <list>
#include <string>

class expressions_checker {
 public:
  expressions_checker() = default;

  // Every token then counts as an operand, openers and operators included.
  void accept_numbers();
  void add_operator(const std::string& name, int kind);  // kind 1 prefix, 2 infix, else unusable
  // Openers and closers are not matched pair by pair: any closer ends any opened factor.
  void add_factor(const std::string& opener, const std::string& closer);
  void add_variable(const std::string& name);

  // 0 for a correct expression; otherwise 1 + the lengths of the tokens consumed up to the
  // offending one included + one per token (the column after it when tokens are one blank apart).
  int check(const std::string& text);
  // The checker's loop over one level of factors: states 1 (operand expected), 2 (operator or
  // closer expected), 3 (closer or end found: returns), 4 (error: sets *stop, returns). Adds each
  // consumed token's length plus one to *position, opens and closes factors on *depth, and
  // returns the text after the last token taken.
  std::string rec_check(std::string text, int* depth, int* stop, int* position);
  int Stringtype(const std::string& text) const;  // always 2

 private:
  int number_flag_ = 0;
  std::list<int> operator_kinds_;  // parallel to operator_names_
  std::list<std::string> operator_names_;
  std::list<std::string> openers_;
  std::list<std::string> closers_;
  std::list<std::string> variables_;
};

#endif
