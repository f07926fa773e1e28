#include "interface.h"

#include "sexception.h"

namespace {

void insert(std::map<std::string, Signal*>& table, const char* operation, const std::string& name,
            Signal* s) {
  if (!table.emplace(name, s).second) throw IllegalOperationException(operation, name);
}

Signal* find(const std::map<std::string, Signal*>& table, const std::string& name) {
  auto it = table.find(name);
  return it != table.end() ? it->second : nullptr;
}

}  // namespace

Interface::Interface() : register_list(nullptr) {}

Interface::~Interface() { delete register_list; }

void Interface::addInput(const std::string& name, Signal* s) {
  insert(input_signal_table, "Interface::addInput", name, s);
}

void Interface::addOutput(const std::string& name, Signal* s) {
  insert(output_signal_table, "Interface::addOutput", name, s);
}

void Interface::addLocal(const std::string& name, Signal* s) {
  insert(local_signal_table, "Interface::addLocal", name, s);
}

void Interface::addData(const std::string& name, Signal* s) {
  insert(data_signal_table, "Interface::addLocal", name, s);
}

void Interface::addRegister(regclass* r) {
  if (register_list == nullptr) register_list = new std::list<regclass*>;
  register_list->push_back(r);
}

Signal* Interface::getInputSignal(const std::string& name) const { return find(input_signal_table, name); }
Signal* Interface::getOutputSignal(const std::string& name) const { return find(output_signal_table, name); }
Signal* Interface::getLocalSignal(const std::string& name) const { return find(local_signal_table, name); }
Signal* Interface::getDataSignal(const std::string& name) const { return find(data_signal_table, name); }
Signal* Interface::getValueSource(const std::string& input) const { return find(value_sources, input); }
