// Test support for the differential checks of the target generators: a finalised module's
// generated text handed to its real tool (gcc, g++, mcs with mono, ghdl, berkeley-abc and
// yosys) with a driver of a sequence of reactions, and what the program built prints, one
// line per reaction as the engine's run prints it (gen_circuits.h).
#ifndef GEN_TARGETS_H
#define GEN_TARGETS_H
#ifdef ZARIM_HAVE_ENGINE

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "../bibliocpp/tool_run.h"
#include "data_tables_scope.h"
#include "g_exit.h"
#include "gen_circuits.h"
#include "gen_modules.h"
#include "load_jxc.h"

// What the tool made of a generated text: accepted (built, or read) or refused, what it
// said when it refused (the command first), and what the program built printed.
struct TargetRun {
  bool accepted = false;
  std::string report;
  std::string printed;
};

// ----- the engine as the simulator runs it -----

// The engine on m saved as its .jxc in dir and read back, as the simulator loads it (under
// data tables of its own): its outputs and presences, and its data conditions given per
// data signal of m with a status rail (EngineRun's order), found by name. The engine's
// fatal end is the text of error, with an empty run.
inline EngineRun jxc_engine(Module* m, const std::vector<Reaction>& rs, const std::string& dir, std::string& error) {
  const std::string saved = Module::OutputDir;
  Module::OutputDir = dir;
  testing::internal::CaptureStdout();  // the names of the files written
  m->save();
  testing::internal::GetCapturedStdout();
  Module::OutputDir = saved;
  DataTablesScope tables;
  jxc_load_request request;
  request.explain = 0;
  jxc_load_result read = jxc_load(dir + "/" + m->getName() + ".jxc", request);
  EngineRun run;
  if (!read.ok()) {
    error = "not read: " + read.error;
    return run;
  }
  testing::internal::CaptureStderr();  // the requests
  try {
    g_exit_throwing_scope throwing;
    run = run_engine(read.module, rs);
  } catch (const g_exit_error& e) {
    error = std::string("the engine ended: ") + e.what();
  }
  testing::internal::GetCapturedStderr();
  // The read module's condition rails, by name, in m's order.
  auto rails = [](Module* k) {
    std::vector<std::string> names;
    Bddexpressionwood* w = k->getBddWood();
    if (k->getDataSignalList() != nullptr)
      for (Signal* d : *k->getDataSignalList())
        if (d->getInitialBddStatusId(k, w) != -1) names.push_back(d->getInternalName());
    return names;
  };
  std::vector<std::string> read_rails = rails(read.module), own = rails(m);
  for (std::string& condition : run.conditions) {
    std::string mine;
    for (const std::string& name : own) {
      size_t at = size_t(std::find(read_rails.begin(), read_rails.end(), name) - read_rails.begin());
      mine += at < condition.size() ? condition[at] : '0';
    }
    condition = mine;
  }
  jxc_release(read.module);
  DataTablesScope::free_read_tables();
  return run;
}

// ----- C and SystemC -----

// The input sequence as C array initialisers.
inline std::string c_arrays(const std::vector<Reaction>& rs) {
  std::ostringstream s;
  auto rows = [&](bool presence) {
    s << "{";
    for (const Reaction& r : rs) {
      s << "{0";
      for (size_t i = 0; i < r.present.size(); ++i) s << "," << (presence ? int(r.present[i]) : r.value[i]);
      s << "},";
    }
    s << "}";
  };
  s << "static const int present[" << rs.size() << "][" << rs[0].present.size() + 1 << "] = ";
  rows(true);
  s << ";\nstatic const int value[" << rs.size() << "][" << rs[0].present.size() + 1 << "] = ";
  rows(false);
  s << ";\n";
  return s.str();
}

// The C type of an output's value and its printf format, as simulate() prints its value.
inline std::pair<std::string, std::string> c_value(Module* m, Signal* s) {
  std::string type = s->isValued(m) ? s->getValueType(m) : "int";
  return {type, type == "real" ? "%g" : type == "string" ? "%s" : "%d"};
}

// A driver calling the reset function and then the reaction function once per reaction,
// printing the outputs as simulate() does.
inline std::string c_driver(Module* m, const std::vector<Reaction>& rs) {
  std::vector<Signal*> ins = params(m, m->getInputSignalList());
  std::vector<Signal*> outs = params(m, m->getOutputSignalList());
  std::ostringstream s;
  s << "#include <stdio.h>\n#include \"" << m->getName() << "_typedecl.h\"\n#include \"" << m->getName()
    << ".h\"\n" << c_arrays(rs);
  s << "int main(void) {\n";
  s << "  (void)value;\n";
  for (size_t j = 0; j < outs.size(); ++j)
    s << "  int o" << j << " = 0;\n  " << c_value(m, outs[j]).first << " v" << j << " = 0;\n  (void)v" << j << ";\n";
  std::ostringstream args;
  for (size_t i = 0; i < ins.size(); ++i) {
    args << (i ? ", " : "") << "present[k][" << i + 1 << "]";
    if (ins[i]->isValued(m)) args << ", value[k][" << i + 1 << "]";
  }
  for (size_t j = 0; j < outs.size(); ++j) {
    args << (ins.empty() && j == 0 ? "" : ", ") << "&o" << j;
    if (outs[j]->isValued(m)) args << ", &v" << j;
  }
  s << "  int k = 0;\n  " << m->getName() << "_reset_automaton(" << args.str() << ");\n";
  s << "  for (k = 0; k < " << rs.size() << "; ++k) {\n    " << m->getName() << "_automaton(" << args.str() << ");\n";
  for (size_t j = 0; j < outs.size(); ++j) {
    s << "    printf(\"%d\", o" << j << ");\n";
    if (outs[j]->isValued(m))
      s << "    if (o" << j << ") printf(\":" << c_value(m, outs[j]).second << "\", v" << j << ");\n";
    s << "    printf(\" \");\n";
  }
  s << "    printf(\"\\n\");\n  }\n  return 0;\n}\n";
  return s.str();
}

// The user's part of the data: the types beyond C's int, the zeros and the method.
const char* const TypeDecl =
    "#ifndef TYPEDECL\n#define TYPEDECL\ntypedef double real;\ntypedef const char* string;\n#endif\n";
const char* const UserData =
    "const int int_zero = 0;\nconst real real_zero = 0;\nconst string string_zero = \"\";\n"
    "int twice(int x) { return 2 * x; }\n";

// Flags the generated text needs beyond -Wall -Werror: a node line "x && a || !x && b",
// flags set for nobody (value rails) and the value variable declared for every valued
// local, read or not, are the text as it is given. Optimised, so that gcc follows the
// flow far enough to see a variable read before it is set.
const char* const CWarnings =
    "-O1 -Wall -Werror -Werror=uninitialized -Wno-parentheses -Wno-unused-but-set-variable -Wno-unused-variable";

// The C or SystemC files of m, the user's data (with user_part after it) and a driver for rs,
// compiled and run in dir.
inline TargetRun c_target(Module* m, bool systemc, const std::vector<Reaction>& rs, const std::string& dir,
                          const std::string& user_part = "") {
  std::string stem = dir + "/" + m->getName();
  std::string ext = systemc ? ".cc" : ".c";
  {
    std::ofstream body(stem + ext), header(stem + ".h");
    if (systemc)
      m->SYSTEMC_put(body, header);
    else
      m->C_put(body, header);
  }
  write_text(stem + "_typedecl.h", TypeDecl);
  write_text(stem + "_sc.h", "#include \"" + m->getName() + ".h\"\n");
  write_text(dir + "/user" + ext,
             "#include \"" + m->getName() + "_typedecl.h\"\n#include \"" + m->getName() + ".h\"\n" + UserData +
                 user_part);
  write_text(dir + "/driver" + ext, c_driver(m, rs));
  std::string compiler = systemc ? "g++ -std=c++17 " : "gcc -std=c99 ";
  std::string build = compiler + CWarnings + " -I" + dir + " -o " + dir + "/run " + stem + ext + " " + dir + "/user" +
                      ext + " " + dir + "/driver" + ext;
  ToolResult built = run_tool(build + " 2>&1");
  TargetRun run;
  run.accepted = built.status == 0;
  if (!run.accepted) {
    run.report = build + "\n" + built.output;
    return run;
  }
  ToolResult ran = run_tool(dir + "/run 2>&1");
  run.printed = ran.output;
  if (ran.status != 0) run.report = "the program ended with status " + std::to_string(ran.status);
  return run;
}

// c_target, every failure a failure of the test: what the program prints.
inline std::string run_c_program(Module* m, bool systemc, const std::vector<Reaction>& rs, const std::string& dir,
                                 const std::string& user_part = "") {
  TargetRun run = c_target(m, systemc, rs, dir, user_part);
  EXPECT_TRUE(run.accepted && run.report.empty()) << run.report;
  return run.printed;
}

// ----- C# -----

// The event framework the C# class is written for: inputs "name[=value]" separated by
// blanks; outputs as simulate() prints them.
const char* const CSharpFramework = R"(using System;
using System.Collections.Generic;
namespace Pelkor.Beans {
  [AttributeUsage(AttributeTargets.Class)]
  public class BeanAttribute : Attribute { public string Category; }
}
namespace Pelkor.Util {
  public static class Logger { public static void Info(string s) {} }
  public class MyEvent {
    public string nameEvt, valPresenceEvt, evTypeValue, evtValeur;
    public MyEvent(string name, string presence) { nameEvt = name; valPresenceEvt = presence; }
    public MyEvent(string name, string type, string value, string presence) {
      nameEvt = name; evTypeValue = type; evtValeur = value; valPresenceEvt = presence;
    }
  }
  public class GrammaireA {
    public List<MyEvent> deserialize(string s) {
      var l = new List<MyEvent>();
      foreach (string e in s.Split(new char[] {' '}, StringSplitOptions.RemoveEmptyEntries)) {
        string[] f = e.Split('=');
        l.Add(new MyEvent(f[0], "int", f.Length > 1 ? f[1] : "", "True"));
      }
      return l;
    }
    public string serialize(List<MyEvent> l) {
      string s = "";
      foreach (MyEvent e in l) {
        bool present = e.valPresenceEvt == "True";
        s += (present ? "1" : "0") + (present && e.evTypeValue != null ? ":" + e.evtValeur : "") + " ";
      }
      return s;
    }
  }
}
)";

inline std::string csharp_driver(Module* m, const std::vector<Reaction>& rs) {
  std::vector<Signal*> ins = params(m, m->getInputSignalList());
  std::ostringstream s;
  s << "class Driver {\n  static void Main() {\n    var m = new GenEntree." << m->getName() << "();\n"
    << "    string last = \"\";\n    m.SendEventList += e => last = e;\n    string[] inputs = {\n";
  Bddexpressionwood* w = m->getBddWood();
  for (const Reaction& r : rs) {
    s << "      \"";
    for (size_t i = 0; i < ins.size(); ++i)
      if (r.present[i]) s << w->Name_var_by_index(ins[i]->getBddStatusId(m, w)) << "=" << r.value[i] << " ";
    s << "\",\n";
  }
  s << "    };\n    foreach (string i in inputs) {\n      m." << m->getName()
    << "_automaton(i);\n      System.Console.WriteLine(last);\n    }\n  }\n}\n";
  return s.str();
}

inline bool have_mono() { return tool_present("mcs") && tool_present("mono"); }

// m's C# class with the event framework, a driver for rs and the user's file user_part
// (when not empty), compiled by mcs and run by mono in dir.
inline TargetRun csharp_target(Module* m, const std::vector<Reaction>& rs, const std::string& dir,
                               const std::string& user_part = "") {
  std::string stem = dir + "/" + m->getName();
  {
    std::ofstream out(stem + ".cs");
    m->CSharp_put(out);
  }
  write_text(dir + "/framework.cs", CSharpFramework);
  write_text(dir + "/driver.cs", csharp_driver(m, rs));
  std::string build = "mcs -nologo -out:" + dir + "/run.exe " + stem + ".cs " + dir + "/framework.cs " + dir + "/driver.cs";
  if (!user_part.empty()) {
    write_text(dir + "/user.cs", user_part);
    build += " " + dir + "/user.cs";
  }
  ToolResult built = run_tool(build + " 2>&1");
  TargetRun run;
  run.accepted = built.status == 0;
  if (!run.accepted) {
    run.report = build + "\n" + built.output + read_text(stem + ".cs");
    return run;
  }
  ToolResult ran = run_tool("mono " + dir + "/run.exe 2>&1");
  run.printed = ran.output;
  if (ran.status != 0) run.report = "the program ended with status " + std::to_string(ran.status);
  return run;
}

// csharp_target, every failure a failure of the test: what the program prints.
inline std::string run_csharp(Module* m, const std::vector<Reaction>& rs, const std::string& dir,
                              const std::string& user_part = "") {
  TargetRun run = csharp_target(m, rs, dir, user_part);
  EXPECT_TRUE(run.accepted && run.report.empty()) << run.report;
  return run.printed;
}

// The user's C# part for the type real of a module M: a double with +, its zero, its
// conversions.
inline std::string csharp_real(const std::string& M) {
  return "using System;\nusing System.Globalization;\nnamespace GenEntree {\n"
         "  public struct real {\n"
         "    public double v;\n"
         "    public static implicit operator real(double x) { real r; r.v = x; return r; }\n"
         "    public static real operator +(real a, real b) { return a.v + b.v; }\n"
         "    public static real To(string s) { return double.Parse(s, CultureInfo.InvariantCulture); }\n"
         "    public override string ToString() { return v.ToString(CultureInfo.InvariantCulture); }\n"
         "  }\n"
         "  public partial class " + M + " { static readonly real real_zero = 0.0; }\n"
         "}\n";
}

// ----- VHDL -----

// A testbench instantiating the design by position, one reaction per input row: the
// inputs set, and the data rails (the ports after the inputs') to the engine's values of
// that reaction, a rising then a falling clock edge, and one line of output presences.
// flavour as VHDL_put's.
inline std::string vhdl_testbench(Module* m, const std::vector<Reaction>& rs, int flavour, const EngineRun& engine) {
  size_t ins = params(m, m->getInputSignalList()).size();
  size_t data = engine.conditions.empty() ? 0 : engine.conditions[0].size();
  size_t outs = params(m, m->getOutputSignalList()).size();
  const char* bit = flavour != 0 ? "std_logic" : "bit";
  std::ostringstream s;
  if (flavour != 0) s << "library ieee;\nuse ieee.std_logic_1164.all;\n";
  s << "use std.textio.all;\nentity tb is\nend tb;\narchitecture t of tb is\n"
    << "  signal reset, clk : " << bit << " := '0';\n";
  for (size_t i = 0; i < ins + data; ++i) s << "  signal i" << i << " : " << bit << ";\n";
  for (size_t j = 0; j < outs; ++j) s << "  signal o" << j << " : " << bit << ";\n";
  s << "begin\n  dut: entity work." << m->getName() << " port map (";
  for (size_t i = 0; i < ins + data; ++i) s << "i" << i << ", ";
  s << "reset, clk";
  for (size_t j = 0; j < outs; ++j) s << ", o" << j;
  s << ");\n  process\n    variable l : line;\n  begin\n"
    << "    wait for 1 ns; reset <= '1'; wait for 1 ns;\n";
  for (size_t k = 0; k < rs.size(); ++k) {
    const Reaction& r = rs[k];
    for (size_t i = 0; i < ins; ++i) s << "    i" << i << " <= '" << int(r.present[i]) << "';\n";
    for (size_t d = 0; d < data; ++d) s << "    i" << ins + d << " <= '" << engine.conditions[k][d] << "';\n";
    s << "    wait for 1 ns; clk <= '1'; wait for 1 ns; clk <= '0'; wait for 1 ns;\n";
    for (size_t j = 0; j < outs; ++j)
      s << "    if o" << j << " = '1' then write(l, string'(\"1 \")); else write(l, string'(\"0 \")); end if;\n";
    s << "    writeline(output, l);\n";
  }
  s << "    wait;\n  end process;\nend t;\n";
  return s.str();
}

// Analyses the files in dir and elaborates top; what ghdl reports goes to the result.
inline ToolResult ghdl_elaborate(const std::string& dir, const std::vector<std::string>& files, const std::string& top) {
  std::string cmd = "cd " + dir + " && ghdl -a";
  for (const std::string& f : files) cmd += " " + f;
  return run_tool(cmd + " 2>&1 && ghdl -e " + top + " 2>&1");
}

// m's design driven by rs under ghdl, its data conditions driven as the engine's value
// server answered: the presences it prints.
inline TargetRun vhdl_target(Module* m, const std::vector<Reaction>& rs, const EngineRun& engine,
                             const std::string& dir, int flavour = 0) {
  std::ostringstream design;
  m->VHDL_put(design, flavour);
  write_text(dir + "/design.vhdl", design.str());
  write_text(dir + "/tb.vhdl", vhdl_testbench(m, rs, flavour, engine));
  ToolResult built = ghdl_elaborate(dir, {"design.vhdl", "tb.vhdl"}, "tb");
  TargetRun run;
  run.accepted = built.status == 0;
  if (!run.accepted) {
    run.report = built.output + design.str();
    return run;
  }
  ToolResult ran = run_tool("cd " + dir + " && ghdl -r tb 2>/dev/null");
  run.printed = ran.output;
  if (ran.status != 0) run.report = "the testbench ended with status " + std::to_string(ran.status);
  return run;
}

// ----- BLIF -----

struct BlifCounts {
  int inputs = -1, outputs = -1, latches = -1;
};

inline BlifCounts abc_counts(const std::string& path) {
  ToolResult r = run_tool("berkeley-abc -c 'read_blif " + path + "; print_stats' 2>&1");
  std::smatch m;
  BlifCounts c;
  if (std::regex_search(r.output, m, std::regex("i/o = +([0-9]+)/ +([0-9]+) +lat = +([0-9]+)")))
    c = {std::stoi(m[1]), std::stoi(m[2]), std::stoi(m[3])};
  return c;
}

inline BlifCounts yosys_counts(const std::string& path) {
  ToolResult r = run_tool("yosys -p 'read_blif " + path + "; select -count i:*; select -count o:*; select -count t:$ff' 2>&1");
  std::regex objects("([0-9]+) objects\\.");
  std::vector<int> n;
  for (std::sregex_iterator it(r.output.begin(), r.output.end(), objects), end; it != end; ++it)
    n.push_back(std::stoi((*it)[1]));
  BlifCounts c;
  if (n.size() == 3) c = {n[0], n[1], n[2]};
  return c;
}

inline bool have_netlist_tools() { return tool_present("berkeley-abc") && tool_present("yosys"); }

// The names after a BLIF keyword line (".inputs", ".outputs").
inline std::vector<std::string> blif_names(const std::string& text, const std::string& keyword) {
  std::vector<std::string> names;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word;
    if (!(words >> word) || word != keyword) continue;
    while (words >> word) names.push_back(word);
  }
  return names;
}

// m's netlist read by berkeley-abc and yosys, each counting the module's inputs, outputs and
// latches (refused otherwise), then simulated by abc frame by frame from rs, its data
// conditions driven as the engine's value server answered: the presences of its outputs.
inline TargetRun blif_target(Module* m, const std::vector<Reaction>& rs, const EngineRun& engine,
                             const std::string& dir) {
  std::ostringstream text;
  m->BLIF_put(text, 1);
  const std::string path = dir + "/design.blif";
  write_text(path, text.str());
  std::vector<std::string> pis = blif_names(text.str(), ".inputs"), pos = blif_names(text.str(), ".outputs");
  int latches = m->getRegisterList() != nullptr ? static_cast<int>(m->getRegisterList()->size()) : 0;
  TargetRun run;
  for (BlifCounts c : {abc_counts(path), yosys_counts(path)})
    if (c.inputs != static_cast<int>(pis.size()) || c.outputs != static_cast<int>(pos.size()) || c.latches != latches)
      run.report += "read as " + std::to_string(c.inputs) + " inputs, " + std::to_string(c.outputs) + " outputs and " +
                    std::to_string(c.latches) + " latches\n";
  run.accepted = run.report.empty();
  if (!run.accepted) {
    run.report += text.str();
    return run;
  }
  // Each input of the netlist by its name: an input's presence, or a data rail's value.
  Bddexpressionwood* w = m->getBddWood();
  std::vector<Signal*> ins = params(m, m->getInputSignalList()), outs = params(m, m->getOutputSignalList());
  std::map<std::string, int> input_at, data_at, output_at;
  for (size_t i = 0; i < ins.size(); ++i) input_at[w->Name_var_by_index(ins[i]->getBddStatusId(m, w))] = int(i);
  int d = 0;  // the engine's conditions: the data signals that have a status rail, in list order
  if (m->getDataSignalList() != nullptr)
    for (Signal* s : *m->getDataSignalList())
      if (s->getInitialBddStatusId(m, w) != -1) data_at[w->Name_var_by_index(s->getInitialBddStatusId(m, w))] = d++;
  for (size_t p = 0; p < pos.size(); ++p) output_at[pos[p]] = int(p);
  std::ostringstream frames;
  for (size_t k = 0; k < rs.size(); ++k) {
    for (const std::string& pi : pis) {
      auto i = input_at.find(pi);
      auto c = data_at.find(pi);
      frames << (i != input_at.end() ? (rs[k].present[size_t(i->second)] ? '1' : '0')
                                     : c != data_at.end() ? engine.conditions[k][size_t(c->second)] : '0');
    }
    frames << "\n";
  }
  write_text(dir + "/frames.txt", frames.str());
  ToolResult sim = run_tool("cd " + dir + " && berkeley-abc -c 'read_blif design.blif; strash; &get; &sim -F " +
                            std::to_string(rs.size()) + " -I frames.txt' 2>&1");
  std::istringstream patterns(read_text(dir + "/frames_out.txt"));
  std::ostringstream printed;
  for (std::string line; std::getline(patterns, line);) {
    for (Signal* o : outs) {
      auto p = output_at.find(w->Name_var_by_index(o->getInitialBddStatusId(m, w)));
      printed << (p != output_at.end() && size_t(p->second) < line.size() ? line[size_t(p->second)] : '?') << " ";
    }
    printed << "\n";
  }
  run.printed = printed.str();
  if (sim.status != 0) run.report = sim.output;
  return run;
}

#endif
#endif
