// The Esterel generator: the module of a small module worked by hand and the name
// checks, before and after finalising.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "gen_printers.h"
#include "gen_text_checks.h"

namespace {

std::string esterel(Module* m) {
  std::ostringstream os;
  m->ESTEREL_put(os, 0);
  return os.str();
}


}  // namespace

// The wires under the names the equations read; the input value rail is an input, not
// a local as well.
TEST(GenEsterel, SmallModule) {
  GenDataScope data;
  EXPECT_EQ(esterel(small_module()),
            "module S:\n"
            "input _s_SETS, _v_SETS, _s_RESETS, _v_RESETS, _s_A, _v_A ;\n"
            "output _s_RTLS, _v_RTLS, _s_O, _v_O ;\n\n"
            "signal _s_R,\n       _v_R,\n       _s_Rn,\n       _v_Rn in\n\n"
            "  [\n    emit _s_R;\n    run my_pre [signal _s_Rn / S, _s_R / preS]\n  ]\n  ||\n"
            "  loop\n  [\n"
            "  present [not _s_R] then\n    emit _v_R\n  end present\n  ||\n"
            "  present [_s_A] then\n    emit _s_Rn\n  end present\n  ||\n"
            "  present [_s_A and _s_R] then\n    emit _s_O\n  end present\n  ||\n"
            "  present [not _s_Rn] then\n    emit _v_Rn\n  end present\n  ||\n"
            "  present [_v_A or not _v_A and _v_R] then\n    emit _v_O\n  end present\n"
            "  ]\n  each tick\nend signal \nend module\n\n");
}

TEST(GenEsterel, NamesDeclaredOnceAndEmittedOnce) {
  GenDataScope data;
  Module* m = checked_module();
  std::string text = esterel(m);
  EXPECT_EQ(check_esterel(text).faults(), "") << text;
  finalise_quietly(m);
  text = esterel(m);
  EXPECT_EQ(check_esterel(text).faults(), "") << text;
}

// Constants: "tick" and "not tick"; no register, no local: the loop alone.
TEST(GenEsterel, ConstantsWithoutRegistersOrLocals) {
  GenDataScope data;
  TestModule t("K");
  t.eq(t.output("O"), new TrueExpression());
  std::string text = esterel(t.date());
  EXPECT_NE(text.find("  present [tick] then\n    emit _s_O\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  present [not tick] then\n    emit _v_O\n"), std::string::npos) << text;
  EXPECT_EQ(text.find("my_pre"), std::string::npos);
  EXPECT_EQ(text.find("end signal"), std::string::npos);
}
