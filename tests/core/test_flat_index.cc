#include "flat_index.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <vector>

namespace {

struct item {
  long key;
};

// Few distinct hashes, so that runs are long, wrap around the array and mix keys: the shifts
// of a removal must keep every remaining key reachable and the first added one of each key first.
TEST(FlatIndex, RandomAddsAndRemovalsMatchAMap) {
  std::mt19937 rng(3);
  std::vector<item> items(600);
  for (size_t i = 0; i < items.size(); ++i) items[i].key = static_cast<long>(i % 150);
  auto hash = [](long key) { return static_cast<size_t>(key % 13) * 0x9e3779b97f4a7c15ULL; };
  flat_index<item> index;
  std::map<long, item*> first;  // the reference: first added item of each key still there
  for (int round = 0; round < 4000; ++round) {
    item* x = &items[rng() % items.size()];
    auto same = [x](const item* y) { return y->key == x->key; };
    long slot = index.locate(hash(x->key), same);
    auto it = first.find(x->key);
    ASSERT_EQ(slot >= 0, it != first.end()) << round;
    if (slot >= 0) {
      ASSERT_EQ(index.get(slot), it->second) << round;
      if (rng() % 2 == 0) {
        index.erase(slot);
        first.erase(it);
      } else {
        EXPECT_FALSE(index.insert_first(hash(x->key), x, same));  // the earlier one stays
      }
    } else {
      EXPECT_TRUE(index.insert_first(hash(x->key), x, same));
      first[x->key] = x;
    }
    ASSERT_EQ(index.size(), first.size()) << round;
  }
  for (auto& entry : first) {
    long slot = index.locate(hash(entry.first), [&](const item* y) { return y->key == entry.first; });
    ASSERT_GE(slot, 0);
    EXPECT_EQ(index.get(slot), entry.second);
  }
}

}  // namespace
