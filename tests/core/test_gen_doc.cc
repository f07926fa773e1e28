// The documentation listing of a module with registers, and the plain and LaTeX
// equation listings.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "gen_printers.h"
#include "gen_text_checks.h"

// The state is the registers' status rails (the value rail is its negation); node 1
// (true) shared by the two output equations is defined once.
TEST(GenDoc, ModuleWithRegisters) {
  GenDataScope data;
  std::ostringstream os;
  two_register_module()->DOC_put(os, 0);
  EXPECT_EQ(os.str(),
            "state _s_R1, _s_R2;\n"
            "inputs _s_SETD, _s_RESETD, _s_A, _v_A;\n"
            "outputs _s_RTLD, _s_O, _v_O;\n"
            "locals _s_R1, _v_R1, _s_N1, _v_N1, _s_R2, _v_R2, _s_N2, _v_N2;\n\n"
            "initial _s_R1 and not _s_R2;\n\n"
            "transition\n_s_R1' = _s_N1;\n_s_R2' = _s_N2;\n\n"
            "definitions\n"
            "   node_10:= _s_R1;\n   _v_R1= !node_10\n"
            "   _s_N1= _s_A;\n"
            "   node_14:= _s_R2;\n   _v_R2= !node_14\n"
            "   _s_N2= _s_R1;\n"
            "   node_12:= _s_N1;\n   _v_N1= !node_12\n"
            "   node_16:= _s_N2;\n   _v_N2= !node_16\n"
            "   node_15:= _v_R2;\n   node_1:= !0;\n   node_20:= _s_R1 & node_15 | !_s_R1 & !node_1;\n"
            "   _s_O= node_20\n"
            "   node_21:= _v_R1 & node_1 | !_v_R1 & node_14;\n   _v_O= node_21\n\n");
}

TEST(GenDoc, WithoutRegisters) {
  GenDataScope data;
  TestModule t("N");
  t.eq(t.output("O"), new TrueExpression());
  std::ostringstream os;
  t.date()->DOC_put(os, 0);
  EXPECT_EQ(os.str(), "outputs _s_RTLN, _s_O, _v_O;\n\ndefinitions\n   _s_O= true;\n   _v_O= false;\n\n");
}

// The equations in earliest order; an underscore is "\_" in LaTeX on both sides; false
// is "0"; an entry without a BDD leaves an empty line and an empty item.
TEST(GenDoc, PlainAndLatexListings) {
  GenDataScope data;
  Module* m = two_register_module();
  Bddexpressionwood* w = m->getBddWood();
  std::ostringstream plain, latex;
  Put_bac(*w, plain, 0);
  Put_latex(*w, latex, 0);
  EXPECT_EQ(plain.str(),
            "_v_R1 = not _s_R1;\n_s_N1 = _s_A;\n_v_R2 = not _s_R2;\n_s_N2 = _s_R1;\n_v_N1 = not _s_N1;\n"
            "_v_N2 = not _s_N2;\n_s_O = _s_R1 and _v_R2;\n_v_O = _v_R1 or not _v_R1 and _s_R2;\n");
  EXPECT_EQ(latex.str(),
            "\\begin{itemize}\n\\item $\\_v\\_R1 = \\overline{\\_s\\_R1}$\n\\item $\\_s\\_N1 = \\_s\\_A$\n"
            "\\item $\\_v\\_R2 = \\overline{\\_s\\_R2}$\n\\item $\\_s\\_N2 = \\_s\\_R1$\n"
            "\\item $\\_v\\_N1 = \\overline{\\_s\\_N1}$\n\\item $\\_v\\_N2 = \\overline{\\_s\\_N2}$\n"
            "\\item $\\_s\\_O = \\_s\\_R1.\\_v\\_R2$\n\\item $\\_v\\_O = \\_v\\_R1 + \\overline{\\_v\\_R1}.\\_s\\_R2$\n"
            "\\end{itemize}\n");
  Bddexpression zero("z", w, w->Bdd_var_by_index(0), w->Bdd_zero(), 0, 0), empty(w);
  std::ostringstream z, e;
  put_bac(zero, z, 0);
  put_latex(zero, e, 0);
  EXPECT_EQ(z.str() + "|" + e.str(), "_s_SETD = 0|$\\_s\\_SETD = 0$");
  z.str("");
  put_bac(empty, z, 0);
  put_tree(empty, z);
  EXPECT_EQ(z.str(), "");
  put_tree(zero, z);
  EXPECT_EQ(z.str().substr(0, 9), "_s_SETD=\n");
}
