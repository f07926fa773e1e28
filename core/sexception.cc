#include "sexception.h"

#include <utility>

TextException::TextException(const char* class_name, ExceptionText first, ExceptionText second)
    : first_(std::move(first)), second_(std::move(second)) {
  // The present texts joined by ": "; the class name when no text is present.
  if (first_.present()) what_ = first_.str();
  if (second_.present()) what_ += (first_.present() ? ": " : "") + second_.str();
  if (!first_.present() && !second_.present()) what_ = class_name;
}

BadValueNumberWaitException::BadValueNumberWaitException(ExceptionText message, int value)
    : mes_(std::move(message)), value_(value) {
  const std::string number = std::to_string(value_);
  what_ = mes_.present() ? mes_.str() + ": " + number : number;
}
