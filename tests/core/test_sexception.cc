#include "sexception.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <type_traits>

namespace {

std::string temp(const char* s) { return std::string(s); }

}  // namespace

TEST(Sexception, TextsOutliveTheThrowersStrings) {
  std::unique_ptr<IllegalOperationException> e;
  {
    std::string op = "Module::getSignalNameById: no signal reference for this bdd id";
    e.reset(new IllegalOperationException(op, std::to_string(42)));
    op.assign(op.size(), '#');
  }
  EXPECT_STREQ(e->operation_name(), "Module::getSignalNameById: no signal reference for this bdd id");
  EXPECT_STREQ(e->argument_name(), "42");
  EXPECT_STREQ(e->what(), "Module::getSignalNameById: no signal reference for this bdd id: 42");

  HashTableAddException h(temp("M"), temp("ModuleTable::add"));
  EXPECT_STREQ(h.name(), "M");
  EXPECT_STREQ(h.function_name(), "ModuleTable::add");
  EXPECT_STREQ(h.what(), "M: ModuleTable::add");
}

TEST(Sexception, AbsentTextIsNullAndDistinctFromEmpty) {
  IllegalOperationException absent("EquationTable::add: no Signal ref", nullptr);
  EXPECT_EQ(absent.argument_name(), nullptr);
  EXPECT_STREQ(absent.what(), "EquationTable::add: no Signal ref");

  IllegalOperationException empty("Register not declared local! ", "");
  ASSERT_NE(empty.argument_name(), nullptr);
  EXPECT_STREQ(empty.argument_name(), "");
  EXPECT_STREQ(empty.what(), "Register not declared local! : ");

  // One-text constructors leave the second text absent.
  EXPECT_EQ(HashTableAddException("A").function_name(), nullptr);
  EXPECT_STREQ(HashTableAddException("A").what(), "A");
  EXPECT_EQ(ModuleAlreadyAssignedSignalException("S").mod_name(), nullptr);
  EXPECT_EQ(ModuleUnknownSignalException("S").mod_name(), nullptr);
  EXPECT_STREQ(ModuleUnknownSignalException("S", "Top").mod_name(), "Top");
  EXPECT_STREQ(ModuleUnknownSignalException("S", "Top").what(), "S: Top");
}

TEST(Sexception, CopyOwnsItsTexts) {
  std::unique_ptr<IllegalOperationException> original(
      new IllegalOperationException(temp("Interface::getInputSignal"), temp("I")));
  IllegalOperationException copy(*original);
  EXPECT_NE(copy.operation_name(), original->operation_name());
  original.reset();
  EXPECT_STREQ(copy.operation_name(), "Interface::getInputSignal");
  EXPECT_STREQ(copy.argument_name(), "I");
  EXPECT_STREQ(copy.what(), "Interface::getInputSignal: I");
}

TEST(Sexception, WhatOfEveryClass) {
  EXPECT_STREQ(AbstractMethodCallException("Expression", "getBddStatus").what(),
               "Expression: getBddStatus");
  EXPECT_STREQ(AbstractMethodCallException("Expression", "getBddStatus").class_name(), "Expression");
  EXPECT_STREQ(ModulePertFailureException().what(), "ModulePertFailureException");
  EXPECT_STREQ(ModuleBddFailureException().what(), "ModuleBddFailureException");
  ModuleUndefinedConstantException c("constant", "constant_table");
  EXPECT_STREQ(c.const_name(), "constant");
  EXPECT_STREQ(c.what(), "constant: constant_table");
  EXPECT_STREQ(ModuleNotMainException("M").what(), "M");
  EXPECT_STREQ(AlreadyDefinedException("f", "overloading_of_method_not_yet_implemented").what(),
               "f: overloading_of_method_not_yet_implemented");
  EXPECT_STREQ(AlreadyDefinedException("k", "constant").context_name(), "constant");
  EXPECT_STREQ(UndefinedMethodException("method").name(), "method");
  EXPECT_STREQ(UndefinedTypeException("12x").what(), "12x");
  EXPECT_STREQ(UndefinedStateException("S0").name(), "S0");

  BadValueNumberWaitException b("is a bad number for wait", -3);
  EXPECT_STREQ(b.mes(), "is a bad number for wait");
  EXPECT_EQ(b.value(), -3);
  EXPECT_STREQ(b.what(), "is a bad number for wait: -3");
  EXPECT_STREQ(BadValueNumberWaitException(nullptr, 7).what(), "7");

  RunUnknownSignalException r("output signal renames an input signal", "O");
  EXPECT_STREQ(r.sig_name(), "O");
  EXPECT_STREQ(r.what(), "output signal renames an input signal: O");
  EXPECT_STREQ(StatementSignalException("emit").op_name(), "emit");
  EXPECT_STREQ(StatementWireException("rtl").wire_type(), "rtl");
  EXPECT_STREQ(StatementWireException("rtl").what(), "rtl");
  // No text at all: the class name still tells what failed.
  EXPECT_STREQ(StatementWireException(nullptr).what(), "StatementWireException");
  EXPECT_STREQ(HashTableAddException(nullptr, nullptr).what(), "HashTableAddException");
}

TEST(Sexception, CaughtAsStandardException) {
  static_assert(std::is_base_of<std::exception, StatementWireException>::value, "");
  static_assert(std::is_base_of<std::exception, BadValueNumberWaitException>::value, "");
  try {
    throw StatementWireException(temp("reset"));
  } catch (const std::exception& e) {
    EXPECT_STREQ(e.what(), "reset");
  }
}
