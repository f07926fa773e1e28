// Small equation systems for the tests: a wood with named variables and equations over them.
#ifndef PERT_TEST_UTIL_H
#define PERT_TEST_UTIL_H

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "Bddexpression.h"

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

// Declare it first in a test: handles into its manager must go before it.
struct test_system {
  Bddexpressionwood* w;
  test_system() : w(new Bddexpressionwood()) {}
  explicit test_system(Bddexpressionwood* wood) : w(wood) {}
  ~test_system() { delete w; }
  test_system(const test_system&) = delete;
  test_system& operator=(const test_system&) = delete;

  bddpp_manager* m() const { return w->man; }
  long var(const std::string& name) { return w->Index_new_var_last(name); }
  bdd v(const std::string& name) {
    long i = w->man->Index_var_by_name(name);
    return i >= 0 ? w->man->Bdd_var_by_index(i) : w->New_var_last(name);
  }
  // name := f, the equation named after its variable.
  Bddexpression* eq(const std::string& name, const bdd& f, int usertype = 0) {
    bdd x = v(name);
    return new Bddexpression(name, w, x, f, 0, 0, usertype);
  }
  Bddexpression* at(const std::string& name) { return w->slot(w->man->Index_var_by_name(name)); }
  long id(const std::string& name) { return w->man->Index_var_by_name(name); }
  std::set<long> ids(std::initializer_list<const char*> names) {
    std::set<long> s;
    for (const char* n : names) s.insert(id(n));
    return s;
  }
};

#endif
