// The C generator: pieces of the body and header worked by hand, the outputs read
// through their pointers, and the file names and failures of its opener.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <iostream>
#include <sstream>
#include <string>

#include "gen_equations.h"
#include "gen_modules.h"
#include "test_scope.h"

namespace {

struct CText {
  std::string body, header;
};

CText c_text(Module* m) {
  std::ostringstream b, h;
  m->C_put(b, h);
  return {b.str(), h.str()};
}

}  // namespace

// Variables: SETG 0,1  RESETG 2,3  RTLG 4,5  A 6,7  O 8,9  R 10,11  Rn 12,13  V 14,15
// VData_v0 16,17  OData_o1 18,19.
TEST(GenC, ModuleNotFinalised) {
  GenDataScope data;
  CText t = c_text(golden_module());
  EXPECT_EQ(t.header,
            "#ifndef G_H\n#define G_H\n#include \"G_typedecl.h\"\nextern const int int_zero;\n"
            "extern int twice(int);\n\nextern const int K2;\n"
            "extern void G_reset_automaton( int _s_SETG, int _s_RESETG, int  _s_A, int _s_A_val, int  _v_A, int "
            "_v_A_val, int* _s_RTLG, int*_s_O, int* _s_O_val, int*_v_O, int* _v_O_val);\n"
            "extern void G_automaton(int _s_A, int _s_A_val, int  _v_A, int _v_A_val, int*_s_O, int* _s_O_val, "
            "int*_v_O, int* _v_O_val);\n#endif\n");
  EXPECT_EQ(text_between(t.body, "#include", "void G_reset"),
            "#include \"G.h\"\n#define false 0\n#define true (!false)\n\n"
            "/* Following types should be defined in file \"G_typedecl.h\":\nint;\n*/\nconst int K = 3;\n"
            "/* global state variables */\nint _s_R;\n\n");
  EXPECT_EQ(text_between(t.body, "void G_reset", "void G_automaton"),
            "void G_reset_automaton( int _s_SETG, int _s_RESETG, int _s_A, int _s_A_val, int _v_A, int _v_A_val, "
            "int* _s_RTLG, int*_s_O, int* _s_O_val, int*_v_O, int* _v_O_val)\n{\n  _s_R= 1;\n}\n\n");
  // The input value rail is a parameter, not a local flag as well.
  EXPECT_EQ(text_between(t.body, "void G_automaton", "  static int"),
            "void G_automaton(int _s_A, int _s_A_val, int _v_A, int _v_A_val, int*_s_O, int* _s_O_val, int*_v_O, "
            "int* _v_O_val)\n{\n  int _v_R;\n  int _s_Rn;\n  int _v_Rn;\n  int _s_V;\n  int _v_V;\n"
            "  int _s_VData_v0;\n  int _v_VData_v0;\n  int _s_OData_o1;\n  int _v_OData_o1;\n"
            "  int  _s_V_val = int_zero;\n");
  EXPECT_NE(t.body.find("  static int G_node["), std::string::npos);
  // The emission of V is followed by its value block once, after its status equation.
  EXPECT_EQ(text_between(t.body, "   if (_s_V)", "   _v_VData_v0"),
            "   if (_s_V) \n      {\n          if (_s_VData_v0) \n            {\n"
            "               _s_V_val = _s_A_val * 3;\n            }\n         else\n            {\n"
            "               _s_V_val = int_zero;\n            }\n         }\n");
  EXPECT_EQ(text_between(t.body, "    if (*O)", "\n  /* refresh"),
            "    if (*O)\n      {\n        if (_s_OData_o1) {*O_val = _s_A_val + 1;}\n"
            "        else { *O_val = int_zero;}\n      }\n");
  EXPECT_EQ(text_between(t.body, "\n  /* refresh", "@"), "\n  /* refresh registers */\n  _s_R= _s_Rn;\n\n}\n\n");
}

// O := B, P := O, Q := not O (whose value rail is O's status): a read of O is a read
// through its pointer.
TEST(GenC, OutputsAreReadThroughTheirPointers) {
  TestModule t("P");
  Signal* b = t.input("B");
  Signal *o = t.output("O"), *p = t.output("P"), *q = t.output("Q");
  t.eq(o, b);
  t.eq(p, o);
  t.eq(q, new NotExpression(o));
  Module* m = t.date();
  testing::internal::CaptureStderr();
  m->finalize(0);
  testing::internal::GetCapturedStderr();
  CText c = c_text(m);
  EXPECT_NE(c.header.find("extern void P_automaton(int B, int*O, int*P, int*Q);"), std::string::npos);
  EXPECT_NE(c.body.find("\n  *O= B;\n"), std::string::npos);
  EXPECT_NE(c.body.find("\n  *P= (*O);\n"), std::string::npos);
  EXPECT_NE(c.body.find("\n   v_v_Q= (*O);\n"), std::string::npos) << c.body;
}

// One equation: the positive variable, the negation of a variable, a constant, and the
// prefix and suffix around every name.
TEST(GenC, EquationText) {
  TestModule t("E");
  Signal *x = t.local("X"), *y = t.local("Y"), *z = t.local("Z");
  Bddexpressionwood* w = t.w;
  auto eq = [&](Signal* s, const bdd& f) {
    return new Bddexpression("e", w, w->Bdd_var_by_index(s->getBddStatusId(t.m, w)), f, 0, 0);
  };
  bdd vy = w->Bdd_var_by_index(y->getBddStatusId(t.m, w));
  std::list<std::string> none, pointers{"_s_Z"};
  std::ostringstream os;
  put_c(*eq(x, vy), os, "A", none);
  EXPECT_EQ(os.str(), "   _s_X= _s_Y;");
  os.str("");
  w->my_bdd_manager()->Bdd_global_clear_marks();
  put_c(*eq(x, w->Bdd_not(vy)), os, "A", none, "p.", "_x");
  long node = vy.node()->global_id();
  EXPECT_EQ(os.str(), "  A[" + std::to_string(node) + "]= p._s_Y_x;\n   p._s_X_x= !A[" + std::to_string(node) + "];");
  os.str("");
  put_c(*eq(z, w->Bdd_zero()), os, "A", pointers);
  EXPECT_EQ(os.str(), "   A[1]= !0;\n  *_s_Z= !A[1];");
}

// ----- files -----

class GenCFiles : public ::testing::Test {
 protected:
  GenDataScope data;
  ScratchDir dir{"gen_c_files"};
  RecordedBoxes boxes;
  void print(const std::string& output_file) {
    Module::OutputFile = output_file;
    TestModule t("F");
    t.eq(t.output("O"), t.input("A"));
    testing::internal::CaptureStderr();
    t.date()->printC();
    err = testing::internal::GetCapturedStderr();
  }
  bool exists(const std::string& name) const {
    struct stat st;
    return stat((dir.path + "/" + name).c_str(), &st) == 0;
  }
  std::string err;
};

TEST_F(GenCFiles, NamesFromTheOutputFile) {
  // Without an output file the names have no directory: the module name in the current one.
  print("");
  EXPECT_TRUE(std::ifstream("F.c").good() && std::ifstream("F.h").good());
  std::remove("F.c");
  std::remove("F.h");
  const std::vector<std::pair<std::string, std::pair<std::string, std::string>>> cases = {
      {"out", {"out.c", "out.h"}},
      {"x.c", {"x.c", "x.h"}},
      {"a.cfg", {"a.cfg", "a.c.h"}},
      {"x.c.h", {"x.c.h", "x.c.h.h"}},  // the two names would be one file
  };
  for (const auto& c : cases) {
    print(dir.path + "/" + c.first);
    std::string body = read_text(dir.path + "/" + c.second.first);
    std::string header = read_text(dir.path + "/" + c.second.second);
    EXPECT_EQ(body.rfind("#include \"F.h\"", 0), 0u) << c.first;
    EXPECT_EQ(header.rfind("#ifndef F_H", 0), 0u) << c.first;
    // The module was finalised first: the Set and Reset wires are no parameters.
    EXPECT_NE(header.find("extern void F_reset_automaton(int A, int*O);"), std::string::npos) << header;
  }
  EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(GenCFiles, AFileThatDoesNotOpenWritesNothing) {
  print(dir.path + "/none/x.c");
  EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Cannot open output file: " + dir.path + "/none/x.c: No such file or directory",
                                                   "Cannot open output file: " + dir.path + "/none/x.h: No such file or directory"}));
  EXPECT_NE(err.find("Cannot open output file: " + dir.path + "/none/x.c: No such file or directory\n"), std::string::npos);
  // The body opens but the header does not: the body keeps its old text.
  write_text(dir.path + "/y.c", "old");
  ASSERT_EQ(mkdir((dir.path + "/y.h").c_str(), 0700), 0);
  boxes.texts.clear();
  print(dir.path + "/y.c");
  EXPECT_EQ(boxes.texts, std::vector<std::string>{"Cannot open output file: " + dir.path + "/y.h: Is a directory"});
  EXPECT_EQ(read_text(dir.path + "/y.c"), "old");
  // A file the failed call created is removed.
  ASSERT_EQ(mkdir((dir.path + "/v.h").c_str(), 0700), 0);
  print(dir.path + "/v");
  EXPECT_FALSE(exists("v.c"));
}

// Without an equation system: the data part and the header's end only.
TEST(GenC, ModuleWithoutEquationSystem) {
  GenDataScope data;
  Module m("N");
  m.getEquationTable()->setBddexpressionWood(nullptr);
  CText t = c_text(&m);
  EXPECT_EQ(t.body,
            "#include \"N.h\"\n#define false 0\n#define true (!false)\n\n"
            "/* Following types should be defined in file \"N_typedecl.h\":\nint;\n*/\nconst int K = 3;\n");
  EXPECT_EQ(text_between(t.header, "extern int", "@"), "extern int twice(int);\n\nextern const int K2;\n#endif\n");
}
