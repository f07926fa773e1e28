// Exceptions of the module model and the compilation services.
// Each object owns copies of its texts; a text given as null stays absent (its
// getter returns nullptr), which is distinct from an empty text. what() names what
// failed and where: the present texts joined by ": ", or the class name when none.
#ifndef SEXCEPTION_H
#define SEXCEPTION_H

#include <exception>
#include <string>

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

class IllegalOperationException : public std::exception {
 public:
  IllegalOperationException(ExceptionText operation, ExceptionText argument);
  const char* operation_name() const { return operation_name_.get(); }
  const char* argument_name() const { return argument_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText operation_name_;
  ExceptionText argument_name_;
  std::string what_;
};

class HashTableAddException : public std::exception {
 public:
  explicit HashTableAddException(ExceptionText name);
  HashTableAddException(ExceptionText name, ExceptionText function);
  const char* name() const { return name_.get(); }
  const char* function_name() const { return function_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText name_;
  ExceptionText function_name_;
  std::string what_;
};

class AbstractMethodCallException : public std::exception {
 public:
  AbstractMethodCallException(ExceptionText class_name, ExceptionText method);
  const char* class_name() const { return class_name_.get(); }
  const char* method_name() const { return method_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText class_name_;
  ExceptionText method_name_;
  std::string what_;
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

class ModuleUndefinedConstantException : public std::exception {
 public:
  ModuleUndefinedConstantException(ExceptionText constant, ExceptionText module);
  const char* const_name() const { return const_name_.get(); }
  const char* mod_name() const { return mod_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText const_name_;
  ExceptionText mod_name_;
  std::string what_;
};

class ModuleNotMainException : public std::exception {
 public:
  explicit ModuleNotMainException(ExceptionText module);
  const char* mod_name() const { return mod_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText mod_name_;
  std::string what_;
};

class ModuleAlreadyAssignedSignalException : public std::exception {
 public:
  explicit ModuleAlreadyAssignedSignalException(ExceptionText signal);
  ModuleAlreadyAssignedSignalException(ExceptionText signal, ExceptionText module);
  const char* sig_name() const { return sig_name_.get(); }
  const char* mod_name() const { return mod_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText sig_name_;
  ExceptionText mod_name_;
  std::string what_;
};

class ModuleUnknownSignalException : public std::exception {
 public:
  explicit ModuleUnknownSignalException(ExceptionText signal);
  ModuleUnknownSignalException(ExceptionText signal, ExceptionText module);
  const char* sig_name() const { return sig_name_.get(); }
  const char* mod_name() const { return mod_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText sig_name_;
  ExceptionText mod_name_;
  std::string what_;
};

class AlreadyDefinedException : public std::exception {
 public:
  AlreadyDefinedException(ExceptionText object, ExceptionText context);
  const char* object_name() const { return object_name_.get(); }
  const char* context_name() const { return context_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText object_name_;
  ExceptionText context_name_;
  std::string what_;
};

class UndefinedMethodException : public std::exception {
 public:
  explicit UndefinedMethodException(ExceptionText name);
  const char* name() const { return name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText name_;
  std::string what_;
};

class UndefinedTypeException : public std::exception {
 public:
  explicit UndefinedTypeException(ExceptionText name);
  const char* name() const { return name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText name_;
  std::string what_;
};

class UndefinedStateException : public std::exception {
 public:
  explicit UndefinedStateException(ExceptionText name);
  const char* name() const { return name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText name_;
  std::string what_;
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

class RunUnknownSignalException : public std::exception {
 public:
  RunUnknownSignalException(ExceptionText message, ExceptionText signal);
  const char* mes() const { return mes_.get(); }
  const char* sig_name() const { return sig_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText mes_;
  ExceptionText sig_name_;
  std::string what_;
};

class StatementSignalException : public std::exception {
 public:
  explicit StatementSignalException(ExceptionText operation);
  const char* op_name() const { return op_name_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText op_name_;
  std::string what_;
};

class StatementWireException : public std::exception {
 public:
  explicit StatementWireException(ExceptionText wire);
  const char* wire_type() const { return wire_type_.get(); }
  const char* what() const noexcept override { return what_.c_str(); }

 private:
  ExceptionText wire_type_;
  std::string what_;
};

#endif
