// Text forms of equations and systems, and the list templates over handles and equations.
#include <gtest/gtest.h>

#include <sstream>

#include "list.h"
#include "pert_test_util.h"

namespace {
std::string doc(const Bddexpression* e, const std::string& node = "node") {
  std::ostringstream os;
  e->put_doc(os, node);
  return os.str();
}
}  // namespace

TEST(Text, DocumentationLines) {
  test_system s;
  EXPECT_EQ(doc(s.eq("_s_X", s.w->Bdd_one())), "   _s_X= true;");
  EXPECT_EQ(doc(s.eq("_s_Z", s.w->Bdd_zero())), "   _s_Z= false;");
  EXPECT_EQ(doc(s.eq("_s_W", s.v("_s_Y"))), "   _s_W= _s_Y;");
  EXPECT_EQ(doc(new Bddexpression("_s_V", s.w, s.v("_s_V"), bdd(), 0, 0)), "   _s_V= ???");
  Bddexpression no_var(s.w);
  EXPECT_EQ(doc(&no_var), "   not defined!");
  Bddexpression no_system;
  EXPECT_EQ(doc(&no_system), "");
  auto* e = s.eq("_s_A", s.w->Bdd_not(s.w->Bdd_and(s.v("_s_Y"), s.v("_s_B"))));
  std::string n1 = std::to_string(s.w->Bdd_and(s.v("_s_Y"), s.v("_s_B")).node()->global_id());
  std::string n2 = std::to_string(s.v("_s_B").node()->global_id());
  std::string t = std::to_string(s.w->Bdd_one().node()->global_id());
  EXPECT_EQ(doc(e), "   _s_A   node_" + n2 + ":= _s_B;\n   node_" + t + ":= !0;\n   node_" + n1 +
                        ":= _s_Y & node_" + n2 + " | !_s_Y & !node_" + t + ";\n   _s_A= !node_" + n1);
  EXPECT_EQ(doc(e), doc(e));  // marks left by an earlier walk do not shorten the network
}

TEST(Text, DebugForms) {
  test_system s;
  auto* e = s.eq("x", s.w->Bdd_or(s.v("a"), s.w->Bdd_not(s.v("b"))), 3);
  std::ostringstream os;
  os << *e;
  std::ostringstream address;
  address << static_cast<const void*>(e);
  EXPECT_EQ(os.str(), "(" + address.str() + ") <x> [type:3]x = a + !b  weight: 1 usertype: 3");
  EXPECT_EQ(e->debug_in_string(), "<x> x = a + !b  weight: 1 usertype: 3");
  e->setExpDef("EXT");
  EXPECT_EQ(e->debug_in_string(), "<x> x = a + !bwarning ABSTRACTION by EXT()!  weight: 1 usertype: 3");
  std::set<long> deps;
  auto* abs = new Bddexpression(s.var("y"), s.w, deps, "F", 0, 0);
  EXPECT_EQ(abs->debug_in_string(), "<y> y = F()  weight: 1 usertype: 0");
  Bddexpression loose;
  loose.exp_def = "G";
  EXPECT_EQ(loose.debug_in_string(), "<> - = G()");
  std::ostringstream lustre;
  bdd f = s.w->Bdd_and(s.v("a"), s.w->Bdd_not(s.v("b")));
  s.eq("z", f)->put_lustre_compatibilite(lustre, 1);
  EXPECT_EQ(lustre.str(), "  z= " + s.m()->Print_sop_to_String(" or ", " and ", "not ", "", f, 1) + ";");
}

TEST(Text, CompiledModuleRecords) {
  test_system s;
  for (int i = 0; i < 7; ++i) s.var("v" + std::to_string(i));
  auto* e = s.eq("x", s.w->Bdd_not(s.w->Bdd_and(s.v("v0"), s.v("v1"))));
  ASSERT_EQ(s.id("x"), 7);
  e->earliest_date = 2;
  s.w->latest(7) = 4;
  e->bdd_exp.node()->local_id(5);
  long renumber[8] = {0, 1, -1, -1, -1, -1, -1, 3};
  std::ostringstream os;
  e->put_jxc(os, renumber);
  EXPECT_EQ(os.str(), "2 4 3:5,-1,(0 1 )");
  std::ostringstream old;
  e->put_jxc_2_0_4(old, renumber);
  EXPECT_EQ(old.str(), "2 4 3:5,-1");
  // a kept equation without right side, and a dependence that the file does not keep
  std::set<long> deps{0, 2};
  auto* abs = new Bddexpression(s.var("y"), s.w, deps, "VALUE_SIGNAL", 1, 0);
  long renumber2[9] = {0, 1, -1, -1, -1, -1, -1, 3, 4};
  std::ostringstream os2;
  abs->put_jxc(os2, renumber2);
  EXPECT_EQ(os2.str(), "1 0 4:-3,-3,(0 -1 )");
}

TEST(Text, EquationSectionOfTheFile) {
  test_system s;
  s.var("a");
  s.var("b");
  auto* x = s.eq("x", s.w->Bdd_and(s.v("a"), s.v("b")));
  std::set<long> deps{0};
  new Bddexpression(s.var("y"), s.w, deps, "VALUE_SIGNAL", 0, 0);
  s.eq("hidden", s.v("a"));
  s.w->compute_dates();
  long renumber[5] = {0, 1, 2, 3, -1};
  std::ostringstream os;
  s.w->Put_jxc(os, renumber, 0);
  std::string text = os.str();
  size_t at = text.find("expressions:\n");
  ASSERT_NE(at, std::string::npos);
  std::ostringstream records;
  records << "1 0 2:" << x->bdd_exp.node()->local_id() << ",1,(0 1 )\n"
          << "1 0 3:-3,-3,(0 )\n";
  EXPECT_EQ(text.substr(at + 13), records.str());
  // with comments, every line of a documentation network starts with "//"
  std::ostringstream commented;
  s.w->Put_jxc(commented, renumber, 1);
  std::string c = commented.str();
  std::istringstream lines(c.substr(c.find("expressions:\n") + 13));
  std::string line;
  int comment_lines = 0;
  while (std::getline(lines, line)) {
    if (line.empty()) continue;
    if (line.rfind("//", 0) == 0) {
      ++comment_lines;
      continue;
    }
    EXPECT_TRUE(isdigit(static_cast<unsigned char>(line[0]))) << line;
  }
  EXPECT_GE(comment_lines, 5);
  EXPECT_NE(c.find("// no generate expression about:4:   hidden= a;\n\n"), std::string::npos);
}

TEST(Text, SystemListingAndStatistics) {
  test_system s;
  s.var("a");
  s.eq("b", s.v("a"));
  s.w->compute_dates();
  std::ostringstream os;
  s.w->stat(os);
  std::ostringstream address;
  address << static_cast<const void*>(s.w);
  EXPECT_EQ(os.str(),
            "wood Bddexpression statistics:\n  - adress: " + address.str() +
                "\n  - bbd variables number of the bdd manager: 2\n  - variables number used : 2\n"
                "  - arrays's length  : 2\n  - expression ids set {1}\n  - nb levels 2\n"
                "      level: 0\n        early date: \n        late date: 1 \n"
                "      level: 1\n        early date: 1 \n        late date: \n"
                "      level: 2\n        early date: \n        late date: \n"
                "\n   earliest date sorting:\n1 \n\n   latest date sorting:\n1 \n\n");
  std::ostringstream all;
  all << *s.w;
  std::string text = all.str();
  EXPECT_NE(text.find("Equations list:\n0: a = - dates (0,1)  to vars {1}\n1: ("), std::string::npos);
  EXPECT_NE(text.find("b = a  weight: 1 usertype: 0 dates (1,0) from vars {0}  to vars {}\n"), std::string::npos);
}

// The listing of a system, shown by the error reports, leaves out a right side of more than 100
// products (a parity of 8 variables has 128); the equation printed alone keeps every product.
TEST(Text, SystemListingLeavesOutLargeSumsOfProducts) {
  test_system s;
  bdd parity = s.w->Bdd_zero();
  for (int i = 0; i < 8; ++i) parity = s.m()->Bdd_xor(parity, s.v("x" + std::to_string(i)));
  s.eq("p", parity);
  s.eq("q", s.m()->Bdd_and(s.v("x0"), s.v("x1")));
  std::ostringstream all, one;
  all << *s.w;
  one << *s.at("p");
  EXPECT_NE(all.str().find("p = (more than 100 products, not listed)  weight: 1"), std::string::npos);
  EXPECT_NE(all.str().find("q = x0 * x1  weight: 1"), std::string::npos);
  size_t products = 0;
  for (size_t at = one.str().find(" + "); at != std::string::npos; at = one.str().find(" + ", at + 1)) ++products;
  EXPECT_EQ(products + 1, 128u);
}

TEST(Text, ReduceProposition) {
  test_system s;
  s.eq("k", s.w->Bdd_one());
  EXPECT_EQ(s.w->reduce_proposition(), s.w->Bdd_one());
  s.eq("x", s.w->Bdd_and(s.v("a"), s.v("b")));
  EXPECT_EQ(s.w->reduce_proposition(), s.w->Bdd_and(s.v("a"), s.v("b")));
  testing::internal::CaptureStderr();
  s.w->delete_prefixe_names("_");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "a faire\n");
}

TEST(Text, ListTemplatesOverHandlesAndEquations) {
  test_system s;
  std::list<bdd> handles{s.v("a"), s.v("b")};
  bdd* array = array_convert(handles);
  EXPECT_EQ(array[1], s.v("b"));
  delete[] array;
  std::list<Bddexpression> eqs;
  eqs.push_back(Bddexpression(*s.eq("x", s.v("a"))));
  Bddexpression* copies = array_convert(eqs);
  EXPECT_TRUE(copies[0] == eqs.front());
  delete[] copies;
  std::ostringstream os;
  std::list<Bddexpression*> pointers{nullptr};
  os << pointers;
  EXPECT_EQ(os.str(), "(0)");
  std::ostringstream os2;
  os2 << eqs;
  EXPECT_NE(os2.str().find("<x> [type:0]x = a"), std::string::npos);
  std::ostringstream os3;
  os3 << std::list<bdd>();
  EXPECT_EQ(os3.str(), "()");
}
