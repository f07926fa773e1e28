// Test support: a Jexa source read into a module table of its own, one of its modules
// compiled, finalised and run reaction by reaction with the reaction harness. The module
// table and the global data tables of the process are put back afterwards.
#ifndef SOURCE_HARNESS_H
#define SOURCE_HARNESS_H

#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>

#include "compilation.h"
#include "data_tables_scope.h"
#include "module.h"
#include "parse_jx.h"
#include "reaction_harness.h"

class SourceHarness {
 public:
  // Parses source; std::runtime_error with the reader's report when it is refused.
  explicit SourceHarness(const std::string& source) : saved_(Compilation::ModTable) {
    Compilation::ModTable = new ModuleTable();
    std::istringstream in(source);
    std::string report;
    if (jx_read_source(in, report) != 0) {
      restore();
      throw std::runtime_error(report);
    }
  }
  ~SourceHarness() {
    harness_.reset();
    restore();
  }
  SourceHarness(const SourceHarness&) = delete;
  SourceHarness& operator=(const SourceHarness&) = delete;

  Module* module(const std::string& name) const { return Compilation::ModTable->get(name); }

  // The module of that name compiled, finalised and loaded; its harness.
  ReactionHarness& build(const std::string& name) {
    Module* m = module(name);
    if (m == nullptr) throw std::invalid_argument("no module " + name);
    harness_.reset(new ReactionHarness(m));
    harness_->build(m->getStatement());
    return *harness_;
  }

 private:
  void restore() {
    delete Compilation::ModTable;
    Compilation::ModTable = saved_;
  }

  ModuleTable* saved_;
  DataTablesScope tables_;
  std::unique_ptr<ReactionHarness> harness_;
};

#endif
