#include "library_exit.h"
#include "list.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

using std::list;
using std::set;
using std::string;
using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(ListHelpers, PositionsAreOneBased) {
  list<int> l = {4, 7, 4, 9};
  EXPECT_EQ(item_where(l, 4), 1);
  EXPECT_EQ(item_where(l, 9), 4);
  EXPECT_EQ(item_where(l, 5), 0);
  EXPECT_EQ(item_where(list<int>(), 4), 0);
  list<list<int>> ll = {{1, 2}, {1}, {1, 2, 3}};
  EXPECT_EQ(item_where(ll, list<int>{1}), 2);
  EXPECT_EQ(item_where(ll, list<int>{1, 2, 3}), 3);
  EXPECT_EQ(item_where(ll, list<int>{2}), 0);
  list<list<double>> ld = {{NAN}, {1.5}};
  EXPECT_EQ(item_where(ld, list<double>{NAN}), 0);
  EXPECT_EQ(item_where(ld, list<double>{1.5}), 2);

  list<string> names = {"in", "out"};
  EXPECT_EQ(item_where(names, "out"), 2);
  EXPECT_TRUE(item_in(names, "in"));
  EXPECT_FALSE(item_in(names, "inout"));
  EXPECT_TRUE(item_in(list<long>{1, 2}, 2L));
  EXPECT_TRUE(item_in(set<int>{3, 5}, 5));
  EXPECT_FALSE(item_in(set<int>(), 5));
}

TEST(ListHelpers, ReadAndReplaceOutOfRange) {
  list<int> l = {10, 20, 30};
  EXPECT_EQ(read_number(l, 1), 10);
  EXPECT_EQ(read_number(l, 3), 30);
  EXPECT_EQ(read_number(l, 4), 0);
  EXPECT_EQ(read_number(l, 0), 0);
  EXPECT_EQ(read_number(l, -1), 0);
  EXPECT_EQ(read_number(list<string>{"a"}, 2), "");
  replace_number(l, 2, 99);
  replace_number(l, 0, 1);
  replace_number(l, 4, 1);
  replace_number(l, -3, 1);
  EXPECT_EQ(l, (list<int>{10, 99, 30}));
}

TEST(ListHelpers, ArrayConvert) {
  EXPECT_EQ(array_convert(list<string>()), nullptr);
  string* a = array_convert(list<string>{"x", "y"});
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a[0], "x");
  EXPECT_EQ(a[1], "y");
  delete[] a;
  list<int>* b = array_convert(list<list<int>>{{1}, {}});
  EXPECT_EQ(b[0], list<int>{1});
  EXPECT_TRUE(b[1].empty());
  delete[] b;
}

namespace {
// Counts flushes of the stream it backs.
class SyncCounter : public std::stringbuf {
 public:
  int syncs = 0;

 protected:
  int sync() override {
    ++syncs;
    return std::stringbuf::sync();
  }
};
}  // namespace

TEST(ListOutput, ListsAndSets) {
  std::ostringstream os;
  os << list<int>{1, 2, 3} << list<int>() << list<list<int>>{{1, 2}, {3}} << list<string>{"a b", ""};
  EXPECT_EQ(os.str(), "(1, 2, 3)()((1, 2), (3))(a b, )");
  std::ostringstream os2;
  os2 << list<double>{0.5} << set<long>{3, 1} << set<long>() << set<long>{-2};
  EXPECT_EQ(os2.str(), "(0.5){1,3}{}{-2}");

  SyncCounter buf;
  std::ostream counted(&buf);
  counted << list<long>{1, 2, 3};
  EXPECT_EQ(buf.syncs, 4);  // after each element and after ")"
  counted << set<long>{1, 2};
  EXPECT_EQ(buf.syncs, 4);
}

TEST(SetHelpers, DifferenceIntersectionUnion) {
  set<long> a = {1, 2, 3, 4}, b = {3, 4, 5};
  EXPECT_EQ(priv(a, b), (set<long>{1, 2}));
  EXPECT_EQ(set_inter(a, b), (set<long>{3, 4}));
  EXPECT_EQ(set_union(a, b), (set<long>{1, 2, 3, 4, 5}));
  EXPECT_EQ(priv(a, set<long>()), a);
  EXPECT_TRUE(set_inter(a, set<long>()).empty());
  EXPECT_EQ(set_union(set<long>(), b), b);
}

TEST(GSet, WalkInAscendingOrder) {
  g_set<long> gs(set<long>{5, -1, 3});
  g_scanset<long> scan(gs);
  EXPECT_TRUE(scan.last_item());  // no current cell before first_item
  std::vector<long> seen;
  for (scan.first_item(); !scan.last_item(); scan.next_item()) seen.push_back(*scan.item_value());
  EXPECT_EQ(seen, (std::vector<long>{-1, 3, 5}));
  scan.first_item();
  *scan.item_value() = 7;
  EXPECT_EQ(gs.first->value, 7);
  EXPECT_EQ(gs.buffer, nullptr);
}

TEST(GSet, NextPastTheEndWarnsAndStays) {
  g_set<long> gs(set<long>{1});
  g_scanset<long> scan(gs);
  scan.first_item();
  scan.next_item();
  CaptureStderr();
  scan.next_item();
  EXPECT_EQ(GetCapturedStderr(), "ERREUR: mauvaise application des methodes next_item() et last_item()\n");
  EXPECT_TRUE(scan.last_item());
}

TEST(GSetExitTest, ItemValueWithoutCurrentCellExits) {
  g_set<long> empty{set<long>()};
  g_scanset<long> scan(empty);
  scan.first_item();
  EXPECT_TRUE(scan.last_item());
  EXPECT_LIBRARY_EXIT(scan.item_value(), 1,
                      "ERREUR: il n'y a plus d'element \n   ou vous utilisez mal first_item\\(\\) \n");
}

namespace {
long comparisons = 0;
int counting_inf(long a, long b) {
  ++comparisons;
  return internal_inf(a, b);
}
}  // namespace

TEST(SortAll, OrderAndComparisonCount) {
  long a[] = {5, 3, 4, 1, 5};
  comparisons = 0;
  sort_all(a, 5, counting_inf);
  EXPECT_EQ(std::vector<long>(a, a + 5), (std::vector<long>{1, 3, 4, 5, 5}));
  EXPECT_EQ(comparisons, 9);

  std::vector<long> up(1000);
  for (int i = 0; i < 1000; ++i) up[i] = i / 3;
  comparisons = 0;
  sort_all(up.data(), 1000, counting_inf);
  EXPECT_EQ(comparisons, 999);

  long down[] = {4, 3, 2, 1};
  comparisons = 0;
  sort_all(down, 4, counting_inf);
  EXPECT_EQ(std::vector<long>(down, down + 4), (std::vector<long>{1, 2, 3, 4}));
  EXPECT_EQ(comparisons, 2 + 3 + 4);  // one shortcut test plus the whole before-chain each

  long one[] = {42}, none[] = {7};
  sort_all(one, 1, internal_inf);
  sort_all(none, 0, internal_inf);
  sort_all(none, -1, internal_inf);
  EXPECT_EQ(one[0], 42);
  EXPECT_EQ(none[0], 7);
}

TEST(SortAll, StableAndAgreesWithStableSort) {
  using Item = std::pair<int, int>;  // key, input order
  std::mt19937 gen(12345);
  std::vector<Item> v(2000);
  for (int i = 0; i < 2000; ++i) v[i] = {static_cast<int>(gen() % 50), i};
  std::vector<Item> expected = v;
  std::stable_sort(expected.begin(), expected.end(), [](const Item& x, const Item& y) { return x.first < y.first; });
  sort_all(v.data(), static_cast<int>(v.size()), [](const Item& x, const Item& y) { return x.first <= y.first; });
  EXPECT_EQ(v, expected);
}

TEST(SortAll, DeepChainsNeedNoDeepRecursion) {
  const int n = 1000000;
  std::vector<long> v(n);
  for (int i = 0; i < n; ++i) v[i] = i;
  sort_all(v.data(), n, internal_inf);  // a chain of n at-or-after nodes
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
  EXPECT_EQ(v.back(), n - 1);

  auto* root = new sort_tree<long>(0);  // a chain of n before nodes
  sort_tree<long>* cur = root;
  for (int i = 1; i < n; ++i) cur = cur->before = new sort_tree<long>(i);
  delete root;
}
