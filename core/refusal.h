// What a user reads when the source reader or the compiler refuses a program: one message that
// names the file, the line on which the reader met the name (when it knows one), the module, what
// is wrong with the name in words, and the system's own text (an exception's what(), a report, a
// fatal end's text), kept whole.
#ifndef REFUSAL_H
#define REFUSAL_H

#include <exception>
#include <string>

class Module;

struct Refusal {
  int line = 0;        // 0: not known
  std::string module;  // "" outside a module
  std::string what;    // "" when the system's text says it all
  std::string system;  // the system's text

  // "<file>:<line>: module <M>: <what> (<system>)" and a newline, the system's text without its
  // trailing blanks and newlines; the line, the module and the parentheses are left out when
  // absent.
  std::string message(const std::string& file) const;
};

// What is wrong, said of an exception of the reader or the compiler: m is the module being read
// or compiled (null: none), run the module called by the Run it was compiling ("" for none).
// "" for an exception that names nothing the user wrote; "run <K>" for another exception of a
// Run.
std::string refusal_what(const std::exception& e, const Module* m, const std::string& run);

// The system's own text of an exception: its class and what() for the exceptions of the module
// model, what() alone for a report or a fatal end.
std::string refusal_system(const std::exception& e);

// The name that an exception of the reader or the compiler is about ("" for none): the signal,
// type, method, constant or module.
std::string refusal_name(const std::exception& e);

// ----- where the compiler is -----

// The innermost module being compiled, the module that its Run under way includes and the
// line of that Run in the source (0: unknown).
struct CompilePlace {
  std::string module;
  std::string run;
  int run_line = 0;
};

// Module::compile's mark, for its life (and a caller's around the other steps of a module, such
// as finalize or a writer): the module is the innermost one being compiled. When an
// exception (or a fatal end under a throwing exit handler) leaves the compile, the place it
// leaves is kept as the refused place, the innermost first, until the next compile from the top.
class CompileScope {
 public:
  explicit CompileScope(const std::string& module);
  ~CompileScope();
  CompileScope(const CompileScope&) = delete;
  CompileScope& operator=(const CompileScope&) = delete;

 private:
  int uncaught_;
};

// A Run's mark while it includes its called module into the innermost module being compiled, or
// asks it whether it reincarnates: the place's run and its line, cleared when the Run is done,
// kept when an exception leaves it. A place that has a run already keeps it: the Runs that the
// called module's body holds are asked through the one that the module compiled holds.
class RunScope {
 public:
  RunScope(const std::string& called, int line);
  ~RunScope();
  RunScope(const RunScope&) = delete;
  RunScope& operator=(const RunScope&) = delete;

 private:
  int uncaught_;
  bool marked_ = false;
};

// The place that the last failed compile left; empty when none.
CompilePlace refused_compile_place();

// The refusal of a failed compile, made once the compile has ended: e is the exception that
// left it (the g_exit_error of a fatal end under a throwing exit handler among them), shown the
// reports that the compile showed before it ended ("" for none), which go before e's text (a
// fatal end's text that was shown already is not repeated). The module is the refused place's
// (read from Compilation::ModTable); the line is a refused loop's, else its Run's when the
// refusal left a Run.
Refusal compile_refusal(const std::exception& e, const std::string& shown);

#endif
