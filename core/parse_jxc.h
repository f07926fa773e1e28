// Compiled-module (.jxc) reader: the parser object, one parse at a time.
#ifndef PARSE_JXC_H
#define PARSE_JXC_H

#include <fstream>
#include <list>
#include <string>

class Module;
class jxcFlexLexer;  // jxcFlexLexer(std::istream* in, std::ostream* echo)

class class_jxc_parser {
 public:
  // Empties the instance names and the global signal list, zeroes the counters and
  // registers this object as the current compiled-module parser.
  class_jxc_parser();
  // Frees the global signal list and the two instance names only.
  ~class_jxc_parser();
  class_jxc_parser(const class_jxc_parser&) = delete;
  class_jxc_parser& operator=(const class_jxc_parser&) = delete;

  // Runs jxcparse on plexer; 0 on success (pmodule_parse then holds the module with
  // its equations, signals, registers and bindings), non-zero on a syntax error.
  int parse(std::fstream& log, int explain, std::string& instance, std::string& run_instance);

  jxcFlexLexer* plexer = nullptr;
  Module* pmodule_parse = nullptr;
  std::list<std::string>* awaited_input_list = nullptr;
  std::list<std::string>* awaited_output_list = nullptr;
};

int jxcparse();

#endif
