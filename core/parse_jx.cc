// Source-language reader: the parser object, the token and error functions of the generated
// grammar and the reader entry point.
#include "parse_jx.h"

#include <istream>

#include "Stringpp.h"
#include "compilation.h"
#include "parse_jx_build.h"

namespace {
// The parser running jxparse (the grammar's token and error functions read its scanner).
class_jx_parser* running = nullptr;
}  // namespace

int class_jx_parser::parse() {
  report.clear();
  if (plexer == nullptr) {
    report = "class_jx_parser::parse: no scanner";
    return 2;
  }
  class_jx_parser* outer = running;
  running = this;
  jx_parse_begin();
  int status = 0;
  try {
    status = jxparse() == 0 ? 0 : 1;
  } catch (const jx_report& r) {
    report = r.what();
    status = r.status;
  } catch (...) {
    jx_parse_undo();
    running = outer;
    throw;
  }
  if (status != 0) jx_parse_undo();
  running = outer;
  return status;
}

int jx_read_source(std::istream& in, std::string& report) {
  class_jx_parser* parser = Compilation::pjx_parser;
  jxFlexLexer lexer(&in, nullptr);
  struct Unset {
    class_jx_parser* parser;
    ~Unset() { parser->plexer = nullptr; }
  } unset{parser};
  parser->plexer = &lexer;
  int status = parser->parse();
  report = parser->report;
  return status;
}

int jxlex() { return running->plexer->yylex(); }

int jx_line() { return running != nullptr && running->plexer != nullptr ? running->plexer->lineno() : 0; }

void jxerror(const char*) {
  jxFlexLexer* lexer = running->plexer;
  running->report = "SYNTAX ERROR at line " + unslong2S(static_cast<unsigned long>(lexer->lineno())) +
                    ": last token read: \"" + lexer->YYText() + "\"\n\n";
}
