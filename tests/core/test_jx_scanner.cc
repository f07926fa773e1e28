// The source scanner: every token with its longest match, keywords against identifiers,
// numbers, strings and comments with the line count, and the characters the grammar does
// not know.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "parse_jx.h"
#include "parse_jx.tab.hh"

namespace {

// One token: its code, its value text ("" for none; the number text for INT and REAL) and
// the line on which it ends.
struct Token {
  Token(int code, std::string text = "") : code(code), text(std::move(text)) {}
  int code;
  std::string text;
  int line = 0;
  double real = 0;
  bool operator==(const Token& o) const { return code == o.code && text == o.text; }
};

std::ostream& operator<<(std::ostream& os, const Token& t) { return os << t.code << ":'" << t.text << "'"; }

std::vector<Token> scan(const std::string& input) {
  std::istringstream in(input);
  jxFlexLexer lexer(&in, nullptr);
  std::vector<Token> out;
  for (int code = lexer.yylex(); code != 0; code = lexer.yylex()) {
    Token t(code);
    t.line = lexer.lineno();
    if (code == INT) {
      t.text = *jxlval.integer.text;
      t.real = jxlval.integer.value;
      delete jxlval.integer.text;
    } else if (code == REAL) {
      t.text = *jxlval.real.text;
      t.real = jxlval.real.value;
      delete jxlval.real.text;
    } else if (code == ID || code == STRING) {
      t.text = *jxlval.text;
      delete jxlval.text;
    }
    out.push_back(t);
  }
  return out;
}

std::vector<int> codes(const std::string& input) {
  std::vector<int> out;
  for (const Token& t : scan(input)) out.push_back(t.code);
  return out;
}

Token id(const std::string& text) { return Token(ID, text); }
Token tok(int code) { return Token(code); }

TEST(JxScannerTest, EveryKeywordAndOperator) {
  EXPECT_EQ(codes("module end\ndata: end data Type: Method: Constant: Input: Output: Run: Register: :="),
            (std::vector<int>{MODULE, END, DATA, ENDDATA, TYPE, METHOD, CONSTANT, INPUT, OUTPUT, RUN_DECL, REG_DECL,
                              ASSIGN}));
  EXPECT_EQ(codes("|| >> nothing pause halt present if else loop local wait emit noemit sustain until weak strong "
                  "abort when run \\"),
            (std::vector<int>{PARALLEL, SEQUENCE, NOTHING, PAUSE, HALT, PRESENT, IF, ELSE, LOOP, LOCAL, WAIT, EMIT,
                              NOEMIT, SUSTAIN, UNTIL, WEAK, STRONG, ABORT, WHEN, RUN, BACKSLASH}));
  EXPECT_EQ(codes("automaton state: transition: initial final geometry: value: -> strong-> weak-> normalterm-> "
                  "Mealy Machine"),
            (std::vector<int>{AUTOMATON, STATE, TRANSITION, INIT, FINAL, GEOMETRY, VALUE, ARROW, STRONGARROW,
                              WEAKARROW, NORMALTERMARROW, MEALY_MACHINE}));
  EXPECT_EQ(codes("& and | or ~ not abs nand nor xor FF TT == != < <= > >="),
            (std::vector<int>{AND, AND, OR, OR, NOT, NOT, ABS, NAND, NOR, XOR, FF, TT, EQ_EG, EQ_NEG, EQ_INF,
                              EQ_INFE, EQ_SUP, EQ_SUPE}));
  EXPECT_EQ(codes("# ( ) * + , - . / : ; = [ ] { }"),
            (std::vector<int>{'#', '(', ')', '*', '+', ',', '-', '.', '/', ':', ';', '=', '[', ']', '{', '}'}));
}

TEST(JxScannerTest, LongestMatchAndKeywordsAgainstIdentifiers) {
  EXPECT_EQ(scan("end  data"), (std::vector<Token>{tok(END), id("data")}));
  EXPECT_EQ(scan("end\tdata"), (std::vector<Token>{tok(END), id("data")}));
  EXPECT_EQ(scan("data :"), (std::vector<Token>{id("data"), tok(':')}));
  EXPECT_EQ(scan("MealyMachine Mealy  Machine"), (std::vector<Token>{id("MealyMachine"), id("Mealy"), id("Machine")}));
  EXPECT_EQ(codes("strong -> --> ||| >>> =>"),
            (std::vector<int>{STRONG, ARROW, '-', ARROW, PARALLEL, OR, SEQUENCE, EQ_SUP, '=', EQ_SUP}));
  EXPECT_EQ(scan("module1 end_x TTx TT1 FF_x andy"),
            (std::vector<Token>{id("module1"), id("end_x"), id("TTx"), id("TT1"), id("FF_x"), id("andy")}));
  // A leading underscore is not part of an identifier; the other unknown characters are
  // their own codes.
  EXPECT_EQ(scan("_a ! $ ^ ' \r\f"),
            (std::vector<Token>{tok('_'), id("a"), tok('!'), tok('$'), tok('^'), tok('\''), tok('\r'), tok('\f')}));
}

TEST(JxScannerTest, IntegersAndReals) {
  std::vector<Token> t = scan("12 1. 0.5 -2.25 --1.5 .5 1.5e3 -5 2147483647");
  ASSERT_EQ(t, (std::vector<Token>{{INT, "12"}, {REAL, "1."}, {REAL, "0.5"}, {REAL, "-2.25"}, {REAL, "--1.5"},
                                   tok('.'), {INT, "5"}, {REAL, "1.5"}, id("e3"), tok('-'), {INT, "5"},
                                   {INT, "2147483647"}}));
  EXPECT_EQ(t[0].real, 12);
  EXPECT_EQ(t[1].real, 1.0);
  EXPECT_EQ(t[3].real, -2.25);
  EXPECT_EQ(t[4].real, 0.0);
  EXPECT_EQ(t[11].real, 2147483647.0);
  // Wider than 32 bits signed: the undefined token, never a wrapped value.
  EXPECT_EQ(codes("2147483648 4294967297"), (std::vector<int>{JXUNDEF, JXUNDEF}));
}

TEST(JxScannerTest, StringsCommentsAndLineCount) {
  std::vector<Token> t = scan("\"a b\nc\" x ;; note \"\n\ny \"\" \"a\\\"b\"");
  ASSERT_EQ(t, (std::vector<Token>{{STRING, "a b\nc"}, id("x"), id("y"), {STRING, ""}, {STRING, "a\\"}, id("b"),
                                   tok('"')}));
  EXPECT_EQ(t[0].line, 2);
  EXPECT_EQ(t[1].line, 2);
  EXPECT_EQ(t[2].line, 4);
  // A comment on the last line without its newline is two ";" and words.
  EXPECT_EQ(scan("end\n;; last"), (std::vector<Token>{tok(END), tok(';'), tok(';'), id("last")}));
}

TEST(JxScannerTest, BytesAboveSevenBitsAndZeroAreUndefinedTokens) {
  // Never negative (the parser's end of input), and a zero byte is not the end either.
  std::vector<Token> t = scan("a \xE9 b\n\x80\xFF");
  EXPECT_EQ(t, (std::vector<Token>{id("a"), tok(0xE9), id("b"), tok(0x80), tok(0xFF)}));
  EXPECT_EQ(t[3].line, 2);
  EXPECT_EQ(codes(std::string("a\0b", 3)), (std::vector<int>{ID, JXUNDEF, ID}));
  // Inside strings and comments they are text.
  EXPECT_EQ(scan("\"\xE9t\xE9\" ;; \xC3\xA9\nz"), (std::vector<Token>{{STRING, "\xE9t\xE9"}, id("z")}));
}

}  // namespace
