// The library's one way to end the process: the default handler writes the text as given and
// ends with the status (here the real end is the point, so in child processes); the throwing
// scope throws both instead and puts back the handler it found.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "g_exit.h"

namespace {

TEST(GExitTest, DefaultEndsWithTheTextAndStatusAndTheThrowingScopeThrowsInstead) {
  EXPECT_EXIT(g_exit(10, "no binding for: S\n"), testing::ExitedWithCode(10), "^no binding for: S\n$");
  // A text the message sink has written already is not written again.
  EXPECT_EXIT(g_exit(1, "shown\n", true), testing::ExitedWithCode(1), "^$");
  // A handler that returns is followed by the default end.
  EXPECT_EXIT(
      {
        g_set_exit_handler([](const g_exit_request& r) { fprintf(stderr, "seen %d|", r.status); });
        g_exit(2, "text\n");
      },
      testing::ExitedWithCode(2), "^seen 2\\|text\n$");

  int seen = 0;
  g_set_exit_handler([&](const g_exit_request& r) { seen = r.status; });
  {
    g_exit_throwing_scope throwing;
    try {
      g_exit(3, "ERREUR\n", true);
      ADD_FAILURE() << "g_exit returned";
    } catch (const g_exit_error& e) {
      EXPECT_EQ(e.status, 3);
      EXPECT_TRUE(e.written);
      EXPECT_STREQ(e.what(), "ERREUR\n");
    }
  }
  // The handler from before the scope is back.
  EXPECT_EQ(seen, 0);
  g_get_exit_handler()(g_exit_request{4, "", false});
  EXPECT_EQ(seen, 4);
  g_set_exit_handler(g_exit_handler());
  EXPECT_FALSE(g_get_exit_handler());
}

}  // namespace
