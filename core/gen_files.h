// File names and file opening shared by the target code generators.
#ifndef GEN_FILES_H
#define GEN_FILES_H

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

// The name of a generated file: Module::OutputFile when it holds extension (anywhere,
// last occurrence searched), Module::OutputFile + extension when it does not, and
// module_name + extension when Module::OutputFile is empty.
std::string generated_file_name(const std::string& module_name, const std::string& extension);

// Module::OutputDir + "/" + name.
std::string in_output_dir(const std::string& name);

// One file of a generator: the path opened, and the name the failure message gives.
struct GeneratedFile {
  std::string path;
  std::string shown;
};

// Opens every file for writing (created or truncated) and hands the streams, in the order
// of files, to write; then closes them. A file that cannot be opened gives
// "Cannot open output file: " + its shown name in a message box and on standard error;
// then write is not called, no existing file is truncated and the files this call created
// are removed. Returns whether write ran.
bool write_generated_files(const std::vector<GeneratedFile>& files,
                           const std::function<void(std::vector<std::ostream*>&)>& write);

#endif
