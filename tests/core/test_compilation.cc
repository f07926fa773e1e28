#include "compilation.h"

#include <gtest/gtest.h>

#include <iostream>
#include <stdexcept>

#include "module.h"
#include "parse_jx.h"
#include "sexception.h"

TEST(Compilation, KindCodesAlternateStatusAndValue) {
  const int codes[] = {Compilation::STAT,    Compilation::VAL,     Compilation::SINPUT,
                       Compilation::VINPUT,  Compilation::SOUTPUT, Compilation::VOUTPUT,
                       Compilation::SREG,    Compilation::VREG,    Compilation::SWIRE,
                       Compilation::VWIRE,   Compilation::SCLOCK,  Compilation::VCLOCK};
  for (int i = 0; i < 12; ++i) {
    EXPECT_EQ(codes[i], i + 1);
    EXPECT_EQ(Compilation::isStatusType(codes[i]), i % 2 == 0) << codes[i];
    EXPECT_EQ(Compilation::isValueType(codes[i]), i % 2 == 1) << codes[i];
  }
}

TEST(Compilation, PredicatesOnZeroAndNegatives) {
  EXPECT_FALSE(Compilation::isStatusType(-1));
  EXPECT_FALSE(Compilation::isStatusType(0));
  EXPECT_FALSE(Compilation::isValueType(-1));
  EXPECT_TRUE(Compilation::isValueType(0));
  EXPECT_TRUE(Compilation::isValueType(-2));
}

TEST(Compilation, BddNameToSignalName) {
  EXPECT_EQ(Compilation::bddNameToSignalName("_s_ALARM_2"), "ALARM_2");
  EXPECT_EQ(Compilation::bddNameToSignalName("_v_"), "");
  EXPECT_THROW(Compilation::bddNameToSignalName("_s"), std::out_of_range);
  EXPECT_THROW(Compilation::bddNameToSignalName(""), std::out_of_range);
}

TEST(Compilation, InitialState) {
  EXPECT_EQ(Compilation::GDataConstIndex, -1);
  const bool flags[] = {
      Compilation::VHDLALTERAFlag, Compilation::BLIFFlag,         Compilation::CSHARPFlag,
      Compilation::CFlag,          Compilation::SMVFlag,          Compilation::CheckOverKnowledgeFlag,
      Compilation::ForgetLocalsNameFlag, Compilation::KeepWiresFlag, Compilation::VersionFlag,
      Compilation::HelpFlag,       Compilation::SaveFlag,         Compilation::MainFlag,
      Compilation::ZarsFlag,       Compilation::TemplateZarsFlag, Compilation::ValuedSimulFlag,
      Compilation::PureSimulFlag,  Compilation::DebugFlag};
  for (bool f : flags) EXPECT_FALSE(f);
  EXPECT_EQ(Compilation::GDataTypeTable, nullptr);
  EXPECT_EQ(Compilation::GDataMethodTable, nullptr);
  EXPECT_EQ(Compilation::GDataConstantTable, nullptr);

  ASSERT_NE(Compilation::EmptyString, nullptr);
  EXPECT_TRUE(Compilation::EmptyString->empty());
  ASSERT_NE(Compilation::pjx_parser, nullptr);
  EXPECT_EQ(Compilation::pjx_parser->plexer, nullptr);

  ASSERT_NE(Compilation::JxcModTable, nullptr);
  ASSERT_NE(Compilation::ModTable, nullptr);
  EXPECT_NE(Compilation::JxcModTable, Compilation::ModTable);
  EXPECT_TRUE(Compilation::ModTable->table->empty());
  EXPECT_TRUE(Compilation::JxcModTable->table->empty());
  EXPECT_EQ(Compilation::ModTable->out, &std::cout);
  EXPECT_EQ(Compilation::JxcModTable->out, &std::cout);
}

TEST(ModuleTable, AddTwiceThrowsAndKeepsFirst) {
  // Modules are only stored, never dereferenced: stand-in addresses suffice.
  int a = 0, b = 0;
  Module* first = reinterpret_cast<Module*>(&a);
  Module* second = reinterpret_cast<Module*>(&b);
  ModuleTable t;
  EXPECT_EQ(t.out, &std::cout);
  EXPECT_EQ(t.get("Top"), nullptr);
  t.add("Top", first);
  EXPECT_EQ(t.get("Top"), first);
  EXPECT_EQ(t.get("top"), nullptr);
  EXPECT_EQ(t.get("Top "), nullptr);
  try {
    t.add("Top", second);
    ADD_FAILURE() << "no exception";
  } catch (const HashTableAddException& e) {
    EXPECT_STREQ(e.name(), "Top");
    EXPECT_EQ(e.function_name(), nullptr);
  }
  EXPECT_EQ(t.get("Top"), first);
  EXPECT_EQ(t.table->size(), 1u);
  t.add("Sub", second);
  EXPECT_EQ(t.get("Sub"), second);
}
