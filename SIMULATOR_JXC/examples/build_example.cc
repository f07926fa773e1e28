// Builds the examples: reads a Jexa source, compiles every one of its modules, then
// finalises each and saves it as <dir>/<module>.jxc (a module run by another is included as
// compiled, so none is finalised before all are compiled); a module with data bindings also gets its value server
// zars_<module>.cc and its user-data skeleton user_data_<module>.{h,cc} in dir (an existing
// user file is kept as .bak). dir is created when missing. The tool chain's option flags
// stay unset.
//
//   build_example <source.jx> <dir>
//
// Prints the path of each file written. Status 0 when every file is written; 1 when the
// source is refused, a module cannot be built, dir cannot be created or a file cannot be
// written whole (the file and the reason on standard error; the file is left as it was); the
// compiler's own fatal ends keep their status; SIGINT and SIGTERM end it with the signal, no
// temporary of its files left (nor one that an ended run left). Every module is compiled,
// then every one finalised (a module run by another is included as compiled), before any file
// is written, so that a refused source writes nothing. A refusal is one message on standard
// error: the file, the line (for the reader, and for the compiler in a run) and the module,
// what is wrong and the system's own text, with the reports that the refused step showed
// before it ended.
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "compilation.h"
#include "g_exit.h"
#include "g_messages.h"
#include "module.h"
#include "parse_jx.h"
#include "refusal.h"

namespace {

// Texts of the library's message boxes since the last clear: the library names there each file
// it cannot open. They go to standard error when their step is done (flush_shown), or into the
// message of its refusal.
std::vector<std::string> shown;

void flush_shown() {
  for (const std::string& text : shown) std::cerr << text << "\n";
  shown.clear();
}

std::string joined_shown() {
  std::string all;
  for (const std::string& text : shown) all += (all.empty() ? "" : "\n") + text;
  shown.clear();
  return all;
}

// Why the library did not write path: the reason after "<path>: " in its message that names
// it ("" when none does).
std::string why_not_written(const std::string& path) {
  for (const std::string& text : shown) {
    size_t at = text.find(path + ": ");
    if (at != std::string::npos) return text.substr(at + path.size() + 2);
  }
  return "";
}

// Runs write, which writes the files paths, all or none; prints each path written and says
// why of each other one. True when all were written.
bool write_files(const std::vector<std::string>& paths, const std::function<void()>& write) {
  flush_shown();
  write();
  std::vector<std::string> why;
  std::string refused;
  for (const std::string& path : paths) {
    why.push_back(why_not_written(path));
    if (!why.back().empty() && refused.empty()) refused = path;
  }
  for (size_t i = 0; i < paths.size(); ++i) {
    if (refused.empty())
      std::cout << paths[i] << "\n";
    else
      std::cerr << "build_example: " << paths[i] << " not written: "
                << (why[i].empty() ? "it goes with " + refused + ", which could not be written" : why[i]) << "\n";
  }
  flush_shown();
  return refused.empty();
}

// The status to end with after a refusal: a fatal end's own, else 1.
int refusal_status(const std::exception& e) {
  const g_exit_error* end = dynamic_cast<const g_exit_error*>(&e);
  return end != nullptr ? end->status : 1;
}

// Runs a step on m (compiling, finalising, writing); false on a refusal, after its one
// message, with the status to end with.
bool attempt(Module* m, const std::string& source, int& status, const std::function<void()>& step) {
  try {
    CompileScope place(m->getName());
    step();
  } catch (const std::exception& e) {
    status = refusal_status(e);
    std::cerr << compile_refusal(e, joined_shown()).message(source);
    return false;
  }
  flush_shown();
  return true;
}

void compile(Module* m) {
  if (m->getSet() == nullptr) m->compile();  // a module run by another is compiled already
}

bool write(Module* m, const std::string& dir) {
  const std::string stem = dir + "/";
  bool ok = write_files({stem + m->getName() + ".jxc"}, [m] { m->save(); });
  if (m->data_table == nullptr) return ok;
  ok = write_files({stem + "zars_" + m->getName() + ".cc"}, [m] { m->save_zars_code(); }) && ok;
  return write_files({stem + "user_data_" + m->getName() + ".h", stem + "user_data_" + m->getName() + ".cc"},
                     [m] { m->save_user_data_code(); }) &&
         ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: build_example <source.jx> <dir>\n";
    return 1;
  }
  const std::string source = argv[1], dir = argv[2];
  std::ifstream in(source);
  if (!in) {
    std::cerr << source << ": cannot be read\n";
    return 1;
  }
  std::error_code failed;
  std::filesystem::create_directories(dir, failed);
  if (failed) {
    std::cerr << "build_example: cannot create the folder " << dir << ": " << failed.message() << "\n";
    return 1;
  }
  forms_sink sink;
  sink.show = [](forms_box_kind, const std::string& text) { shown.push_back(text); };
  sink.writes_stderr = true;  // by flush_shown or in a refusal's message
  forms_set_sink(sink);
  g_set_exit_handler(g_throwing_exit);
  Module::OutputDir = dir;
  Module::SimulationJxcDir = dir;
  std::string report;
  Refusal refusal;
  try {
    if (jx_read_source(in, report, &refusal) != 0) {
      std::cerr << refusal.message(source);
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << refusal.message(source);
    return refusal_status(e);
  }
  flush_shown();
  int status = 0;
  for (const auto& entry : *Compilation::ModTable->table)
    if (!attempt(entry.second, source, status, [m = entry.second] { compile(m); })) return status;
  for (const auto& entry : *Compilation::ModTable->table)
    if (!attempt(entry.second, source, status, [m = entry.second] { m->finalize(0); })) return status;
  bool all = true;
  for (const auto& entry : *Compilation::ModTable->table) {
    bool written = false;
    if (!attempt(entry.second, source, status, [&] { written = write(entry.second, dir); })) return status;
    all = written && all;
  }
  return all ? 0 : 1;
}
