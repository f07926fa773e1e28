// Generated simulation files of a module: the value-server source, the user-data
// skeleton and the BLIF netlist handed to the external simulator.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <string>

#include "compilation.h"
#include "formspp.h"
#include "module.h"
#include "sexception.h"

namespace {

bool readable(const std::string& path) {
  std::ifstream in(path);
  return static_cast<bool>(in);
}

void report_overwrite(const std::string& path) {
  std::cerr << "File: " << path << " already exists. File rewrited." << std::endl;
}

void report_open_failure(const std::string& text) {
  fl_show_Smessages(text);
  std::cerr << text << std::endl;
}

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
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) {
    report_open_failure("Cannot open zars file:" + path);
    return;
  }
  SIMUL_JXC_put(out);
  out.close();
}

void Module::save_user_data_code() {
  std::string header_path = SimulationJxcDir + "/user_data_" + name + ".h";
  std::string body_path = SimulationJxcDir + "/user_data_" + name + ".cc";
  // The user completes these files: an existing one is kept as <path>.bak.
  for (const std::string& path : {header_path, body_path}) {
    if (!readable(path)) continue;
    std::string backup = path + ".bak";
    if (std::rename(path.c_str(), backup.c_str()) != 0)
      std::cerr << "Cannot keep a copy of " << path << " as " << backup << std::endl;
    report_overwrite(path);
  }
  std::ofstream header(header_path, std::ios::out | std::ios::trunc);
  if (!header) report_open_failure("Cannot open user data file:" + header_path);
  std::ofstream body(body_path, std::ios::out | std::ios::trunc);
  if (!body) report_open_failure("Cannot open user data file:" + body_path);
  SIMUL_JXC_put_user_files(header, body);
  header.close();
  body.close();
}

void Module::simulate() {
  if (compilation == nullptr) throw IllegalOperationException("Simulation requires compilation", nullptr);
  std::string path = SimulationDir + name + ".blif";
  if (readable(path)) report_overwrite(path);
  if (finalised == 0) finalize(0);
  std::ofstream out(path, std::ios::out | std::ios::trunc);
  if (!out) {
    // A stale netlist must not be simulated.
    report_open_failure("Cannot open output file: " + path);
    return;
  }
  BLIF_put(out, !Compilation::KeepWiresFlag);
  out.close();
  std::string command = "blif_simul " + shell_quote(path);
  int status = std::system(command.c_str());
  (void)status;
}
