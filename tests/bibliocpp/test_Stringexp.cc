#include "Stringexp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

expressions_checker declared() {
  expressions_checker c;
  c.add_operator("+", 2);
  c.add_operator("-", 1);
  c.add_factor("(", ")");
  c.add_variable("a");
  c.add_variable("b");
  return c;
}

// The answer and the trace written on stderr.
std::pair<int, std::string> traced(expressions_checker& c, const std::string& text) {
  testing::internal::CaptureStderr();
  int r = c.check(text);
  return {r, testing::internal::GetCapturedStderr()};
}

}  // namespace

TEST(Stringexp, AcceptedAndRefusedWithPositions) {
  expressions_checker c = declared();
  EXPECT_EQ(traced(c, "a + b").first, 0);
  EXPECT_EQ(traced(c, "- a + ( b )").first, 0);
  EXPECT_EQ(traced(c, "(a+b)+-a").first, 0);
  EXPECT_EQ(traced(c, "( ( a ) + ( - b ) )").first, 0);
  EXPECT_EQ(traced(c, "a + + b").first, 7);   // infix where an operand is expected
  EXPECT_EQ(traced(c, "").first, 2);          // an operand was expected
  EXPECT_EQ(traced(c, "a b").first, 5);       // operand where an operator is expected
  EXPECT_EQ(traced(c, "a + c").first, 7);     // undeclared word
  EXPECT_EQ(traced(c, "a -").first, 5);       // prefix operator in infix place
  EXPECT_EQ(traced(c, "( a + b").first, 9);   // unclosed: every token consumed
  EXPECT_EQ(traced(c, "a )").first, 3);       // closer without opener
  EXPECT_EQ(traced(c, "( a ) )").first, 5);
  EXPECT_EQ(traced(c, "( + a )").first, 5);   // error inside a factor stops every level
  EXPECT_EQ(traced(c, "a +").first, 6);       // the end counts one
  EXPECT_EQ(traced(c, "a <= b").first, 5);    // "<=" is two tokens; "<" is unknown
  EXPECT_EQ(c.Stringtype("anything"), 2);

  expressions_checker n = declared();
  n.accept_numbers();
  EXPECT_EQ(traced(n, "a + 12").first, 0);
  EXPECT_EQ(traced(n, "a + x").first, 0);
  EXPECT_EQ(traced(n, "( a )").first, 5);  // "(" is an operand, then "a" is no operator
}

TEST(Stringexp, TraceOfEveryToken) {
  expressions_checker c = declared();
  EXPECT_EQ(traced(c, "a + + b").second, "tok=a state=2\ntok=+ state=1\ntok=+ state=4\n");
  EXPECT_EQ(traced(c, "").second, "tok= state=4\n");
  // The opener's state is written once its factor has been checked.
  EXPECT_EQ(traced(c, "- ( b ) + a").second,
            "tok=- state=1\ntok=(tok=b state=2\ntok=) state=3\n state=2\n"
            "tok=+ state=1\ntok=a state=2\ntok= state=3\n");
}
