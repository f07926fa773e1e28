// Signal tables of one included module instance: the caller's signals made for the
// instance's inputs, outputs, locals and data signals, keyed by their names in the
// included module, and the instance's registers. The tables do not own the signals.
#ifndef INTERFACE_H
#define INTERFACE_H

#include <list>
#include <map>
#include <string>

class Signal;
class regclass;

class Interface {
 public:
  Interface();
  ~Interface();
  Interface(const Interface&) = delete;
  Interface& operator=(const Interface&) = delete;

  // Each throws IllegalOperationException(operation, name) when the name is already
  // present; the operation text is "Interface::addInput", "Interface::addOutput" or
  // "Interface::addLocal" (also for a data signal). The table is then unchanged.
  void addInput(const std::string& name, Signal* s);
  void addOutput(const std::string& name, Signal* s);
  void addLocal(const std::string& name, Signal* s);
  void addData(const std::string& name, Signal* s);
  // Appends to the register list, created on first use.
  void addRegister(regclass* r);
  // The caller's signal whose value the instance's input of that name carries: the
  // instance's data expressions read it instead of the included input.
  void addValueSource(const std::string& input, Signal* s) { value_sources[input] = s; }
  Signal* getValueSource(const std::string& input) const;

  // The signal under that name, or null.
  Signal* getInputSignal(const std::string& name) const;
  Signal* getOutputSignal(const std::string& name) const;
  Signal* getLocalSignal(const std::string& name) const;
  Signal* getDataSignal(const std::string& name) const;
  std::list<regclass*>* getRegisterList() const { return register_list; }

  std::map<std::string, Signal*> input_signal_table;
  std::map<std::string, Signal*> output_signal_table;
  std::map<std::string, Signal*> local_signal_table;
  std::map<std::string, Signal*> data_signal_table;
  std::map<std::string, Signal*> value_sources;
  std::list<regclass*>* register_list;  // null until the first register; records not owned
};

#endif
