// Finding and adding locals while the list is also appended to, filtered and replaced
// directly, as the compile steps and the readers do.
#include <gtest/gtest.h>

#include <list>

#include "module.h"
#include "module_and_files.h"
#include "module_signal.h"

TEST(LocalIndex, LookUpsFollowEveryChangeOfTheList) {
  Module m("top");
  Signal* a = add_local(&m, "A");
  Signal* b = add_local(&m, "B");
  EXPECT_EQ(m.getLocalSignal("A"), a);
  // Appended directly, then found.
  Signal* c = new Signal("C", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(c);
  EXPECT_EQ(m.getLocalSignal("C"), c);
  // Filtered to the same length after a direct append: the filtered-out one is gone.
  Signal* d = new Signal("D", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(d);
  *m.getLocalSignalList() = std::list<Signal*>{b, c, d};
  EXPECT_EQ(m.getLocalSignal("A"), nullptr);
  EXPECT_EQ(m.getLocalSignal("D"), d);
  // Adding a local of a known name replaces it; the first of a name wins among direct ones.
  Signal* b2 = new Signal("B", "B", &m, m.getBddWood());
  m.addLocalSignal(b2);
  EXPECT_EQ(m.getLocalSignal("B"), b2);
  EXPECT_EQ(m.getLocalSignalList()->size(), 3u);
  Signal* d2 = new Signal("D", "D", &m, m.getBddWood());
  m.getLocalSignalList()->push_back(d2);
  EXPECT_EQ(m.getLocalSignal("D"), d);
  // Replaced wholesale by another list of the same length.
  std::list<Signal*> other{a, a, a, a};
  m.getLocalSignalList()->swap(other);
  EXPECT_EQ(m.getLocalSignal("A"), a);
  EXPECT_EQ(m.getLocalSignal("C"), nullptr);
  m.local_signal_list = nullptr;
  EXPECT_EQ(m.getLocalSignal("A"), nullptr);
}
