// Source-language (.jx) reader: the scanner class, the parser object held by
// Compilation::pjx_parser (one parse at a time) and the entry points.
#ifndef PARSE_JX_H
#define PARSE_JX_H

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <utility>

#include "refusal.h"

// jxFlexLexer(std::istream* in, std::ostream* echo): the generated scanner defines
// JX_SCANNER_CLASS before including this header, having declared the class itself.
#ifndef JX_SCANNER_CLASS
#define JX_SCANNER_CLASS 1
#undef yyFlexLexer
#define yyFlexLexer jxFlexLexer
#include <FlexLexer.h>
#undef yyFlexLexer
#endif

class class_jx_parser {
 public:
  class_jx_parser() : plexer(nullptr) {}
  class_jx_parser(const class_jx_parser&) = delete;
  class_jx_parser& operator=(const class_jx_parser&) = delete;

  // Runs the source grammar on plexer. 0: the whole input was accepted; each module read
  // is in Compilation::ModTable and the data declarations in the global data tables.
  // 1: a syntax error, a parser stack grown past 10000 entries or a fatal report of an
  // action; 2: the input could not be read (or no scanner is set). report then holds the
  // text the entry point writes and shows. Exceptions of the actions pass through.
  // A failed parse (status or exception) is undone: the modules it added to ModTable are
  // taken out and freed with the one under construction, and the global data tables are
  // those from before the parse.
  int parse();

  jxFlexLexer* plexer;  // scanner in use, set before each parse
  std::string report;   // "" after a successful parse
  // After a failed parse (status or exception): the line of the name it is about (else of the
  // last token read), the module being read, what is wrong and the report or the exception's
  // text. Empty after a successful one.
  Refusal refusal;
  // The last identifiers read in this parse with their lines, a ring: an action refuses a name
  // within a few tokens of reading it (a method call within its arguments), and a ring costs
  // the scanner a copy of a short text where a table of every name would cost a look-up.
  std::array<std::pair<std::string, int>, 256> recent_names;
  std::size_t names_read = 0;
  // The line on which the identifier was last read among the recent ones; 0 when not there.
  int line_of(const std::string& name) const;
};

// Reads one source from in with a scanner of its own, set in Compilation::pjx_parser for
// the parse and cleared afterwards: the status and report of class_jx_parser::parse. The
// reader behind Compilation::jx_parse, which ends the process on a non-zero status.
int jx_read_source(std::istream& in, std::string& report);
// The same; refusal (when not null) receives the parser's refusal, also when an exception passes.
int jx_read_source(std::istream& in, std::string& report, Refusal* refusal);

// The grammar (generated): 0 accepted, 1 syntax error, 2 stack exhausted.
int jxparse();
// The grammar's token function: the next token of Compilation::pjx_parser's scanner.
int jxlex();
// Records "SYNTAX ERROR at line N: last token read: \"<text>\"\n\n" as the parser's report
// (the message argument is not used).
void jxerror(const char* message);
// The scanner has read the identifier on that line (noted for the parser running, if any).
void jx_name_read(const std::string& name, int line);

#endif
