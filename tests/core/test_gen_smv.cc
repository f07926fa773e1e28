// The SMV model: a hand-worked text for a small module, and, for finalised modules
// through the file opener, every name read declared exactly once.
#ifdef ZARIM_HAVE_ENGINE
#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "gen_circuits.h"
#include "test_scope.h"

namespace {

// Input A, output O := A and not R, register R (initially true, next Rn := A).
Module* small_module() {
  TestModule t("S");
  Signal* a = t.input("A");
  Signal* o = t.output("O");
  Signal* r = t.reg("R", 1, "Rn");
  t.eq(t.sig("Rn"), a);
  t.eq(o, and_(a, not_(r)));
  return t.date();
}

// The register's state is its status rail _s_R; its value rail _v_R (not the status) and
// the next state are definitions; _v_R is a negated single variable, written through the
// node of _s_R.
const char* const SmallModel = R"(MODULE S(_v_SETS, _v_RESETS, _s_A, _v_A)
VAR
_v_RTLS: boolean;
_s_O: boolean;
_v_O: boolean;
_s_R: boolean;
ASSIGN
init(_s_R) := 1;
_s_O := _s_A & _v_R;
_v_O := _v_A | _s_R;
DEFINE
   node_12:= _s_R;
   _v_R := !node_12;
   _s_Rn := _s_A;
   node_14:= _s_Rn;
   _v_Rn := !node_14;
ASSIGN
next(_s_R) := _s_Rn;


MODULE  main
VAR
_v_SETS: boolean;
_v_RESETS: boolean;
_s_A: boolean;
_v_A: boolean;
mS: S(_v_SETS, _v_RESETS, _s_A, _v_A);
ASSIGN
_v_SETS:= {0,1};
_v_RESETS:= {0,1};
_s_A:= {0,1};
_v_A:= {0,1};
)";

// For each module of an SMV text: how often each name is declared (parameter, VAR or
// DEFINE), and the names read or assigned. Problems go to the result text.
std::string undeclared_or_redeclared(const std::string& text) {
  std::ostringstream problems;
  std::regex module_re("MODULE +([A-Za-z_][A-Za-z0-9_]*)\\(?([^)\\n]*)\\)?\\n");
  std::regex ident("[A-Za-z_][A-Za-z0-9_]*");
  const std::set<std::string> keywords{"init", "next", "boolean"};
  std::vector<std::pair<size_t, std::smatch>> starts;
  std::set<std::string> modules;
  for (std::sregex_iterator it(text.begin(), text.end(), module_re), end; it != end; ++it) {
    starts.push_back({static_cast<size_t>(it->position()), *it});
    modules.insert((*it)[1]);
  }
  for (size_t k = 0; k < starts.size(); ++k) {
    const std::smatch& head = starts[k].second;
    size_t from = starts[k].first + static_cast<size_t>(head.length());
    size_t to = k + 1 < starts.size() ? starts[k + 1].first : text.size();
    std::map<std::string, int> declared;
    std::vector<std::string> used;
    std::string params = head[2];
    for (std::sregex_iterator it(params.begin(), params.end(), ident), end; it != end; ++it) ++declared[it->str()];
    std::istringstream body(text.substr(from, to - from));
    std::string line, section;
    while (std::getline(body, line)) {
      if (line == "VAR" || line == "ASSIGN" || line == "DEFINE") {
        section = line;
        continue;
      }
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      std::string left = line.substr(0, colon), right = line.substr(colon + 1);
      std::vector<std::string> lhs;
      for (std::sregex_iterator it(left.begin(), left.end(), ident), end; it != end; ++it)
        if (!keywords.count(it->str())) lhs.push_back(it->str());
      if (section == "VAR" || section == "DEFINE") {
        for (const std::string& n : lhs) ++declared[n];
      } else {
        used.insert(used.end(), lhs.begin(), lhs.end());
      }
      if (section == "VAR" && right.find('(') == std::string::npos) continue;
      for (std::sregex_iterator it(right.begin(), right.end(), ident), end; it != end; ++it)
        if (!keywords.count(it->str()) && !modules.count(it->str())) used.push_back(it->str());
    }
    for (const auto& d : declared)
      if (d.second != 1) problems << head[1] << ": " << d.first << " declared " << d.second << " times\n";
    for (const std::string& n : used)
      if (!declared.count(n)) problems << head[1] << ": " << n << " read, not declared\n";
  }
  return problems.str();
}

std::string smv_text(Module* m) {
  std::ostringstream s;
  m->NUSMV_put(s, 2, 1);
  return s.str();
}

}  // namespace

TEST(GenSmv, SmallModuleModelWorkedByHand) {
  std::string text = smv_text(small_module());
  EXPECT_EQ(text, SmallModel);
  EXPECT_EQ(undeclared_or_redeclared(text), "");
}

// The file opener finalises the module; an existing file is reported and rewritten.
TEST(GenSmv, FinalisedModelsDeclareEveryNameReadOnce) {
  ScratchDir dir;
  GenDataScope scope;
  Module::OutputDir = dir.path;
  Module::OutputFile = "model";
  for (int k = 0; k < 8; ++k) {
    Module* m = circuit(k);
    testing::internal::CaptureStderr();
    m->printSMV();
    std::string log = testing::internal::GetCapturedStderr();
    EXPECT_NE(m->getFinalised(), 0);
    EXPECT_EQ(log.find("already exists") != std::string::npos, k > 0) << log;
    std::string text = read_text(dir.path + "/model.smv");
    EXPECT_EQ(text, smv_text(m));
    EXPECT_EQ(undeclared_or_redeclared(text), "") << text;
  }
  EXPECT_NE(undeclared_or_redeclared("MODULE X(a)\nVAR\nb: boolean;\nDEFINE\n   b := a & c;\n"), "");
}
#endif
