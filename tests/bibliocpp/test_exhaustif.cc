#include "exhaustif.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string text(const exhaustif_class& e) {
  std::ostringstream os;
  os << e;
  return os.str();
}

std::vector<int> values(const exhaustif_class& e) { return std::vector<int>(e.order(), e.order() + e.degree()); }

}  // namespace

TEST(Exhaustif, ThreeElementsInOrderThenTheEnd) {
  exhaustif_class e(3);
  std::vector<std::string> seen{text(e)};
  while (e.next(-1)) seen.push_back(text(e));
  EXPECT_EQ(seen, (std::vector<std::string>{"3,0 (0 1 2 )", "3,1 (0 2 1 )", "3,0 (1 0 2 )", "3,1 (1 2 0 )",
                                            "3,0 (2 0 1 )", "3,1 (2 1 0 )"}));
  EXPECT_EQ(text(e), "3,0 (0 0 0 )");

  exhaustif_class one(1);
  EXPECT_FALSE(one.next(-1));
  EXPECT_EQ(text(one), "1,0 (0 )");
}

TEST(Exhaustif, FourElementsAllOrderedWithTheChangedPosition) {
  exhaustif_class e(4);
  std::vector<std::vector<int>> all{values(e)};
  while (e.next(-1)) {
    std::vector<int> v = values(e);
    const std::vector<int>& prev = all.back();
    int first_change = static_cast<int>(std::mismatch(v.begin(), v.end(), prev.begin()).first - v.begin());
    EXPECT_EQ(e.last_number(), first_change);
    all.push_back(v);
  }
  ASSERT_EQ(all.size(), 24u);
  EXPECT_TRUE(std::is_sorted(all.begin(), all.end()));
  EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
  for (std::vector<int> v : all) {
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v, (std::vector<int>{0, 1, 2, 3}));
  }
}

TEST(Exhaustif, PruningSkipsSharedPrefixes) {
  exhaustif_class e(4);
  ASSERT_TRUE(e.next(0));
  EXPECT_EQ(text(e), "4,0 (1 0 2 3 )");
  exhaustif_class f(4);
  ASSERT_TRUE(f.next(1));
  EXPECT_EQ(text(f), "4,1 (0 2 1 3 )");

  // next(0) all along visits the first order of each leading value.
  exhaustif_class g(4);
  std::vector<std::string> firsts{text(g)};
  while (g.next(0)) firsts.push_back(text(g));
  EXPECT_EQ(firsts, (std::vector<std::string>{"4,0 (0 1 2 3 )", "4,0 (1 0 2 3 )", "4,0 (2 0 1 3 )", "4,0 (3 0 1 2 )"}));
  EXPECT_EQ(text(g), "4,0 (0 0 0 0 )");

  // Pruning at 1 from 3 2 1 0 leaves the last prefix: the carry ends the enumeration.
  int last[4] = {3, 2, 1, 0};
  exhaustif_class h(4, last);
  EXPECT_FALSE(h.next(1));
  EXPECT_EQ(values(h), (std::vector<int>{0, 0, 0, 0}));
  // Out of range: nothing touched.
  exhaustif_class k(4, last);
  EXPECT_FALSE(k.next(4));
  EXPECT_EQ(values(k), (std::vector<int>{3, 2, 1, 0}));
  exhaustif_class none(0);
  EXPECT_FALSE(none.next(-1));
  EXPECT_EQ(text(none), "0,0 ()");
}

TEST(Exhaustif, CopiesComparisonsAndDegreeChanges) {
  int start[3] = {1, 2, 0};
  exhaustif_class a(3, start), b(3, start);
  EXPECT_TRUE(a == b);
  ASSERT_TRUE(a.next(-1));
  EXPECT_TRUE(a != b);
  exhaustif_class c(a);
  EXPECT_EQ(text(c), text(a));  // the copy constructor keeps the last number
  exhaustif_class d(5);
  d = a;
  EXPECT_EQ(text(d), "3,0 (2 0 1 )");  // assignment does not
  exhaustif_class& self = d;
  d = self;
  EXPECT_EQ(values(d), (std::vector<int>{2, 0, 1}));

  // A larger degree gets an order of its own length before order(values) is called.
  d.degree(5);
  EXPECT_EQ(values(d), (std::vector<int>{0, 0, 0, 0, 0}));
  ASSERT_TRUE(d.next(-1));
  EXPECT_EQ(values(d), (std::vector<int>{0, 1, 2, 3, 4}));
  int five[5] = {4, 3, 2, 1, 0};
  d.order(five);
  EXPECT_FALSE(d.next(-1));
  d.degree(2);
  d.order(five);
  EXPECT_EQ(text(d), "2,0 (4 3 )");
}
