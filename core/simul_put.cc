// Value-server request encoder: each data expression node gives its value text, sending
// "MC", "BOP", "UOP" and "CONST" requests through Compilation::Socket_call.
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "Bddexpression.h"
#include "compilation.h"
#include "data.h"
#include "equationtable.h"
#include "g_exit.h"
#include "module.h"
#include "module_signal.h"
#include "sexception.h"

namespace {

const std::size_t MaxRequest = 1023;

// Sends the fields joined by commas. A field that holds a comma, or a request over 1023
// bytes, would be misread by the value server: it is not sent, and the value is "--".
std::string send(const std::vector<std::string>& fields, socket_type* socket) {
  std::string request;
  bool unsafe = false;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i != 0) request += ',';
    request += fields[i];
    if (fields[i].find(',') != std::string::npos) unsafe = true;
  }
  if (unsafe || request.size() > MaxRequest) {
    std::cerr << "***error: DataExpr::Simul_put: request not sent (a comma in a value, or over " << MaxRequest
              << " bytes): " << fields[0] << "\n";
    return "--";
  }
  return Compilation::Socket_call(request, socket);
}

void ensureType(DataExpr* e, Module* m) {
  if (e->getType().empty()) e->computeType(m);
}

Bddexpressionwood* woodOf(Module* m) { return m->getCompilation()->getBddexpressionWood(); }

bool present(const int* context, long status_id, long value_id) {
  return context != nullptr && status_id >= 0 && value_id >= 0 && context[status_id] == 1 && context[value_id] == 0;
}

}  // namespace

std::string DataValue::Simul_put(Module*, DataSimulMap*, DataSimulValueMap*, int*, socket_type*) { return text; }

std::string DataMethodCall::Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                                      socket_type* socket) {
  DataMethodTable* t = Compilation::GDataMethodTable;
  MethodDecl* d = t != nullptr ? t->getMethodById(method_index) : nullptr;
  if (d == nullptr) throw UndefinedMethodException("method");
  std::vector<std::string> fields{"MC", d->getName()};
  if (args != nullptr)
    for (DataExpr* a : *args) fields.push_back(a->Simul_put(m, constants, values, context, socket));
  // No argument: a trailing comma, so that the server sees an empty third field.
  if (fields.size() == 2) fields.push_back("");
  return send(fields, socket);
}

std::string DataBinaryOp::Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                                    socket_type* socket) {
  ensureType(left, m);
  ensureType(right, m);
  std::string l = left->Simul_put(m, constants, values, context, socket);
  std::string r = right->Simul_put(m, constants, values, context, socket);
  std::string spelling = C_opname(op);
  return send({"BOP", l, left->getType(), spelling, r, right->getType()}, socket);
}

std::string DataUnaryOp::Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                                   socket_type* socket) {
  ensureType(operand, m);
  std::string v = operand->Simul_put(m, constants, values, context, socket);
  std::string spelling = C_opname(op);
  return send({"UOP", spelling, v, operand->getType()}, socket);
}

std::string DataConstant::Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                                    socket_type* socket) {
  ConstantDecl* d = getDecl(std::to_string(constant_index), m != nullptr ? m->getName() : std::string());
  const std::string& name = d->getName();
  auto it = constants != nullptr ? constants->find(name) : DataSimulMap::iterator();
  if (constants == nullptr || it == constants->end()) {
    g_exit(1, "***error: DataConstant::Simul_put: undefined constant:" + name + "\n");
  }
  if (!it->second.second.empty()) return it->second.second;
  std::string value;
  if (it->second.first != nullptr)
    value = it->second.first->Simul_put(m, constants, values, context, socket);
  else
    value = send({"CONST", name}, socket);
  // The map may have been changed by the nested evaluation: look the entry up again.
  (*constants)[name].second = value;
  return value;
}

std::string DataSignalValue::Simul_put(Module* m, DataSimulMap* constants, DataSimulValueMap* values, int* context,
                                       socket_type* socket) {
  Bddexpressionwood* w = woodOf(m);
  long sid = signal->getBddStatusId(m, w);
  long vid = signal->getBddValueId(m, w);
  auto it = values != nullptr ? values->find(sid) : DataSimulValueMap::iterator();
  if (values == nullptr || it == values->end()) {
    g_exit(1, "***error: DataSignalValue:Simul_put: signal: " + signal->getInternalName() +
                  "  undefined in  data signal value table\n");
  }
  std::string result = it->second;
  if (result != "--") return result;
  if (present(context, sid, vid) && m->getDataTable() != nullptr) {
    // Bindings clocked by this signal; none is simply no value.
    std::unique_ptr<std::list<DataBinding*>> clocked(m->getDataBindingByClock(signal));
    if (clocked != nullptr) {
      for (DataBinding* c : *clocked) {
        Signal* bound = c->getSignal();
        DataBinding* b = m->getBinding(bound->getName(m, w));
        if (b == nullptr) continue;
        Signal* s = b->getSignal();
        if (present(context, s->getInitialBddStatusId(m, w), s->getInitialBddValueId(m, w))) {
          result = b->getValue()->Simul_put(m, constants, values, context, socket);
          break;
        }
      }
    }
    std::cerr << "Value:" << result << "\n";
  }
  if (result == "--")
    std::cerr << "***error:DataSignalValue:Simul_put: signal: " << signal->getInternalName() << "  has no value\n";
  return result;
}
