// Encapsulated GAL target: the interface of a module (its name, inputs and outputs, every
// rail pure) in the fixed sequence of labelled sections; the other sections stay empty.
#include <iostream>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "gen_files.h"
#include "gen_netlists.h"
#include "module.h"
#include "module_signal.h"

namespace {

// The entries of one section: after the first entry, each further one is preceded by its
// separator and a line break; after the last ": pure" and a line break when there are
// rails at all, then ";".
struct GalEntry {
  std::string text;
  const char* separator;
};

void gal_list(std::ostream& os, const std::vector<GalEntry>& entries, bool has_rails) {
  for (size_t i = 0; i < entries.size(); ++i) {
    if (i != 0) os << entries[i].separator << "\n";
    os << entries[i].text;
  }
  if (has_rails) os << ": pure\n";
  os << ";\n\n";
}

}  // namespace

void Module::ENCAPSULATEDGAL_put(std::ostream& os) {
  Bddexpressionwood* w = getBddWood();
  if (w == nullptr) return;
  const std::string& M = getName();
  bool finalised = getFinalised() != 0;
  os << "Name: " << M << ": jexa_model:;\n\n";
  os << "Type:\n;\n\n";
  os << "Input:\n";
  std::vector<GalEntry> entries;
  if (!finalised) entries.push_back({" _s_SET" + M + ", _s_RESET" + M, ""});
  std::vector<Rail> inputs = signal_rails(*this, getInputSignalList(), !finalised);
  for (const Rail& r : inputs) entries.push_back({r.name, ": pure, "});
  gal_list(os, entries, !inputs.empty());
  os << "Sensor:\n;\n\n";
  os << "Output:\n";
  entries.clear();
  if (!finalised) entries.push_back({"_s_RTL" + M, ""});
  bool has_outputs = false;
  if (getOutputSignalList() != nullptr)
    for (Signal* s : *getOutputSignalList()) {
      // An output at its occurrence 0, which gathers its later occurrences.
      long status = s->getInitialBddStatusId(this, w), value = s->getInitialBddValueId(this, w);
      if (status != -1) entries.push_back({w->Name_var_by_index(status), ": pure, "});
      if (!finalised && value != -1) entries.push_back({w->Name_var_by_index(value), ":pure, "});
      has_outputs = has_outputs || status != -1 || (!finalised && value != -1);
    }
  gal_list(os, entries, has_outputs);
  const char* const Empty[] = {"Local:", "Variable:", "Run:", "Function:", "Constant:", "Action:"};
  for (const char* label : Empty) os << label << "\n;\n\n";
  os << "Encapsulation:\n;\n";
}

void Module::printENCAPSULATEDGAL() {
  std::string name = generated_file_name(getName(), ".gal");
  write_generated_files({{name, name}}, [&](std::vector<std::ostream*>& out) { ENCAPSULATEDGAL_put(*out[0]); });
}
