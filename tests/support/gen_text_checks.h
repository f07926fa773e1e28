// Test support for the Lustre and Esterel generators: the small module of the golden
// texts, and the name checks of a generated text, since no compiler of those languages
// is packaged here.
#ifndef GEN_TEXT_CHECKS_H
#define GEN_TEXT_CHECKS_H

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "gen_modules.h"

// Input A, output O := A and R, register R (initially true, next Rn := A). Not finalised.
inline Module* small_module() {
  TestModule t("S");
  Signal* a = t.input("A");
  Signal* r = t.reg("R", 1, "Rn");
  t.eq(t.sig("Rn"), a);
  t.eq(t.output("O"), new AndExpression(a, r));
  return t.date();
}

// Input A, output O := R1 and not R2, registers R1 (initially true, next N1 := A) and R2
// (initially false, next N2 := R1). Not finalised.
inline Module* two_register_module() {
  TestModule t("D");
  Signal* a = t.input("A");
  Signal* r1 = t.reg("R1", 1, "N1");
  Signal* r2 = t.reg("R2", 0, "N2");
  t.eq(t.sig("N1"), a);
  t.eq(t.sig("N2"), r1);
  t.eq(t.output("O"), new AndExpression(r1, new NotExpression(r2)));
  return t.date();
}

// The golden module with its RTL wire defined, and a plain output P read by an equation.
inline Module* checked_module() {
  TestModule t("C");
  Signal* a = t.input("A", "int");
  Signal* b = t.input("B");
  Signal* o = t.output("O", "int");
  Signal* p = t.output("P");
  Signal* r = t.reg("R", 1, "Rn");
  Signal* v = t.local("V", "int");
  t.eq(t.sig("Rn"), new OrExpression(a, p));
  t.eq(p, new AndExpression(b, new NotExpression(r)));
  t.eq(v, a);
  t.emit(v, new DataBinaryOp(DataExpr::Mult, new DataSignalValue(a), int_literal("3")), a, "v");
  t.emit(v, new DataSignalValue(a), b, "w");
  t.emit(o, new DataBinaryOp(DataExpr::Plus, new DataSignalValue(v), int_literal("1")), a, "o");
  t.eq(o, new AndExpression(a, r));
  t.eq(t.m->getRtl(), new OrExpression(p, b));
  return t.date();
}

// Finalises m (its trace on standard error is dropped).
inline void finalise_quietly(Module* m) {
  testing::internal::CaptureStderr();
  m->finalize(0);
  testing::internal::GetCapturedStderr();
}

inline std::vector<std::string> identifiers(const std::string& text) {
  static const std::regex id("[A-Za-z_][A-Za-z0-9_]*");
  std::vector<std::string> r;
  for (auto it = std::sregex_iterator(text.begin(), text.end(), id); it != std::sregex_iterator(); ++it)
    r.push_back(it->str());
  return r;
}

// What a check found: names declared twice, read or defined undeclared, and the
// definition count of every declared name.
struct NameReport {
  std::multiset<std::string> declared;
  std::set<std::string> inputs;
  std::set<std::string> undeclared;
  std::map<std::string, int> definitions;
  std::set<std::string> twice() const {
    std::set<std::string> r;
    for (const std::string& n : declared)
      if (declared.count(n) > 1) r.insert(n);
    return r;
  }
  // One line per fault found; empty when the text passes.
  std::string faults() const {
    std::ostringstream os;
    for (const auto& n : twice()) os << "declared twice: " << n << "\n";
    for (const auto& n : undeclared) os << "undeclared: " << n << "\n";
    for (const auto& n : badly_defined()) os << "defined " << n.second << " times: " << n.first << "\n";
    return os.str();
  }
  // Declared names other than inputs not defined exactly once.
  std::map<std::string, int> badly_defined() const {
    std::map<std::string, int> r;
    for (const std::string& n : std::set<std::string>(declared.begin(), declared.end())) {
      auto d = definitions.find(n);
      int count = d == definitions.end() ? 0 : d->second;
      if (inputs.count(n) == 0 ? count != 1 : count != 0) r[n] = count;
    }
    return r;
  }
};

// Lustre: parameters, results and the var section declare; "x = ..." defines x (node
// variables included); every other identifier of the body is read.
inline NameReport check_lustre(const std::string& text) {
  static const std::set<std::string> keywords{"if", "then", "else", "and", "or", "not", "true", "false", "pre",
                                              "bool", "int", "real"};
  NameReport r;
  size_t open = text.find('('), close = text.find(')');
  size_t ropen = text.find("returns ("), rclose = text.find(");", ropen);
  size_t var = text.find("\nvar\n"), let = text.find("\nlet\n"), tel = text.find("\ntel");
  auto declare = [&](const std::string& section, bool input) {
    std::string s = std::regex_replace(section, std::regex(":[ ]*[A-Za-z_0-9]+"), "");
    for (const std::string& n : identifiers(s)) {
      r.declared.insert(n);
      if (input) r.inputs.insert(n);
    }
  };
  declare(text.substr(open + 1, close - open - 1), true);
  declare(text.substr(ropen + 9, rclose - ropen - 9), false);
  if (var != std::string::npos) declare(text.substr(var + 5, let - var - 5), false);
  std::istringstream body(text.substr(let + 5, tel - let - 5));
  static const std::regex definition("^\\s*([A-Za-z_][A-Za-z0-9_]*)\\s*=(.*)$");
  std::string line;
  for (std::smatch m; std::getline(body, line);) {
    std::string read = line;
    if (line.find("--") != std::string::npos) continue;
    if (std::regex_match(line, m, definition)) {
      ++r.definitions[m[1]];
      read = m[2];
    }
    for (const std::string& n : identifiers(read))
      if (keywords.count(n) == 0 && r.declared.count(n) == 0) r.undeclared.insert(n);
  }
  for (const auto& d : r.definitions)
    if (r.declared.count(d.first) == 0) r.undeclared.insert(d.first);
  return r;
}

// Esterel: "input", "output" and "signal ... in" declare; "emit x" and the preS of a
// register branch define (a register branch once); names in "present [...]" and the S of
// a register branch are read.
inline NameReport check_esterel(const std::string& text) {
  static const std::set<std::string> keywords{"not", "and", "or", "tick"};
  NameReport r;
  std::istringstream in(text);
  std::string line, locals;
  bool in_locals = false;
  static const std::regex emit("^    emit ([A-Za-z0-9_]+)$");
  static const std::regex present("^  present \\[(.*)\\] then$");
  static const std::regex run("^    run my_pre \\[signal ([A-Za-z0-9_]+) / S, ([A-Za-z0-9_]+) / preS\\]$");
  std::vector<std::string> read;
  for (std::smatch m; std::getline(in, line);) {
    if (line.rfind("input ", 0) == 0 || line.rfind("output ", 0) == 0) {
      bool input = line[0] == 'i';
      for (const std::string& n : identifiers(line.substr(line.find(' '))))
        r.declared.insert(n), input ? (void)r.inputs.insert(n) : (void)0;
    } else if (line.rfind("signal ", 0) == 0 || in_locals) {
      in_locals = line.find(" in") == std::string::npos;
      std::string names = line.substr(0, line.find(" in"));
      for (const std::string& n : identifiers(line.rfind("signal ", 0) == 0 ? names.substr(7) : names))
        r.declared.insert(n);
    } else if (std::regex_match(line, m, emit)) {
      ++r.definitions[m[1]];
    } else if (std::regex_match(line, m, present)) {
      for (const std::string& n : identifiers(m[1].str()))
        if (keywords.count(n) == 0) read.push_back(n);
    } else if (std::regex_match(line, m, run)) {
      read.push_back(m[1]);
      ++r.definitions[m[2]];
    }
  }
  for (const std::string& n : read)
    if (r.declared.count(n) == 0) r.undeclared.insert(n);
  for (const auto& d : r.definitions)
    if (r.declared.count(d.first) == 0) r.undeclared.insert(d.first);
  return r;
}

#endif
