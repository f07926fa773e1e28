// Source-language reader: the parser object, the token and error functions of the generated
// grammar and the reader entry point.
#include "parse_jx.h"

#include <istream>

#include "Stringpp.h"
#include "compilation.h"
#include "module.h"
#include "parse_jx_build.h"

namespace {
// The parser running jxparse (the grammar's token and error functions read its scanner).
class_jx_parser* running = nullptr;

// The refusal of the parse under way, while TheModule is still there: the line of name, or of
// the last token read when the scanner did not read that name.
Refusal refusal_here(const class_jx_parser& p, const std::string& name, const std::string& what,
                     const std::string& system) {
  Refusal r;
  const int seen = name.empty() ? 0 : p.line_of(name);
  r.line = seen > 0 ? seen : p.plexer->lineno();
  if (TheModule != nullptr) r.module = TheModule->getName();
  r.what = what;
  r.system = system;
  return r;
}

}  // namespace

int class_jx_parser::line_of(const std::string& name) const {
  const std::size_t n = recent_names.size();
  for (std::size_t k = 1; k <= n && k <= names_read; ++k) {
    const auto& recent = recent_names[(names_read - k) % n];
    if (recent.first == name) return recent.second;
  }
  return 0;
}

int class_jx_parser::parse() {
  report.clear();
  refusal = Refusal();
  names_read = 0;
  if (plexer == nullptr) {
    report = "class_jx_parser::parse: no scanner";
    refusal.system = report;
    return 2;
  }
  class_jx_parser* outer = running;
  running = this;
  jx_parse_begin();
  int status = 0;
  try {
    status = jxparse() == 0 ? 0 : 1;
    if (status != 0) refusal = refusal_here(*this, std::string(), std::string(), report);
  } catch (const jx_report& r) {
    report = r.what();
    status = r.status;
    refusal = refusal_here(*this, r.name, r.what_wrong, report);
  } catch (const std::exception& e) {
    refusal = refusal_here(*this, refusal_name(e), refusal_what(e, TheModule, std::string()), refusal_system(e));
    jx_parse_undo();
    running = outer;
    throw;
  } catch (...) {
    jx_parse_undo();
    running = outer;
    throw;
  }
  if (status != 0) jx_parse_undo();
  running = outer;
  return status;
}

int jx_read_source(std::istream& in, std::string& report) { return jx_read_source(in, report, nullptr); }

int jx_read_source(std::istream& in, std::string& report, Refusal* refusal) {
  class_jx_parser* parser = Compilation::pjx_parser;
  jxFlexLexer lexer(&in, nullptr);
  struct Unset {
    class_jx_parser* parser;
    Refusal* refusal;
    ~Unset() {
      parser->plexer = nullptr;
      if (refusal != nullptr) *refusal = parser->refusal;
    }
  } unset{parser, refusal};
  parser->plexer = &lexer;
  int status = parser->parse();
  report = parser->report;
  return status;
}

int jxlex() { return running->plexer->yylex(); }

void jx_name_read(const std::string& name, int line) {
  if (running == nullptr) return;
  auto& slot = running->recent_names[running->names_read++ % running->recent_names.size()];
  slot.first.assign(name);
  slot.second = line;
}

int jx_line() { return running != nullptr && running->plexer != nullptr ? running->plexer->lineno() : 0; }

void jxerror(const char*) {
  jxFlexLexer* lexer = running->plexer;
  running->report = "SYNTAX ERROR at line " + unslong2S(static_cast<unsigned long>(lexer->lineno())) +
                    ": last token read: \"" + lexer->YYText() + "\"\n\n";
}
