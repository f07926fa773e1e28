// The C generator: body and header text of hand-worked modules, the file names and the
// failure to open a file.
#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>

#include "compilation.h"
#include "gen_modules.h"

TEST(GenC, Explore) {
  TestModule t("M");
  Signal* a = t.input("A");
  Signal* o = t.output("O");
  Signal* r = t.reg("R", 1, "Rnext");
  t.eq(o, new AndExpression(a, r));
  t.eq(t.sig("Rnext"), new OrExpression(a, t.m->getSet()));
  Module* m = t.date();
  std::ostringstream b, h;
  m->C_put(b, h);
  std::cout << b.str() << "----\n" << h.str() << "=====\n";
  m->finalize(0);
  std::ostringstream b2, h2;
  m->C_put(b2, h2);
  std::cout << b2.str() << "----\n" << h2.str();
}
