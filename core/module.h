// Module model: the table of modules by name.
#ifndef MODULE_H
#define MODULE_H

#include <iosfwd>
#include <map>
#include <string>

class Module;

// Modules by name, with the stream on which the table's owner writes.
// The table does not own its modules.
class ModuleTable {
 public:
  ModuleTable();  // empty map, standard output
  ~ModuleTable();
  ModuleTable(const ModuleTable&) = delete;
  ModuleTable& operator=(const ModuleTable&) = delete;

  // The module registered under exactly that name, or null.
  Module* get(const std::string& name) const;
  // Registers m under its own name (defined with Module).
  void add(Module* m);
  // Registers m under name; a name already registered is left unchanged and
  // HashTableAddException(name) is thrown.
  void add(const std::string& name, Module* m);

  std::map<std::string, Module*>* table;
  std::ostream* out;
};

#endif
