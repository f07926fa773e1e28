// Generated simulation files of a module: the value-server source, the user-data
// skeleton and the BLIF netlist handed to the external simulator.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "compilation.h"
#include "gen_files.h"
#include "module.h"
#include "sexception.h"

namespace {

// The path as one single-quoted shell word.
std::string shell_quote(const std::string& s) {
  std::string out = "'";
  for (char c : s) {
    if (c == '\'')
      out += "'\\''";
    else
      out += c;
  }
  out += "'";
  return out;
}

}  // namespace

void Module::save_zars_code() {
  std::string path = SimulationJxcDir + "/zars_" + name + ".cc";
  write_generated_files({{path, path, OldFile::replaced, "Cannot open zars file:"}},
                        [&](std::vector<std::ostream*>& out) { SIMUL_JXC_put(*out[0]); });
}

void Module::save_user_data_code() {
  std::string header = SimulationJxcDir + "/user_data_" + name + ".h";
  std::string body = SimulationJxcDir + "/user_data_" + name + ".cc";
  // The user completes these files: an existing one is kept as <path>.bak.
  const char* refusal = "Cannot open user data file:";
  write_generated_files({{header, header, OldFile::kept_as_bak, refusal}, {body, body, OldFile::kept_as_bak, refusal}},
                        [&](std::vector<std::ostream*>& out) { SIMUL_JXC_put_user_files(*out[0], *out[1]); });
}

void Module::simulate() {
  if (compilation == nullptr) throw IllegalOperationException("Simulation requires compilation", nullptr);
  std::string path = SimulationDir + name + ".blif";
  if (finalised == 0) finalize(0);
  // A stale netlist must not be simulated.
  if (!write_generated_files({{path, path, OldFile::said_rewritten}}, [&](std::vector<std::ostream*>& out) {
        BLIF_put(*out[0], !Compilation::KeepWiresFlag);
      }))
    return;
  std::string command = "blif_simul " + shell_quote(path);
  int status = std::system(command.c_str());
  (void)status;
}
