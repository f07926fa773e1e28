// Exceptions of the module model and the compilation services.
// Each object owns copies of its texts; a text given as null stays absent (its
// getter returns nullptr), which is distinct from an empty text. what() names what
// failed and where: the present texts joined by ": ", or the class name when none.
#ifndef SEXCEPTION_H
#define SEXCEPTION_H

#include <exception>
#include <string>
#include <utility>

// An owned text that may be absent. Built implicitly from a C string (null: absent)
// or a std::string (always present), so throw sites may pass either.
class ExceptionText {
 public:
  ExceptionText() = default;
  ExceptionText(const char* text) : present_(text != nullptr), text_(text != nullptr ? text : "") {}
  ExceptionText(const std::string& text) : present_(true), text_(text) {}

  const char* get() const { return present_ ? text_.c_str() : nullptr; }
  bool present() const { return present_; }
  const std::string& str() const { return text_; }

 private:
  bool present_ = false;
  std::string text_;
};

// Common body of the exceptions that carry one or two texts.
class TextException : public std::exception {
 public:
  const char* what() const noexcept override { return what_.c_str(); }

 protected:
  TextException(const char* class_name, ExceptionText first, ExceptionText second = ExceptionText());
  const char* first() const { return first_.get(); }
  const char* second() const { return second_.get(); }

 private:
  ExceptionText first_;
  ExceptionText second_;
  std::string what_;
};

class IllegalOperationException : public TextException {
 public:
  IllegalOperationException(ExceptionText operation, ExceptionText argument)
      : TextException("IllegalOperationException", std::move(operation), std::move(argument)) {}
  const char* operation_name() const { return first(); }
  const char* argument_name() const { return second(); }
};

class HashTableAddException : public TextException {
 public:
  explicit HashTableAddException(ExceptionText name)
      : TextException("HashTableAddException", std::move(name)) {}
  HashTableAddException(ExceptionText name, ExceptionText function)
      : TextException("HashTableAddException", std::move(name), std::move(function)) {}
  const char* name() const { return first(); }
  const char* function_name() const { return second(); }
};

class AbstractMethodCallException : public TextException {
 public:
  AbstractMethodCallException(ExceptionText class_name, ExceptionText method)
      : TextException("AbstractMethodCallException", std::move(class_name), std::move(method)) {}
  const char* class_name() const { return first(); }
  const char* method_name() const { return second(); }
};

class ModulePertFailureException : public std::exception {
 public:
  ModulePertFailureException() = default;
  const char* what() const noexcept override { return "ModulePertFailureException"; }
};

class ModuleBddFailureException : public std::exception {
 public:
  ModuleBddFailureException() = default;
  const char* what() const noexcept override { return "ModuleBddFailureException"; }
};

class ModuleUndefinedConstantException : public TextException {
 public:
  ModuleUndefinedConstantException(ExceptionText constant, ExceptionText module)
      : TextException("ModuleUndefinedConstantException", std::move(constant), std::move(module)) {}
  const char* const_name() const { return first(); }
  const char* mod_name() const { return second(); }
};

class ModuleNotMainException : public TextException {
 public:
  explicit ModuleNotMainException(ExceptionText module)
      : TextException("ModuleNotMainException", std::move(module)) {}
  const char* mod_name() const { return first(); }
};

class ModuleAlreadyAssignedSignalException : public TextException {
 public:
  explicit ModuleAlreadyAssignedSignalException(ExceptionText signal)
      : TextException("ModuleAlreadyAssignedSignalException", std::move(signal)) {}
  ModuleAlreadyAssignedSignalException(ExceptionText signal, ExceptionText module)
      : TextException("ModuleAlreadyAssignedSignalException", std::move(signal), std::move(module)) {}
  const char* sig_name() const { return first(); }
  const char* mod_name() const { return second(); }
};

class ModuleUnknownSignalException : public TextException {
 public:
  explicit ModuleUnknownSignalException(ExceptionText signal)
      : TextException("ModuleUnknownSignalException", std::move(signal)) {}
  ModuleUnknownSignalException(ExceptionText signal, ExceptionText module)
      : TextException("ModuleUnknownSignalException", std::move(signal), std::move(module)) {}
  const char* sig_name() const { return first(); }
  const char* mod_name() const { return second(); }
};

class AlreadyDefinedException : public TextException {
 public:
  AlreadyDefinedException(ExceptionText object, ExceptionText context)
      : TextException("AlreadyDefinedException", std::move(object), std::move(context)) {}
  const char* object_name() const { return first(); }
  const char* context_name() const { return second(); }
};

class UndefinedMethodException : public TextException {
 public:
  explicit UndefinedMethodException(ExceptionText name)
      : TextException("UndefinedMethodException", std::move(name)) {}
  const char* name() const { return first(); }
};

class UndefinedTypeException : public TextException {
 public:
  explicit UndefinedTypeException(ExceptionText name)
      : TextException("UndefinedTypeException", std::move(name)) {}
  const char* name() const { return first(); }
};

class UndefinedStateException : public TextException {
 public:
  explicit UndefinedStateException(ExceptionText name)
      : TextException("UndefinedStateException", std::move(name)) {}
  const char* name() const { return first(); }
};

class BadValueNumberWaitException : public std::exception {
 public:
  BadValueNumberWaitException(ExceptionText message, int value);
  const char* mes() const { return mes_.get(); }
  int value() const { return value_; }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText mes_;
  int value_;
  std::string what_;
};

class RunUnknownSignalException : public TextException {
 public:
  RunUnknownSignalException(ExceptionText message, ExceptionText signal)
      : TextException("RunUnknownSignalException", std::move(message), std::move(signal)) {}
  const char* mes() const { return first(); }
  const char* sig_name() const { return second(); }
};

class StatementSignalException : public TextException {
 public:
  explicit StatementSignalException(ExceptionText operation)
      : TextException("StatementSignalException", std::move(operation)) {}
  const char* op_name() const { return first(); }
};

// A loop whose body, as compiled, reads its own start at its end only through a parallel's
// branch that ends in the instant it starts beside a branch that waits: restarting the body
// would close a dependance cycle. The loop's name and its source line (0: not known).
class LoopInstantBranchException : public TextException {
 public:
  LoopInstantBranchException(ExceptionText loop, int line)
      : TextException("LoopInstantBranchException", std::move(loop)), line_(line) {}
  const char* loop_name() const { return first(); }
  int line() const { return line_; }

 private:
  int line_;
};

class StatementWireException : public TextException {
 public:
  explicit StatementWireException(ExceptionText wire)
      : TextException("StatementWireException", std::move(wire)) {}
  const char* wire_type() const { return first(); }
};

#endif
