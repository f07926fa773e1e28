// Source-language reader: the parser object held by Compilation::pjx_parser.
#ifndef PARSE_JX_H
#define PARSE_JX_H

class jxFlexLexer;  // jxFlexLexer(std::istream* in, std::ostream* echo)

class class_jx_parser {
 public:
  class_jx_parser() : plexer(nullptr) {}
  // Runs the source grammar on plexer; each module read goes to Compilation::ModTable
  // and the data declarations to the global data tables.
  void parse();

  jxFlexLexer* plexer;  // scanner in use, set before each parse
};

int jxparse();

#endif
