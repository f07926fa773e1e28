// Boolean-expression parser: precedence, spellings, priorities, refusals and error texts.
#include <gtest/gtest.h>

#include <string>

#include "bddpp.h"

namespace {

class ExpParserTest : public ::testing::Test {
 protected:
  bddpp_manager m;
  bdd a, b, c;
  int prio = -7, err = -7;
  void SetUp() override {
    a = m.New_var_last("a");
    b = m.New_var_last("b");
    c = m.New_var_last("c");
  }
  bdd parse(const std::string& text) { return m.Parse_expression(text, &prio, &err); }
  // Parses text and returns what it wrote on standard error.
  std::string parse_err(const std::string& text, bdd* result = nullptr) {
    testing::internal::CaptureStderr();
    bdd r = parse(text);
    if (result != nullptr) *result = r;
    return testing::internal::GetCapturedStderr();
  }
};

TEST_F(ExpParserTest, PrecedenceAndAssociativity) {
  EXPECT_EQ(parse("a"), a);
  EXPECT_EQ(prio, 0);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(parse("a and b or c"), m.Bdd_or(m.Bdd_and(a, b), c));
  EXPECT_EQ(parse("a or b and c"), m.Bdd_or(a, m.Bdd_and(b, c)));
  EXPECT_EQ(parse("not a and b"), m.Bdd_and(m.Bdd_not(a), b));
  EXPECT_EQ(parse("a or b xor c"), m.Bdd_xor(m.Bdd_or(a, b), c));
  EXPECT_EQ(parse("a xor b or c"), m.Bdd_or(m.Bdd_xor(a, b), c));
  EXPECT_EQ(parse("a xnor b"), m.Bdd_xnor(a, b));
  EXPECT_EQ(parse("not ( a or b ) and c"), m.Bdd_and(m.Bdd_not(m.Bdd_or(a, b)), c));
  EXPECT_EQ(parse("not not a"), a);
  EXPECT_EQ(err, 0);
}

TEST_F(ExpParserTest, SpellingsAndConstants) {
  EXPECT_EQ(parse("a&b"), m.Bdd_and(a, b));
  EXPECT_EQ(parse("a.b|c"), m.Bdd_or(m.Bdd_and(a, b), c));
  EXPECT_NE(parse_err("A_B").find("name \"A_B\" not identificated"), std::string::npos);  // one token
  EXPECT_EQ(err, 1);
  EXPECT_EQ(parse("a+!b"), m.Bdd_or(a, m.Bdd_not(b)));
  EXPECT_EQ(parse("~a AND b OR c XOR a XNOR b"),
            m.Bdd_xnor(m.Bdd_xor(m.Bdd_or(m.Bdd_and(m.Bdd_not(a), b), c), a), b));
  EXPECT_EQ(parse("NOT [ a ]"), m.Bdd_not(a));
  EXPECT_EQ(parse("[a]"), parse("(a)"));
  EXPECT_EQ(parse("a and 1"), a);
  EXPECT_EQ(parse("0 or a"), a);
  EXPECT_EQ(parse("1"), m.Bdd_one());
  EXPECT_EQ(err, 0);
}

TEST_F(ExpParserTest, Priorities) {
  EXPECT_EQ(parse("< 3 > a or b"), m.Bdd_or(a, b));
  EXPECT_EQ(prio, 3);
  parse("< default > a");
  EXPECT_EQ(prio, -1);
  parse("<other>a");
  EXPECT_EQ(prio, -1);
  parse("< 1 > a");
  EXPECT_EQ(prio, 1);
  parse("< 12 > a");
  EXPECT_EQ(prio, 12);
  EXPECT_EQ(err, 0);
  EXPECT_EQ(parse("a"), a);
  EXPECT_EQ(prio, 0);
}

TEST_F(ExpParserTest, EmptyTextAndNullPointers) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(parse(""), m.Bdd_zero());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_EQ(err, 0);
  EXPECT_EQ(prio, 0);
  EXPECT_EQ(m.Parse_expression("< 2 > a and b", nullptr, nullptr), m.Bdd_and(a, b));
  testing::internal::CaptureStderr();
  EXPECT_EQ(m.Parse_expression("a /", nullptr, nullptr), m.Bdd_zero());
  EXPECT_EQ(m.Parse_expression("zz", nullptr, nullptr), m.Bdd_zero());
  testing::internal::GetCapturedStderr();
}

TEST_F(ExpParserTest, EarlyRefusalsSetTheErrorFlag) {
  bdd r;
  EXPECT_EQ(parse_err("a / b", &r), "PARSING ERROR about expression: \"a / b\": / char detection!\n");
  EXPECT_EQ(r, m.Bdd_zero());
  EXPECT_EQ(err, 1);
  err = 0;
  EXPECT_EQ(parse_err("( a", &r), "PARSING ERROR about expression: \"( a\": bad parenthesing!\n");
  EXPECT_EQ(r, m.Bdd_zero());
  EXPECT_EQ(err, 1);
  EXPECT_EQ(prio, 0);
}

TEST_F(ExpParserTest, ActionErrors) {
  bdd r;
  EXPECT_EQ(parse_err("< 0 > a", &r),
            "parsing error in expression: \"0\" is not a correct priority value ...\n"
            "PARSING ERROR about expression: \"< 0 > a\"\n");
  EXPECT_EQ(r, m.Bdd_zero());
  EXPECT_EQ(err, 1);
  EXPECT_EQ(prio, 0);
  EXPECT_EQ(parse_err("< x > a"),
            "parsing error in expression: name \"x\" is not a correct priority value ...\n"
            "PARSING ERROR about expression: \"< x > a\"\n");
  EXPECT_EQ(err, 1);
  EXPECT_EQ(parse_err("a and zz", &r),
            "parsing error in expression: name \"zz\" not identificated ...\n"
            "PARSING ERROR about expression: \"a and zz\"\n");
  EXPECT_EQ(r, m.Bdd_zero());
  EXPECT_EQ(err, 1);
}

TEST_F(ExpParserTest, SyntaxErrors) {
  EXPECT_EQ(parse_err("a b"),
            "syntax error, unexpected TOKEN_STRING, expecting $end\nPARSING ERROR about expression: \"a b\"\n");
  EXPECT_EQ(err, 1);
  EXPECT_EQ(parse_err("[ a"),
            "syntax error, unexpected $end, expecting TOKEN_OR or TOKEN_XOR or TOKEN_XNOR or TOKEN_PAR_FERMANTE\n"
            "PARSING ERROR about expression: \"[ a\"\n");
  EXPECT_EQ(parse_err("a or"), "syntax error, unexpected $end\nPARSING ERROR about expression: \"a or\"\n");
  EXPECT_EQ(parse_err("< 3 a"),
            "syntax error, unexpected TOKEN_STRING, expecting TOKEN_SUP\nPARSING ERROR about expression: \"< 3 a\"\n");
  EXPECT_EQ(err, 1);
  EXPECT_EQ(prio, 0);
}

TEST_F(ExpParserTest, DeepNestingExhaustsTheStack) {
  std::string deep;
  for (int i = 0; i < 10001; ++i) deep += "not ";
  EXPECT_EQ(parse_err(deep + "a"), "memory exhausted\nPARSING ERROR about expression: \"" + deep + "a\"\n");
  EXPECT_EQ(err, 2);
  std::string shallow;
  for (int i = 0; i < 9000; ++i) shallow += "not ";
  EXPECT_EQ(parse(shallow + "a"), a);  // an even number of negations
  EXPECT_EQ(err, 0);
}

}  // namespace
