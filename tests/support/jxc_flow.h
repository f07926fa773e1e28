// Test support: a source module taken through the whole flow, compiled, finalised, saved
// as .jxc by Module::save and read back with jxc_load, then run reaction by reaction with
// the reaction harness on both paths: the source module and the module read back.
#ifndef JXC_FLOW_H
#define JXC_FLOW_H

#include <string>

#include "data_tables_scope.h"
#include "load_jxc.h"
#include "module.h"
#include "reaction_harness.h"
#include "source_harness.h"
#include "test_scope.h"

struct FlowTraces {
  Trace source;  // the module of the source
  Trace jxc;     // the module read from its .jxc
  std::string error;  // the reader's refusal; "" when the file was read
};

// The reactions of the read module m, loaded into the engine as the simulator loads it.
inline Trace run_read_module(Module* m, const Trace& inputs) {
  ReactionHarness h(m);
  h.simulation().load(m);
  return h.run(inputs);
}

inline FlowTraces run_both_paths(const std::string& source, const std::string& module, const Trace& inputs) {
  FlowTraces out;
  ScratchDir dir{"zarim_flow"};
  {
    SourceHarness src(source);
    ReactionHarness& h = src.build(module);
    const std::string saved = Module::OutputDir;
    Module::OutputDir = dir.path;
    src.module(module)->save();
    Module::OutputDir = saved;
    out.source = h.run(inputs);
  }
  DataTablesScope tables;
  jxc_load_request request;
  request.explain = 0;
  jxc_load_result read = jxc_load(dir.path + "/" + module + ".jxc", request);
  out.error = read.error;
  if (read.ok()) out.jxc = run_read_module(read.module, inputs);
  jxc_release(read.module);
  DataTablesScope::free_read_tables();
  return out;
}

#endif
