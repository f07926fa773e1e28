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
// compiler's own fatal reports keep theirs.
#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "compilation.h"
#include "formspp.h"
#include "module.h"
#include "parse_jx.h"
#include "sexception.h"

namespace {

// Texts of the library's message boxes since the last clear, which go to standard error: the
// library names there each file it cannot open.
std::vector<std::string> shown;

// Why path cannot be opened for writing, asked again of the system.
std::string why_unwritable(const std::string& path) {
  int fd = ::open(path.c_str(), O_WRONLY | O_APPEND);
  if (fd < 0 && errno == ENOENT) {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd >= 0) ::unlink(path.c_str());
  }
  if (fd < 0) return std::strerror(errno);
  ::close(fd);
  return "it could not be opened";
}

// Why the library did not write path, from its message that names it: the reason after
// "<path>: " (a write, the close or the rename failed), or the system's answer when the
// message ends with path (it could not be opened); "" when no message names it.
std::string why_not_written(const std::string& path) {
  for (const std::string& text : shown) {
    if (text.size() >= path.size() && text.compare(text.size() - path.size(), path.size(), path) == 0)
      return why_unwritable(path);
    size_t at = text.find(path + ": ");
    if (at != std::string::npos) return text.substr(at + path.size() + 2);
  }
  return "";
}

// Runs write, which writes the files paths, all or none; prints each path written and says
// why of each other one. True when all were written.
bool write_files(const std::vector<std::string>& paths, const std::function<void()>& write) {
  shown.clear();
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
  return refused.empty();
}

bool build(Module* m, const std::string& dir) {
  m->finalize(0);
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
  sink.show = [](forms_box_kind, const std::string& text) {
    shown.push_back(text);
    std::cerr << text << "\n";
  };
  forms_set_sink(sink);
  Module::OutputDir = dir;
  Module::SimulationJxcDir = dir;
  try {
    std::string report;
    if (jx_read_source(in, report) != 0) {
      std::cerr << report;
      return 1;
    }
    for (const auto& entry : *Compilation::ModTable->table)
      if (entry.second->getSet() == nullptr) entry.second->compile();  // a run module may be compiled already
    bool all = true;
    for (const auto& entry : *Compilation::ModTable->table) all = build(entry.second, dir) && all;
    if (!all) return 1;
  } catch (const std::exception& e) {
    std::cerr << source << ": " << e.what() << "\n";
    return 1;
  }
  return 0;
}
