// EXPECT_LIBRARY_EXIT(statement, status, regex): the statement ends the way the library ends
// the process, without a child process: under the throwing exit handler it throws g_exit_error
// with that status, and what the process would have written on standard error (what it wrote
// before, then the end's text unless already written) contains a match of the regex, as
// EXPECT_EXIT(statement, ExitedWithCode(status), regex) checks in a child.
#ifndef LIBRARY_EXIT_H
#define LIBRARY_EXIT_H

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "g_exit.h"

inline testing::AssertionResult library_exit_matches(const std::function<void()>& statement, int status,
                                                     const std::string& regex) {
  g_exit_throwing_scope throwing;
  testing::internal::CaptureStderr();
  bool ended = false;
  int got = 0;
  std::string text;
  try {
    statement();
  } catch (const g_exit_error& e) {
    ended = true;
    got = e.status;
    if (!e.written) text = e.what();
  }
  const std::string written = testing::internal::GetCapturedStderr() + text;
  if (!ended) return testing::AssertionFailure() << "the statement did not end; standard error:\n" << written;
  if (got != status) return testing::AssertionFailure() << "status " << got << ", expected " << status;
  // The matcher of EXPECT_EXIT.
  if (!testing::internal::RE::PartialMatch(written, testing::internal::RE(regex)))
    return testing::AssertionFailure() << "standard error:\n" << written << "\ndoes not match: " << regex;
  return testing::AssertionSuccess();
}

#define EXPECT_LIBRARY_EXIT(statement, status, regex) \
  EXPECT_TRUE(library_exit_matches([&] { statement; }, status, regex))

#endif
