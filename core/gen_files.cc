// File names and the writing of files shared by the compiled-module writer, the value-server
// and user-data writers and the target code generators.
#include "gen_files.h"

#include <sys/stat.h>

#include <cstdio>
#include <iostream>
#include <memory>

#include "g_messages.h"
#include "module.h"
#include "whole_file.h"

namespace {

void report(const std::string& text) { fl_report_S(forms_box_kind::message, text); }

// Whether path names a file (a link among them); nothing is opened.
bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

// An existing file is renamed to path + ".bak" before the new one takes its name.
void keep_backup(const std::string& path) {
  std::string backup = path + ".bak";
  if (std::rename(path.c_str(), backup.c_str()) != 0)
    std::cerr << "Cannot keep a copy of " << path << " as " << backup << std::endl;
}

}  // namespace

std::string generated_file_name(const std::string& module_name, const std::string& extension) {
  const std::string& chosen = Module::OutputFile;
  if (chosen.empty()) return module_name + extension;
  if (chosen.rfind(extension) != std::string::npos) return chosen;
  return chosen + extension;
}

std::string in_output_dir(const std::string& name) { return Module::OutputDir + "/" + name; }

bool write_generated_files(const std::vector<GeneratedFile>& files,
                           const std::function<void(std::vector<std::ostream*>&)>& write) {
  // Every file is written to a temporary of its own first: a failure anywhere leaves every
  // file as it was, and the temporaries go with outputs, also when write throws.
  std::vector<std::unique_ptr<whole_file>> outputs;
  std::vector<std::ostream*> streams;
  bool opened = true;
  for (const GeneratedFile& f : files) {
    outputs.push_back(std::make_unique<whole_file>(f.path));
    streams.push_back(&outputs.back()->stream());
    if (!outputs.back()->is_open()) {
      report(f.refusal + f.shown + ": " + outputs.back()->why());
      opened = false;
    }
  }
  if (!opened) return false;
  write(streams);
  bool written = true;
  for (size_t i = 0; i < files.size(); ++i)
    if (!outputs[i]->finish()) {
      report("Cannot write output file: " + files[i].shown + ": " + outputs[i]->why());
      written = false;
    }
  for (size_t i = 0; written && i < files.size(); ++i) {
    const bool existed = files[i].old != OldFile::replaced && exists(files[i].path);
    if (existed && files[i].old == OldFile::kept_as_bak) keep_backup(files[i].path);
    if (!outputs[i]->replace()) {
      report("Cannot write output file: " + files[i].shown + ": " + outputs[i]->why());
      written = false;
    } else if (existed) {
      std::cerr << "File: " << files[i].path << " already exists. File rewrited." << std::endl;
    }
  }
  return written;
}
