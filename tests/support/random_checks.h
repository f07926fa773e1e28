// Test support for the differential checks of the generators on random programs
// (random_program.h): the module M of each program compiled from source and finalised.
#ifndef RANDOM_CHECKS_H
#define RANDOM_CHECKS_H

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "child_end.h"
#include "module.h"
#include "random_program.h"
#include "source_harness.h"

// For the 4 seeds from 4 * block + 1: the module M of random_program::program(seed, 4),
// compiled and finalised, handed to check with its seed (under a trace of the program). A
// program whose compile ends on a causality cycle, told by a child process, is passed over;
// any other end is a failure. Fails when no program of the block was checked.
inline void check_random_modules(int block, const std::function<void(Module*, unsigned)>& check) {
  int checked = 0;
  const unsigned first = 4u * static_cast<unsigned>(block) + 1u;
  for (unsigned seed = first; seed < first + 4u; ++seed) {
    std::string source = random_program::program(seed, 4);
    int end = end_in_child([&] {
      SourceHarness src(source);
      src.build("M");
      return 0;
    });
    ASSERT_TRUE(end == 0 || end == 1) << "ended with " << end << ":\n" << source;
    if (end != 0) continue;
    SCOPED_TRACE(source);
    SourceHarness src(source);
    src.build("M");
    check(src.module("M"), seed);
    ++checked;
  }
  EXPECT_GT(checked, 0);
}

#endif
