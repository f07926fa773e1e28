#include "sexception.h"

#include <initializer_list>
#include <utility>

namespace {

// The present texts joined by ": "; the class name when no text is present.
std::string describe(const char* class_name, std::initializer_list<const ExceptionText*> texts) {
  std::string out;
  bool any = false;
  for (const ExceptionText* t : texts) {
    if (!t->present()) continue;
    if (any) out += ": ";
    out += t->str();
    any = true;
  }
  return any ? out : std::string(class_name);
}

}  // namespace

IllegalOperationException::IllegalOperationException(ExceptionText operation, ExceptionText argument)
    : operation_name_(std::move(operation)),
      argument_name_(std::move(argument)),
      what_(describe("IllegalOperationException", {&operation_name_, &argument_name_})) {}

HashTableAddException::HashTableAddException(ExceptionText name)
    : HashTableAddException(std::move(name), ExceptionText()) {}

HashTableAddException::HashTableAddException(ExceptionText name, ExceptionText function)
    : name_(std::move(name)),
      function_name_(std::move(function)),
      what_(describe("HashTableAddException", {&name_, &function_name_})) {}

AbstractMethodCallException::AbstractMethodCallException(ExceptionText class_name, ExceptionText method)
    : class_name_(std::move(class_name)),
      method_name_(std::move(method)),
      what_(describe("AbstractMethodCallException", {&class_name_, &method_name_})) {}

ModuleUndefinedConstantException::ModuleUndefinedConstantException(ExceptionText constant,
                                                                   ExceptionText module)
    : const_name_(std::move(constant)),
      mod_name_(std::move(module)),
      what_(describe("ModuleUndefinedConstantException", {&const_name_, &mod_name_})) {}

ModuleNotMainException::ModuleNotMainException(ExceptionText module)
    : mod_name_(std::move(module)), what_(describe("ModuleNotMainException", {&mod_name_})) {}

ModuleAlreadyAssignedSignalException::ModuleAlreadyAssignedSignalException(ExceptionText signal)
    : ModuleAlreadyAssignedSignalException(std::move(signal), ExceptionText()) {}

ModuleAlreadyAssignedSignalException::ModuleAlreadyAssignedSignalException(ExceptionText signal,
                                                                           ExceptionText module)
    : sig_name_(std::move(signal)),
      mod_name_(std::move(module)),
      what_(describe("ModuleAlreadyAssignedSignalException", {&sig_name_, &mod_name_})) {}

ModuleUnknownSignalException::ModuleUnknownSignalException(ExceptionText signal)
    : ModuleUnknownSignalException(std::move(signal), ExceptionText()) {}

ModuleUnknownSignalException::ModuleUnknownSignalException(ExceptionText signal, ExceptionText module)
    : sig_name_(std::move(signal)),
      mod_name_(std::move(module)),
      what_(describe("ModuleUnknownSignalException", {&sig_name_, &mod_name_})) {}

AlreadyDefinedException::AlreadyDefinedException(ExceptionText object, ExceptionText context)
    : object_name_(std::move(object)),
      context_name_(std::move(context)),
      what_(describe("AlreadyDefinedException", {&object_name_, &context_name_})) {}

UndefinedMethodException::UndefinedMethodException(ExceptionText name)
    : name_(std::move(name)), what_(describe("UndefinedMethodException", {&name_})) {}

UndefinedTypeException::UndefinedTypeException(ExceptionText name)
    : name_(std::move(name)), what_(describe("UndefinedTypeException", {&name_})) {}

UndefinedStateException::UndefinedStateException(ExceptionText name)
    : name_(std::move(name)), what_(describe("UndefinedStateException", {&name_})) {}

BadValueNumberWaitException::BadValueNumberWaitException(ExceptionText message, int value)
    : mes_(std::move(message)), value_(value) {
  const std::string number = std::to_string(value_);
  what_ = mes_.present() ? mes_.str() + ": " + number : number;
}

RunUnknownSignalException::RunUnknownSignalException(ExceptionText message, ExceptionText signal)
    : mes_(std::move(message)),
      sig_name_(std::move(signal)),
      what_(describe("RunUnknownSignalException", {&mes_, &sig_name_})) {}

StatementSignalException::StatementSignalException(ExceptionText operation)
    : op_name_(std::move(operation)), what_(describe("StatementSignalException", {&op_name_})) {}

StatementWireException::StatementWireException(ExceptionText wire)
    : wire_type_(std::move(wire)), what_(describe("StatementWireException", {&wire_type_})) {}
