// Writes what the compiler produces for random programs, so that two builds can be compared
// byte for byte (scripts/compare_outputs.sh). For each seed, in a child process of its own,
// folder <dir>/<seed> receives the program (M.jx), the .jxc of each of its modules, and the
// C (M.c, M.h), VHDL, BLIF, C# and Lustre of its module M, with its value server and user-data
// skeleton when it has data bindings, then its standard error and its end ("status": the exit
// code, or "signal N").
//
//   jx_outputs <dir> <first seed> <last seed> [depth]   (depth -d: a flat parallel of statements of depth d)
//   jx_outputs <dir> <first seed> <last seed> modules   programs of several modules, each one's files
//   jx_outputs --source <file.jx> <dir>      one source, every module (the same files each)
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "compilation.h"
#include "module.h"
#include "parse_jx.h"
#include "random_modules.h"
#include "random_program.h"

namespace {

void write_file(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

void generate(Module* m, const std::string& dir) {
  std::ostringstream c, h, vhdl, blif, cs, lustre;
  m->C_put(c, h);
  write_file(dir + "/" + m->getName() + ".c", c.str());
  write_file(dir + "/" + m->getName() + ".h", h.str());
  m->VHDL_put(vhdl, 0);
  write_file(dir + "/" + m->getName() + ".vhdl", vhdl.str());
  m->BLIF_put(blif, 0);
  write_file(dir + "/" + m->getName() + ".blif", blif.str());
  m->CSharp_put(cs);
  write_file(dir + "/" + m->getName() + ".cs", cs.str());
  m->LUSTRE_put(lustre, 0);
  write_file(dir + "/" + m->getName() + ".lus", lustre.str());
  if (m->getDataTable() == nullptr) return;
  std::ostringstream server, header, body;
  m->SIMUL_JXC_put(server);
  write_file(dir + "/zars_" + m->getName() + ".cc", server.str());
  m->SIMUL_JXC_put_user_files(header, body);
  write_file(dir + "/user_data_" + m->getName() + ".h", header.str());
  write_file(dir + "/user_data_" + m->getName() + ".cc", body.str());
}

// In the child: compile every module, then finalise and save each, as build_example does; then the
// generated texts of the named module (every module when name is empty).
int compile_all(const std::string& source, const std::string& dir, const std::string& name) {
  Module::OutputDir = dir;
  Module::SimulationJxcDir = dir;
  std::istringstream in(source);
  std::string report;
  if (jx_read_source(in, report) != 0) {
    std::cerr << report;
    return 1;
  }
  for (const auto& entry : *Compilation::ModTable->table)
    if (entry.second->getSet() == nullptr) entry.second->compile();
  for (const auto& entry : *Compilation::ModTable->table) {
    entry.second->finalize(0);
    entry.second->save();
  }
  for (const auto& entry : *Compilation::ModTable->table)
    if (name.empty() || entry.first == name) generate(entry.second, dir);
  return 0;
}

void run_in_child(const std::string& source, const std::string& dir, const std::string& name) {
  mkdir(dir.c_str(), 0755);
  write_file(dir + "/M.jx", source);
  std::cout.flush();
  pid_t pid = fork();
  if (pid == 0) {
    int err = open((dir + "/stderr").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int null = open("/dev/null", O_WRONLY);
    dup2(null, 1);
    dup2(err, 2);
    alarm(120);
    int code = 3;
    try {
      code = compile_all(source, dir, name);
    } catch (const std::exception& e) {
      std::cerr << "exception: " << e.what() << "\n";
    }
    std::cerr.flush();
    _exit(code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  write_file(dir + "/status", WIFEXITED(status) ? std::to_string(WEXITSTATUS(status)) + "\n"
                                                : "signal " + std::to_string(WTERMSIG(status)) + "\n");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--source") {
    std::ifstream in(argv[2]);
    if (!in) {
      std::cerr << argv[2] << ": cannot be read\n";
      return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    run_in_child(text.str(), argv[3], "");
    return 0;
  }
  if (argc < 4 || argc > 5) {
    std::cerr << "usage: jx_outputs <dir> <first seed> <last seed> [depth]\n"
                 "       jx_outputs --source <file.jx> <dir>\n";
    return 1;
  }
  const std::string dir = argv[1];
  unsigned first = static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10));
  unsigned last = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));
  const bool modules = argc == 5 && std::string(argv[4]) == "modules";
  int depth = argc == 5 && !modules ? std::atoi(argv[4]) : 5;
  mkdir(dir.c_str(), 0755);
  for (unsigned seed = first; seed <= last; ++seed) {
    const std::string to = dir + "/" + std::to_string(seed);
    if (modules)
      run_in_child(random_modules::ProgramMaker(seed).program().source, to, "");
    else
      run_in_child(depth < 0 ? random_program::wide_program(seed, -depth) : random_program::program(seed, depth), to,
                   "M");
  }
  return 0;
}
