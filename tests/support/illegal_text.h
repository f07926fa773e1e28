// Test support: what an IllegalOperationException says.
#ifndef ILLEGAL_TEXT_H
#define ILLEGAL_TEXT_H

#include <string>

#include "sexception.h"

// "operation | argument" of the IllegalOperationException thrown by f ("(none)" without
// argument), or "no exception".
template <typename F>
std::string illegal(F f) {
  try {
    f();
  } catch (const IllegalOperationException& e) {
    return std::string(e.operation_name()) + " | " + (e.argument_name() ? e.argument_name() : "(none)");
  }
  return "no exception";
}

#endif
