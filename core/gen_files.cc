// File names and file opening shared by the target code generators.
#include "gen_files.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>

#include "formspp.h"
#include "module.h"

std::string generated_file_name(const std::string& module_name, const std::string& extension) {
  const std::string& chosen = Module::OutputFile;
  if (chosen.empty()) return module_name + extension;
  if (chosen.rfind(extension) != std::string::npos) return chosen;
  return chosen + extension;
}

std::string in_output_dir(const std::string& name) { return Module::OutputDir + "/" + name; }

bool write_generated_files(const std::vector<GeneratedFile>& files,
                           const std::function<void(std::vector<std::ostream*>&)>& write) {
  // Every file is first opened without truncation, so that a failure leaves the others
  // as they were.
  std::vector<const std::string*> created;
  bool failed = false;
  for (const GeneratedFile& f : files) {
    bool existed = ::access(f.path.c_str(), F_OK) == 0;
    std::ofstream probe(f.path, std::ios::out | std::ios::app);
    if (!probe) {
      std::string text = "Cannot open output file: " + f.shown;
      fl_show_Smessages(text);
      std::cerr << text << std::endl;
      failed = true;
    } else if (!existed) {
      created.push_back(&f.path);
    }
  }
  if (failed) {
    for (const std::string* path : created) std::remove(path->c_str());
    return false;
  }
  std::vector<std::unique_ptr<std::ofstream>> streams;
  std::vector<std::ostream*> out;
  for (const GeneratedFile& f : files) {
    streams.push_back(std::make_unique<std::ofstream>(f.path, std::ios::out | std::ios::trunc));
    out.push_back(streams.back().get());
  }
  write(out);
  for (auto& s : streams) s->close();
  return true;
}
