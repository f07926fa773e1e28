#include "refusal.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <typeinfo>
#include <vector>

#include "compilation.h"
#include "g_exit.h"
#include "module.h"
#include "sexception.h"

namespace {

std::string text_of(const char* t) { return t != nullptr ? t : ""; }

std::string without_trailing_blanks(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ' || s.back() == '\t')) s.pop_back();
  return s;
}

bool starts_with(const std::string& s, const char* prefix) {
  return s.compare(0, std::string(prefix).size(), prefix) == 0;
}

bool is_input(const Module* m, const std::string& name) { return m != nullptr && m->getInputSignal(name) != nullptr; }
bool is_output(const Module* m, const std::string& name) { return m != nullptr && m->getOutputSignal(name) != nullptr; }

std::string module_text(const Module* m) { return m != nullptr ? m->getName() : std::string("the caller"); }

// A signal the reader did not find where it looked: a test, an emission or a Mealy name.
std::string unknown_signal(const std::string& s, const Module* m) {
  if (is_output(m, s))
    return s + " is an output of module " + m->getName() + ": only inputs and local signals can be tested";
  if (is_input(m, s))
    return s + " is an input of module " + m->getName() + ": only outputs and local signals can be emitted";
  return s + " is not a declared signal";
}

std::string run_signal(const RunUnknownSignalException& e, const Module* m, const std::string& run) {
  const std::string mes = text_of(e.mes()), s = text_of(e.sig_name());
  const std::string k = run.empty() ? std::string("the called module") : run;
  const std::string head = run.empty() ? std::string() : "run " + run + ": ";
  if (mes == "undeclared") return s + ", renamed in a run, is not a declared signal";
  if (mes == "not ouput expected")
    return head + "output " + s + " of " + k + " is neither renamed nor an output or local signal of " + module_text(m);
  if (mes == "not input expected")
    return head + "input " + s + " of " + k + " is neither renamed nor an input or local signal of " + module_text(m);
  if (mes == "output signal renames an input signal") return head + s + ", an output, renames an input of " + k;
  if (mes == "input signal renames an output signal") return head + s + ", an input, renames an output of " + k;
  if (starts_with(mes, "renames no input or output of the called module"))
    return head + s + ", renamed, is neither an input nor an output of " + k;
  return head + "signal " + s;
}

std::string illegal_operation(const IllegalOperationException& e) {
  const std::string op = text_of(e.operation_name()), arg = text_of(e.argument_name());
  if (op == "Run module already exists: ") return "module " + arg + " has two Run: declarations";
  if (starts_with(op, "ex1:Run module undefined") || starts_with(op, "ex2:Run module undefined") ||
      op == "Run: called module  not defined in file")
    return "run " + arg + ": no module " + arg + " is defined in the source or given by a Run: declaration";
  if (op == "Run: compiled called module declared but not provided: ")
    return "run " + arg + ": the compiled module " + arg + " of its Run: declaration cannot be read";
  if (op == "Run: ambiguous called module: ")
    return "run " + arg + ": module " + arg + " is both in the source and in a compiled file";
  if (op == "Run: recursive module call: ") return "run " + arg + ": module " + arg + " runs itself";
  if (op == "Run: called module already finalised: ")
    return "run " + arg + ": module " + arg + " is finalised already; a run includes a module as compiled";
  return std::string();
}

}  // namespace

std::string Refusal::message(const std::string& file) const {
  std::string out = file + ":";
  if (line > 0) out += std::to_string(line) + ":";
  out += " ";
  if (!module.empty()) out += "module " + module + ": ";
  const std::string text = without_trailing_blanks(system);
  out += what.empty() ? text : what + " (" + text + ")";
  return out + "\n";
}

std::string refusal_what(const std::exception& e, const Module* m, const std::string& run) {
  if (auto* x = dynamic_cast<const ModuleUnknownSignalException*>(&e)) return unknown_signal(text_of(x->sig_name()), m);
  if (auto* x = dynamic_cast<const StatementSignalException*>(&e)) {
    const std::string s = text_of(x->op_name());
    if (s == " constant right part is not a Boolean value") return "a constant of a Mealy equation is 0 or 1";
    return unknown_signal(s, m);
  }
  if (auto* x = dynamic_cast<const RunUnknownSignalException*>(&e)) return run_signal(*x, m, run);
  if (dynamic_cast<const LoopInstantBranchException*>(&e) != nullptr)
    return "a branch of a parallel in this loop ends in the instant it starts, which the compiler reads as a "
           "dependance cycle through the loop; write that branch before the others in sequence, as "
           "`emit F >> wait A` for `emit F || wait A`";
  if (auto* x = dynamic_cast<const BadValueNumberWaitException*>(&e))
    return "wait " + std::to_string(x->value()) + ": the count is out of range";
  if (auto* x = dynamic_cast<const UndefinedTypeException*>(&e))
    return "type " + text_of(x->name()) + " is not declared in the data part";
  if (auto* x = dynamic_cast<const UndefinedMethodException*>(&e))
    return "method " + text_of(x->name()) + " is not declared in the data part";
  if (auto* x = dynamic_cast<const ModuleUndefinedConstantException*>(&e))
    return "constant " + text_of(x->const_name()) + " is not declared in the data part";
  if (auto* x = dynamic_cast<const AlreadyDefinedException*>(&e))
    return text_of(x->object_name()) + " is declared twice in the data part";
  if (auto* x = dynamic_cast<const HashTableAddException*>(&e)) {
    const std::string n = text_of(x->name());
    if (m != nullptr && n == m->getName()) return "module " + n + " is defined twice";
    if (x->function_name() == nullptr) return n + " is renamed twice in a run";
    return std::string();
  }
  std::string what;
  if (auto* x = dynamic_cast<const IllegalOperationException*>(&e)) what = illegal_operation(*x);
  if (what.empty() && !run.empty()) what = "run " + run;
  return what;
}

std::string refusal_system(const std::exception& e) {
  if (dynamic_cast<const std::runtime_error*>(&e) != nullptr) return e.what();  // a report, a fatal end
  int failed = 0;
  std::unique_ptr<char, void (*)(void*)> name(abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &failed),
                                              std::free);
  const std::string cls = failed == 0 && name != nullptr ? name.get() : typeid(e).name();
  const std::string what = e.what();
  return what == cls ? cls : cls + ": " + what;
}

std::string refusal_name(const std::exception& e) {
  if (auto* x = dynamic_cast<const ModuleUnknownSignalException*>(&e)) return text_of(x->sig_name());
  if (auto* x = dynamic_cast<const StatementSignalException*>(&e)) return text_of(x->op_name());
  if (auto* x = dynamic_cast<const RunUnknownSignalException*>(&e)) return text_of(x->sig_name());
  if (auto* x = dynamic_cast<const UndefinedTypeException*>(&e)) return text_of(x->name());
  if (auto* x = dynamic_cast<const UndefinedMethodException*>(&e)) return text_of(x->name());
  if (auto* x = dynamic_cast<const ModuleUndefinedConstantException*>(&e)) return text_of(x->const_name());
  if (auto* x = dynamic_cast<const AlreadyDefinedException*>(&e)) return text_of(x->object_name());
  if (auto* x = dynamic_cast<const HashTableAddException*>(&e)) return text_of(x->name());
  if (auto* x = dynamic_cast<const IllegalOperationException*>(&e)) return text_of(x->argument_name());
  return std::string();
}

// ----- where the compiler is -----

namespace {

// Innermost last; one compile at a time (the compile may run on a thread of its own, but the
// calling thread waits for it).
std::vector<CompilePlace>& places() {
  static std::vector<CompilePlace> p;
  return p;
}

CompilePlace& refused() {
  static CompilePlace r;
  return r;
}

}  // namespace

CompileScope::CompileScope(const std::string& module) : uncaught_(std::uncaught_exceptions()) {
  if (places().empty()) refused() = CompilePlace();  // a new compile from the top
  places().push_back(CompilePlace{module, std::string()});
}

CompileScope::~CompileScope() {
  // The innermost scope that an exception leaves is the first to see it.
  if (std::uncaught_exceptions() > uncaught_ && refused().module.empty()) refused() = places().back();
  places().pop_back();
}

RunScope::RunScope(const std::string& called, int line) : uncaught_(std::uncaught_exceptions()) {
  if (places().empty() || !places().back().run.empty()) return;
  places().back().run = called;
  places().back().run_line = line;
  marked_ = true;
}

RunScope::~RunScope() {
  if (!marked_ || std::uncaught_exceptions() != uncaught_) return;
  places().back().run.clear();
  places().back().run_line = 0;
}

CompilePlace refused_compile_place() { return refused(); }

Refusal compile_refusal(const std::exception& e, const std::string& shown) {
  const CompilePlace place = refused_compile_place();
  const Module* m = Compilation::ModTable != nullptr ? Compilation::ModTable->get(place.module) : nullptr;
  Refusal r;
  r.module = place.module;
  if (auto* loop = dynamic_cast<const LoopInstantBranchException*>(&e))
    r.line = loop->line();
  else if (!place.run.empty())
    r.line = place.run_line;
  r.what = refusal_what(e, m, place.run);
  const g_exit_error* end = dynamic_cast<const g_exit_error*>(&e);
  if (end != nullptr && end->written && !shown.empty())
    r.system = shown;  // its last text
  else
    r.system = shown.empty() ? refusal_system(e) : shown + "\n" + refusal_system(e);
  return r;
}
