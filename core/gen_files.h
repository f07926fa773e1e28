// File names and the writing of files shared by the compiled-module writer, the value-server
// and user-data writers and the target code generators.
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

// What becomes of a file that the new one replaces: nothing is said; "File: " + path +
// " already exists. File rewrited." is said on standard error once it is replaced; or that is
// said and the old file is kept as path + ".bak" first.
enum class OldFile { replaced, said_rewritten, kept_as_bak };

// One file of a writer: the path written, the name its messages give, what becomes of a file
// it replaces, and the text before that name when the file cannot be opened.
struct GeneratedFile {
  std::string path;
  std::string shown;
  OldFile old = OldFile::replaced;
  std::string refusal = "Cannot open output file: ";
};

// Writes every file whole or leaves it as it was. Each file is first a temporary beside it
// (a whole_file); write gets their streams in the order of files. Only when every write and
// every close succeeded do the temporaries take the files' names (a symbolic link there is
// replaced itself, the file it names left alone). A file that cannot be opened gives its
// refusal + shown name + ": " + the reason, and write is not called; a failed write, close or
// rename gives "Cannot write output file: " + shown + ": " + the reason; each in a message box
// and on standard error. A failure before the renames leaves every file untouched; the temporaries
// are removed in every case, also when write throws. Returns whether every file was written.
bool write_generated_files(const std::vector<GeneratedFile>& files,
                           const std::function<void(std::vector<std::ostream*>&)>& write);

#endif
