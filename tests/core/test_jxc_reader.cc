// The compiled-module reader and its loader: scanner tokens, every section and record form,
// trace lines, syntax errors and broken files, fatal exits, the writer's golden files read back,
// and the loads that fail (run under the leak checker, a rejected file leaves nothing
// allocated) or meet a ".log" that is a symbolic link or not a regular file (read without it).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "g_messages.h"
#include "library_exit.h"
#include "load_jxc.h"
#include "module.h"
#include "module_signal.h"
#include "parse_jxc.h"
#include "parse_jxc.tab.hh"
#include "data_tables_scope.h"
#include "test_scope.h"

namespace {

std::string dataDir() {
  std::string f = __FILE__;
  return f.substr(0, f.find_last_of('/')) + "/data/";
}

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Token codes with their texts and lines, and what the scanner echoed.
struct Scan {
  std::vector<int> codes;
  std::vector<std::string> texts;
  std::vector<int> lines;
  std::string echo;
};

Scan scan(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream out;
  jxcFlexLexer lexer(&in, &out);
  Scan s;
  for (int t = lexer.yylex(); t != 0; t = lexer.yylex()) {
    s.codes.push_back(t);
    s.texts.push_back(lexer.YYText());
    s.lines.push_back(lexer.lineno());
  }
  s.echo = out.str();
  return s;
}

const char* TRACE_MINIMAL =
    "13 --> m\n19 --> 0\n19 --> 0\n2 --> definition nom declaration\n3 --> definition liste inputs vide\n"
    "4 --> definition liste output vide\n3 --> definition liste data vide\n5 --> definition liste locaux vide\n"
    "9 --> definition liste registres vide\n13 --> S\n13 --> R\n13 --> T\n12 --> ajout ident liste\n19 --> 0\n"
    "15 --> equation seule\n17 --> expression booleenne gen seule\n14 --> wood declaration\n26 --> \n41 --> \n"
    "1 --> definition finale\n";

// A written module with its node numbers taken out: equation records keyed by variable,
// each root expanded through the node table; binding values expanded through the
// evaluation table. Two files that differ only in record order and node numbering
// normalise to the same text.
std::string normalise(const std::string& text) {
  std::istringstream in(text);
  std::ostringstream out;
  std::string line;
  while (std::getline(in, line) && line != "equation_def:") out << line << "\n";
  std::map<long, std::string> nodes;  // node -> "var:then:else,link"
  std::getline(in, line);
  long count = std::stol(line);
  for (long i = 0; i < count && std::getline(in, line); ++i)
    nodes[std::stol(line)] = line.substr(line.find(' ') + 1);
  std::function<std::string(long)> node = [&](long n) -> std::string {
    const std::string& r = nodes.at(n);
    long var, then_node, else_node;
    int link;
    char c;
    std::istringstream f(r);
    f >> var >> c >> then_node >> c >> else_node >> c >> link;
    if (var == -1) return "1";
    return "(" + std::to_string(var) + "?" + node(then_node) + ":" + (link < 0 ? "~" : "") + node(else_node) + ")";
  };
  std::map<long, std::string> records;
  std::getline(in, line);  // expressions:
  while (std::getline(in, line) && line != "end:") {
    std::istringstream f(line);
    long early, late, var, root;
    int link;
    char c;
    f >> early >> late >> var >> c >> root >> c >> link;
    std::string rest = line.substr(line.find('('));
    std::string form = root == -3 ? "value" : (link < 0 ? "~" : "") + node(root);
    records[var] = std::to_string(early) + " " + std::to_string(late) + " " + form + " " + rest;
  }
  out << "equations:\n";
  for (auto& r : records) out << r.first << ": " << r.second << "\n";
  // Bindings refer to evaluation entries, which follow them.
  std::vector<std::string> bindings;
  while (std::getline(in, line) && line != "evaltable:") bindings.push_back(line);
  std::map<std::string, std::string> entries;  // "i" -> form
  std::string entry;
  while (std::getline(in, line) && line != "end:") {
    entry += line;
    if (entry.back() != ';') continue;
    size_t colon = entry.find(':');
    std::string key = entry.substr(entry.find_first_not_of(' '), colon - entry.find_first_not_of(' '));
    entries[key] = entry.substr(colon + 2, entry.size() - colon - 3);
    entry.clear();
  }
  std::function<std::string(const std::string&)> expand = [&](const std::string& i) -> std::string {
    const std::string& f = entries.at(i);
    size_t open = f.find('(');
    bool signal_value = f.compare(0, 2, "%%") == 0 && std::stol(f.substr(2)) % DataExpr::NbPredefOp == DataExpr::SignalVal;
    if (open == std::string::npos || signal_value) return f;  // a constant, or (status, value) ids
    std::string result = f.substr(0, open + 1);
    std::istringstream args(f.substr(open + 1, f.find(')') - open - 1));
    std::string a;
    while (std::getline(args, a, ',')) result += expand(a.substr(a.find_first_not_of(' '))) + " ";
    return result + ")";
  };
  for (const std::string& b : bindings) {
    size_t v = b.find("value: ");
    if (v == std::string::npos) {
      out << b << "\n";
      continue;
    }
    size_t end = b.find_first_of(" ;", v + 7);
    out << b.substr(0, v + 7) << expand(b.substr(v + 7, end - v - 7)) << b.substr(end) << "\n";
  }
  if (!bindings.empty()) out << "evaltable:\n";
  while (std::getline(in, line)) out << line << "\n";
  return out.str();
}

class JxcReaderTest : public ::testing::Test {
 protected:
  ~JxcReaderTest() override {
    jxc_release(module);
    DataTablesScope::free_read_tables();
  }
  // Loads path (log in path + ".log"), the module read before being freed: 0 with the module
  // in module, 1 without; the whole result goes to loaded, the log text (when written) to
  // log and standard error to err.
  int readPath(const std::string& path, std::string instance = "") {
    jxc_release(module);
    jxc_load_request request;
    request.instance = instance;
    request.awaited_inputs = awaited_inputs;
    request.awaited_outputs = awaited_outputs;
    if (capture) testing::internal::CaptureStderr();
    loaded = jxc_load(path, request);
    if (capture) err = testing::internal::GetCapturedStderr();
    module = loaded.module;
    log = loaded.no_log.empty() ? readFile(path + ".log") : "";
    return loaded.ok() ? 0 : 1;
  }
  int read(const std::string& text, std::string instance = "") {
    std::string path = dir + "/f.jxc";
    std::ofstream(path, std::ios::binary) << text;
    return readPath(path, instance);
  }
  static std::string write(Module* m) {
    std::ostringstream os;
    m->JXC_put(os, 2, 1, 0);
    return os.str();
  }

  DataTablesScope tables;
  RecordedBoxes recorded;
  std::vector<std::string>& boxes = recorded.texts;
  ScratchDir scratch{"zarim_jxc"};
  const std::string dir = scratch.path;
  Module* module = nullptr;
  jxc_load_result loaded;
  std::string log;
  std::string err;
  std::list<std::string>* awaited_inputs = nullptr;
  std::list<std::string>* awaited_outputs = nullptr;
  bool capture = true;  // off under EXPECT_LIBRARY_EXIT, which captures standard error itself
};

using JxcReaderExitTest = JxcReaderTest;

}  // namespace

// ----- scanner -----

TEST(JxcScannerTest, KeywordsNeedTheirColonAndAreCaseSensitive) {
  Scan s = scan("end: end evaltable: module Module: %% % $ , ; ( ) :");
  std::vector<int> want = {TOKEN_END,   TOKEN_IDENT,          TOKEN_EVALTABLE, TOKEN_IDENT, TOKEN_IDENT,
                           TOKEN_DEUX_POINTS, TOKEN_DOUBLEPOURCENT, TOKEN_POURCENT, TOKEN_IMMEDIAT,
                           TOKEN_VIRGULE, TOKEN_SEP, TOKEN_POUVRANTE, TOKEN_PFERMANTE, TOKEN_DEUX_POINTS};
  EXPECT_EQ(s.codes, want);
  EXPECT_EQ(s.texts[4], "Module");
  EXPECT_EQ(TOKEN_MODULE, 258);
  EXPECT_EQ(TOKEN_POURCENT, 288);
}

TEST(JxcScannerTest, NumbersRealsAndIdentifiers) {
  Scan s = scan("-5 -5. 3.25 3.25.1 12a .x @b 7 - 8");
  std::vector<int> want = {TOKEN_NUMBER, TOKEN_REAL,  TOKEN_REAL,   TOKEN_IDENT, TOKEN_IDENT,
                           TOKEN_IDENT,  TOKEN_IDENT, TOKEN_NUMBER, TOKEN_NUMBER};
  EXPECT_EQ(s.codes, want);
  EXPECT_EQ(s.texts[0], "-5");
  EXPECT_EQ(s.texts[3], "3.25.1");
  EXPECT_EQ(s.echo, "-");  // a minus not followed by a digit
}

TEST(JxcScannerTest, CommentsBlanksAndLineCounting) {
  Scan s = scan("// comment\nmodule:\r\n\n\tx //tail");
  std::vector<int> want = {TOKEN_MODULE, TOKEN_IDENT, TOKEN_IDENT};
  EXPECT_EQ(s.codes, want);
  std::vector<int> lines = {2, 4, 4};
  EXPECT_EQ(s.lines, lines);
  EXPECT_EQ(s.texts[2], "tail");
  EXPECT_EQ(s.echo, "\r//");  // the carriage return and an unterminated comment's slashes
}

TEST(JxcScannerTest, StringsKeepTheirQuotesAndRefuseMinusAndAt) {
  Scan s = scan("\"a b;{}~\" \"a-b\" \"x@\" \xe9");
  ASSERT_GE(s.codes.size(), 1u);
  EXPECT_EQ(s.codes[0], TOKEN_CHAINE_CARACTERES);
  EXPECT_EQ(s.texts[0], "\"a b;{}~\"");
  std::vector<int> rest(s.codes.begin() + 1, s.codes.end());
  // a, b, then the closing and the next opening quote form the string " ", then x@.
  std::vector<int> want = {TOKEN_IDENT, TOKEN_IDENT, TOKEN_CHAINE_CARACTERES, TOKEN_IDENT};
  EXPECT_EQ(rest, want);
  EXPECT_EQ(s.echo, "\"-\"\xe9");
  EXPECT_TRUE(scan("").codes.empty());
}

// ----- sections and records -----

TEST_F(JxcReaderTest, MinimalFileAndItsTraceLines) {
  ASSERT_EQ(readPath(dataDir() + "reader/minimal.jxc"), 0) << err;
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->getName(), "m");
  EXPECT_TRUE(module->getInputSignalList()->empty());
  EXPECT_TRUE(module->getOutputSignalList()->empty());
  EXPECT_TRUE(module->getLocalSignalList()->empty());
  EXPECT_TRUE(module->getDataSignalList()->empty());
  ASSERT_NE(module->getRegisterList(), nullptr);
  EXPECT_TRUE(module->getRegisterList()->empty());
  EXPECT_EQ(module->getDataTable(), nullptr);
  EXPECT_EQ(module->getSet()->getInternalName(), "S");
  EXPECT_EQ(module->getRtl()->getInternalName(), "T");
  EXPECT_TRUE(module->getSet()->is_wire);
  EXPECT_FALSE(module->getReincarnate());
  EXPECT_EQ(module->getFinalised(), 0);
  EXPECT_EQ(moduleName, "m");
  EXPECT_EQ(log, TRACE_MINIMAL);
  std::remove((dataDir() + "reader/minimal.jxc.log").c_str());
}

TEST_F(JxcReaderTest, SignalSectionsRegistersAndNodeRecords) {
  ASSERT_EQ(read(readFile(dataDir() + "reader/sections.jxc")), 0) << err;
  EXPECT_EQ(module->getInputSignalList()->size(), 2u);
  Signal* b = module->getInputSignalList()->back();
  EXPECT_TRUE(b->is_input);
  EXPECT_EQ(b->getValueType(module), "int");
  EXPECT_TRUE(module->getOutputSignalList()->front()->is_output);
  Signal* d = module->getDataSignalList()->front();
  EXPECT_TRUE(d->is_data && d->is_input);
  Signal* n = module->getLocalSignalList()->front();
  EXPECT_TRUE(n->is_local && n->is_register && n->is_wire);
  EXPECT_FALSE(module->getLocalSignalList()->back()->is_register);
  // The register naming an undeclared signal is left out; the value 2 only warns.
  ASSERT_EQ(module->getRegisterList()->size(), 1u);
  regclass* r = module->getRegisterList()->front();
  EXPECT_EQ(r->next_var(), n);
  EXPECT_EQ(r->actual_var()->getInternalName(), "c");
  EXPECT_EQ(r->is_initialy_true(), 2);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "Warning: Boolean value expected to initialize register value\n");
  EXPECT_NE(err.find("register c not defined as local ...\n"), std::string::npos) << err;
  EXPECT_NE(err.find("detecting bad indice about parsed_nodes_table[]! skipping ...\n"), std::string::npos);
  EXPECT_TRUE(module->getReincarnate());
  EXPECT_EQ(module->getFinalised(), 1);
  // n := a and o's status := not x.
  Bddexpressionwood* w = module->getBddWood();
  bddpp_manager* man = w->man;
  ASSERT_NE(w->slot(8), nullptr);
  EXPECT_EQ(man->Name_var_by_index(8), "_s_n");
  EXPECT_TRUE(w->slot(8)->bdd_exp == man->Bdd_var_by_index(0));
  ASSERT_NE(w->slot(4), nullptr);
  EXPECT_TRUE(w->slot(4)->bdd_exp == man->Bdd_not(man->Bdd_var_by_index(12)));
}

TEST_F(JxcReaderTest, InstanceSuffixRenamesDeclaredSignalsOnly) {
  ASSERT_EQ(read(readFile(dataDir() + "reader/sections.jxc"), "_1"), 0) << err;
  Signal* a = module->getInputSignalList()->front();
  EXPECT_EQ(a->getOriginalName(), "a");
  EXPECT_EQ(a->getInternalName(), "a_1");
  EXPECT_EQ(module->getBddWood()->man->Name_var_by_index(8), "_s_n_1");
  ASSERT_EQ(module->getRegisterList()->size(), 1u);
  EXPECT_EQ(module->getRegisterList()->front()->actual_var()->getInternalName(), "c_1");
  EXPECT_EQ(module->getSet()->getInternalName(), "SETsec");
}

TEST_F(JxcReaderTest, BindingsEvaluationFormsAndDataPart) {
  ASSERT_EQ(read(readFile(dataDir() + "reader/data.jxc")), 0) << err;
  DataBinding* y = module->getBinding("Y");
  ASSERT_NE(y, nullptr);
  EXPECT_EQ(y->getClock()->getInternalName(), "C");
  ASSERT_TRUE(y->getValue()->isDataBinaryOp());
  DataBinding* y1 = module->getBinding("Y_1");
  ASSERT_NE(y1, nullptr);
  ASSERT_TRUE(y1->getValue()->isDataMethod());
  EXPECT_EQ(static_cast<DataMethodCall*>(y1->getValue())->getMethodIndex(), 1);
  // Types: a repeated name keeps its index.
  EXPECT_EQ(Compilation::GDataTypeTable->size(), 2);
  EXPECT_EQ(Compilation::GDataTypeTable->getIndex("bool"), 1);
  ASSERT_EQ(Compilation::GDataMethodTable->getMethodList()->size(), 2u);
  MethodDecl* now = Compilation::GDataMethodTable->getMethod("now");
  ASSERT_NE(now, nullptr);
  EXPECT_TRUE(now->getArgTypeList() == nullptr || now->getArgTypeList()->empty());
  EXPECT_EQ(Compilation::GDataMethodTable->getMethod("inc")->getArgTypeList()->front(), "int");
  ConstantDecl* one = Compilation::GDataConstantTable->getConstant("one");
  ASSERT_NE(one, nullptr);
  ASSERT_NE(one->getValue(), nullptr);
  EXPECT_EQ(static_cast<DataValue*>(one->getValue())->getText(), "1");
  EXPECT_EQ(Compilation::GDataConstantTable->getConstant("two")->getValue(), nullptr);

  // A second file maps its numbers onto the entries already there.
  ASSERT_EQ(read(readFile(dataDir() + "reader/data.jxc")), 0) << err;
  EXPECT_EQ(Compilation::GDataTypeTable->size(), 2);
  EXPECT_EQ(Compilation::GDataMethodTable->getMethodList()->size(), 2u);
  EXPECT_EQ(Compilation::GDataConstantTable->getConstantList()->size(), 2u);
  EXPECT_EQ(static_cast<DataMethodCall*>(module->getBinding("Y_1")->getValue())->getMethodIndex(), 1);
}

// ----- syntax errors and broken files: parse returns 1 -----

TEST_F(JxcReaderTest, SyntaxErrorsReturnOneWithTheLine) {
  const std::string m = "module: m 0 0\n";
  const std::string tail = "connexion: S R T;\nequation_def:\n0\nexpressions:\nend:\n";
  EXPECT_EQ(read(m + "equation_def:\n0\nexpressions:\nend:\n"), 1);  // no connexion
  EXPECT_EQ(err, "line 2: syntax error\n");
  EXPECT_EQ(read(m + "connexion: S R T;\n"), 1);  // no equation section
  EXPECT_EQ(read(m + "output: o ;\ninput: i ;\n" + tail), 1);  // sections out of order
  EXPECT_EQ(err, "line 3: syntax error\n");
  EXPECT_EQ(read("module: m 0 0.5\n" + tail), 1);  // a real
  EXPECT_EQ(read(m + tail + m + tail), 1);         // one module per file
  EXPECT_EQ(read(m + "input: a \xe9\n" + tail), 1);  // a stray byte ends no section
  EXPECT_EQ(err, "line 3: syntax error\n");
  EXPECT_NE(log.find("\xe9"), std::string::npos);
  EXPECT_EQ(read(m + "input: a, b ;\n" + tail), 1);
  EXPECT_EQ(read(""), 1);
}

TEST_F(JxcReaderTest, BrokenFilesAreRejectedNotRead) {
  const std::string head = "module: m 0 0\ninput: a ;\nconnexion: S R T;\nequation_def:\n";
  // Numbers wider than 32 bits are not wrapped.
  EXPECT_EQ(read("module: m 4294967297 0\nconnexion: S R T;\nequation_def:\n0\nexpressions:\nend:\n"), 1);
  EXPECT_EQ(err, "line 1: number out of range: 4294967297\n");
  EXPECT_EQ(read(head + "-1\nexpressions:\nend:\n"), 1);  // negative node count
  EXPECT_EQ(err.substr(0, 7), "line 5:") << err;
  // An expression on a node that was never defined, or dropped as out of range.
  EXPECT_EQ(read(head + "2\n0: 0:1:1,-1\nexpressions:\n1 1 2:1,1,()\nend:\n"), 1);
  EXPECT_EQ(err.substr(0, 7), "line 8:") << err;
  EXPECT_EQ(read(head + "1\n1: -1:-3:-3,1\nexpressions:\n1 1 2:1,1,()\nend:\n"), 1);
  // A node that is its own descendant.
  EXPECT_EQ(read(head + "1\n0: 0:0:0,-1\nexpressions:\n1 1 2:0,1,()\nend:\n"), 1);
  EXPECT_EQ(err.substr(0, 7), "line 8:") << err;
  // An evaluation node naming a constant the data part never declared.
  const std::string binding = "expressions:\nend:\nbinding:\n (0, 1): value: 0;\nend:\nevaltable:\n 0: $3;\nend:\n";
  EXPECT_EQ(read(head + "0\n" + binding), 1);
  EXPECT_EQ(err.substr(0, 5), "line ") << err;
  // A binding whose status id belongs to no signal.
  EXPECT_EQ(read(head + "0\nexpressions:\nend:\nbinding:\n (40, 41): value: 0;\nend:\nevaltable:\n 0: %1();\n"
                        "end:\ndata:\ntype:\nmethod:\nint f();\nint g();\nend:\n"),
            1);
  EXPECT_EQ(err.substr(0, 5), "line ") << err;
}

// ----- fatal exits -----

TEST_F(JxcReaderExitTest, InputsAndOutputsNotAwaitedAreFatal) {
  std::list<std::string> only_a = {"a"};
  const std::string file = "module: m 0 0\ninput: a b : int c ;\noutput: p o ;\nconnexion: S R T;\n"
                           "equation_def:\n0\nexpressions:\nend:\n";
  awaited_inputs = &only_a;
  capture = false;
  EXPECT_LIBRARY_EXIT(read(file), 1,
                      "m:PARSING ERROR: input signal \"c\" is unknown in main module!\n  --> authorised signals:\na\n");
  awaited_inputs = nullptr;
  std::list<std::string> only_o = {"o"};
  awaited_outputs = &only_o;
  EXPECT_LIBRARY_EXIT(read(file), 1, "m:PARSING ERROR: output signal \"p\" is unknown");
  // The valued b is accepted, and an empty list accepts everything.
  std::list<std::string> none;
  awaited_outputs = &none;
  awaited_inputs = nullptr;
  ASSERT_EQ(read(file), 0);
  EXPECT_TRUE(module->getOutputSignalList()->back()->is_output);
}

// ----- golden files of the writer, and the loader -----

TEST_F(JxcReaderTest, GoldenFilesReadBackIntoTheSameModule) {
  for (const char* name : {"top.jxc", "dtop.jxc", "pipe.jxc"}) {
    DataTablesScope::free_read_tables();
    std::string golden = readFile(dataDir() + name);
    ASSERT_EQ(read(golden), 0) << name << err;
    std::string first = write(module);
    // Same signals, registers, wires, equations (dates, functions, dependences), bindings
    // and data tables.
    EXPECT_EQ(normalise(first), normalise(golden)) << name;
    // The read module's variable ids are the file numbers, so its records come in file
    // order; a compiled module lists them in compile order (pipe, dtop). An expression-
    // valued constant is written inline, so its sharing between occurrences is not in the
    // file (dtop). Beyond that, a read module writes itself back unchanged.
    if (std::string(name) == "top.jxc") {
      EXPECT_EQ(first, golden);
    }
    ASSERT_EQ(read(first), 0) << name << err;
    EXPECT_EQ(write(module), first) << name;
  }
}

// A node record, and the head of an expression record, written on one line is scanned as one
// token where a record may start: the file reads as the same file with its records broken
// into tokens (a blank before each ':' and ','), module, trace lines and messages alike, broken
// records included (a record head inside an id list, a number out of range).
TEST_F(JxcReaderTest, RecordsOnOneLineReadAsTheirTokens) {
  auto spaced = [](const std::string& text) {
    std::istringstream in(text);
    std::string line, out;
    bool records = false;
    while (std::getline(in, line)) {
      if (line == "end:") records = false;
      if (records && line != "expressions:")
        for (size_t i = line.size(); i-- > 0;)
          if (line[i] == ':' || line[i] == ',') line.insert(i, " ");
      if (line == "equation_def:") records = true;
      out += line + "\n";
    }
    return out;
  };
  const std::string head = "module: m 0 0\ninput: a b;\nconnexion: S R T;\nequation_def:\n2\n";
  std::vector<std::string> texts = {readFile(dataDir() + "top.jxc"), readFile(dataDir() + "dtop.jxc"),
                                    readFile(dataDir() + "pipe.jxc"),
                                    head + "0: -1:-3:-3,1\n1: 0:0:0,-1\nexpressions:\n1 1 2:1,1,(1 1 2:1,1,(0 )\nend:\n",
                                    head + "0: -1:-3:-3,1\n1: 0:99999999999:0,-1\nexpressions:\nend:\n",
                                    head + "0: -1:-3:-3,1\nexpressions:\n1 1 2:1,1,(0 )\n1: 0:0:0,-1\nend:\n"};
  for (size_t k = 0; k < texts.size(); ++k) {
    DataTablesScope::free_read_tables();
    int status = read(texts[k]);
    std::string whole_log = log, whole_err = err, whole_module = module ? write(module) : "";
    DataTablesScope::free_read_tables();
    EXPECT_EQ(read(spaced(texts[k])), status) << k;
    EXPECT_EQ(log, whole_log) << k;
    EXPECT_EQ(err, whole_err) << k;
    EXPECT_EQ(module ? write(module) : "", whole_module) << k;
    EXPECT_EQ(status, k < 3 ? 0 : 1) << k << err;
  }
}

TEST_F(JxcReaderTest, LoaderReadsThroughTheReader) {
  std::string path = dir + "/top.jxc";
  std::ofstream(path) << readFile(dataDir() + "top.jxc");
  std::string instance;
  testing::internal::CaptureStderr();
  Module* m = Compilation::jxc_parse(path, instance, nullptr, nullptr);
  testing::internal::GetCapturedStderr();
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->getName(), "top");
  EXPECT_EQ(m->getRegisterList()->size(), 1u);
  EXPECT_NE(readFile(path + ".log").find("1 --> definition finale\n"), std::string::npos);
  jxc_release(m);
}

TEST_F(JxcReaderTest, LoaderReleasesAndReportsEachFailure) {
  // A second binding of Y replaces the first: its clock goes, and the expressions only the
  // first one used are freed with it.
  std::string data = readFile(dataDir() + "reader/data.jxc");
  const std::string first = "   (4, 5): value: 0 clock: (2, 3);\n";
  data.insert(data.find(first) + first.size(), "   (4, 5): value: 4;\n");
  ASSERT_EQ(read(data), 0) << loaded.error << err;
  EXPECT_EQ(loaded.failure, jxc_load_result::none);
  EXPECT_EQ(loaded.error, "");
  ASSERT_NE(module->getBinding("Y"), nullptr);
  EXPECT_EQ(module->getBinding("Y")->getClock(), nullptr);
  EXPECT_TRUE(module->getBinding("Y")->getValue()->isDataMethod());
  EXPECT_EQ(module->getBinding("Y")->getValue(), module->getBinding("Y_1")->getValue());
  jxc_release(nullptr);

  // A missing file still leaves its (empty) log.
  EXPECT_EQ(readPath(dir + "/none.jxc"), 1);
  EXPECT_EQ(loaded.failure, jxc_load_result::not_found);
  EXPECT_EQ(loaded.error, "cannot open " + dir + "/none.jxc");
  EXPECT_EQ(err, "");
  EXPECT_EQ(access((dir + "/none.jxc.log").c_str(), F_OK), 0);

  // Rejected with the module half made: in a typed signal list, on the strings of a register
  // line, after the registers, bindings and data tables (an unknown bound signal), and on a
  // node cycle.
  const std::string head = "module: m 1 0\ninput: a : int b ;\nlocal: n c ;\nregister: n c 0;\n";
  const std::string tail = "connexion: S R T;\nequation_def:\n0\nexpressions:\nend:\n";
  const struct {
    const char* what;
    std::string text;
    std::string message;
  } rejected[] = {
      {"syntax", "module: m 0 0\ninput: a : int b : ;\n" + tail, "line 2: syntax error\n"},
      {"range", "module: m 0 0\nlocal: n c ;\nregister: n c 4294967296;\n" + tail,
       "line 3: number out of range: 4294967296\n"},
      {"binding", head + tail + "binding:\n (0, 1): value: 0;\n (40, 41): value: 0;\nend:\nevaltable:\n 0: %0(1);\n"
                      " 1: $0;\nend:\ndata:\ntype:\nint;\nmethod:\nint f(int);\nint g();\nconstant:\nint one \"1\";\nend:\n",
       "line 26: unknown data signal:40\n"},
      {"cycle", head + "connexion: S R T;\nequation_def:\n1\n0: 0:0:0,-1\nexpressions:\n1 1 2:0,1,()\nend:\n",
       "line 10: BDD node is its own descendant\n"},
  };
  for (const auto& c : rejected) {
    EXPECT_EQ(read(c.text), 1) << c.what;
    EXPECT_EQ(loaded.failure, jxc_load_result::rejected) << c.what;
    EXPECT_EQ(module, nullptr) << c.what;
    EXPECT_EQ(loaded.error, dir + "/f.jxc: the compiled module was rejected") << c.what;
    EXPECT_EQ(err, c.message) << c.what;
  }

  // Without a reader every load is rejected.
  Compilation::JxcReader reader = Compilation::jxc_reader;
  Compilation::jxc_reader = nullptr;
  EXPECT_EQ(read(data), 1);
  EXPECT_EQ(loaded.failure, jxc_load_result::rejected);
  Compilation::jxc_reader = reader;
}

TEST_F(JxcReaderTest, LoaderWritesTheLogOnlyAsARegularFileNeverThroughALink) {
  const std::string path = dir + "/m.jxc";
  const std::string logPath = path + ".log";
  std::ofstream(path) << readFile(dataDir() + "reader/minimal.jxc");
  const std::string victim = dir + "/victim";
  std::ofstream(victim) << "kept\n";
  ASSERT_EQ(symlink(victim.c_str(), logPath.c_str()), 0);
  // The module is read all the same, without its log.
  EXPECT_EQ(readPath(path), 0) << loaded.error;
  EXPECT_EQ(loaded.no_log, "no log is written: cannot write " + logPath + ": it is a symbolic link");
  EXPECT_EQ(err, "");
  EXPECT_EQ(readFile(victim), "kept\n");

  // The compiler's load says so once on standard error.
  std::string instance;
  testing::internal::CaptureStderr();
  Module* m = Compilation::jxc_parse(path, instance, nullptr, nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), loaded.no_log + "\n");
  EXPECT_NE(m, nullptr);
  jxc_release(m);
  EXPECT_EQ(readFile(victim), "kept\n");

  // A link to nothing does not create its target.
  ASSERT_EQ(unlink(logPath.c_str()), 0);
  const std::string absent = dir + "/absent";
  ASSERT_EQ(symlink(absent.c_str(), logPath.c_str()), 0);
  EXPECT_EQ(readPath(path), 0);
  EXPECT_NE(loaded.no_log, "");
  EXPECT_NE(access(absent.c_str(), F_OK), 0);

  // Neither a directory (as a log in a folder that cannot be written) nor a FIFO (whose open
  // would otherwise wait for a reader).
  ASSERT_EQ(unlink(logPath.c_str()), 0);
  ASSERT_EQ(mkdir(logPath.c_str(), 0700), 0);
  EXPECT_EQ(readPath(path), 0);
  EXPECT_EQ(loaded.no_log.rfind("no log is written: cannot write " + logPath + ": ", 0), 0u) << loaded.no_log;
  ASSERT_EQ(rmdir(logPath.c_str()), 0);
  ASSERT_EQ(mkfifo(logPath.c_str(), 0600), 0);
  EXPECT_EQ(readPath(path), 0);
  EXPECT_EQ(loaded.no_log.rfind("no log is written: cannot write " + logPath + ": ", 0), 0u) << loaded.no_log;

  // A regular log of its own is truncated and rewritten.
  ASSERT_EQ(unlink(logPath.c_str()), 0);
  std::ofstream(logPath) << std::string(10000, 'x');
  ASSERT_EQ(readPath(path), 0) << loaded.error;
  EXPECT_EQ(loaded.no_log, "");
  EXPECT_EQ(log, TRACE_MINIMAL);

  // A directory is not read (its stream would fail at the first read) and gets no log.
  const std::string folder = dir + "/folder.jxc";
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  EXPECT_EQ(readPath(folder), 1);
  EXPECT_EQ(loaded.failure, jxc_load_result::directory);
  EXPECT_EQ(loaded.error, folder + " is a directory");
  EXPECT_NE(access((folder + ".log").c_str(), F_OK), 0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(Compilation::jxc_parse(folder, instance, nullptr, nullptr), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "File: " + folder + " is a directory\n");
}
