// The walks of the equation systems against the recursion and the order they stand for.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "wood_walk.h"

namespace {

using graph = std::vector<std::set<long>>;

graph random_graph(std::mt19937& rng, long n, bool acyclic) {
  graph g(static_cast<size_t>(n));
  std::uniform_int_distribution<long> vertex(0, n - 1), coin(0, 3);
  for (long v = 0; v < n; ++v)
    for (long k = coin(rng); k > 0; --k) {
      long t = vertex(rng);
      if (!acyclic || t > v) g[static_cast<size_t>(v)].insert(t);
    }
  return g;
}

// The recursive walk: "+x" entering x (once), "-x" leaving it, nothing more once stop_at is
// entered. With `copy`, each vertex reads a copy of its successors and then clears its set.
struct reference {
  reference(graph& g, long stop_at, bool copy) : g(g), stop_at(stop_at), copy(copy), seen(g.size(), false) {}
  graph& g;
  long stop_at;
  bool copy;
  std::vector<bool> seen;
  std::string events;
  bool stopped = false;

  void enter(long x) {
    events += "+" + std::to_string(x);
    seen[static_cast<size_t>(x)] = true;
    if (x == stop_at) {
      stopped = true;
      return;
    }
    std::set<long> successors = g[static_cast<size_t>(x)];
    if (copy) g[static_cast<size_t>(x)].clear();
    for (long y : successors) {
      if (!seen[static_cast<size_t>(y)]) enter(y);
      if (stopped) return;
    }
    events += "-" + std::to_string(x);
  }
};

template <class Cursor>
std::string walk(graph& g, long root, long stop_at, bool copy, bool* completed) {
  struct frame {
    long v;
    Cursor successors;
  };
  wood_walk::depth_first<frame> w;
  std::vector<bool> seen(g.size(), false);
  std::string events;
  auto enter = [&](long x) {
    events += "+" + std::to_string(x);
    seen[static_cast<size_t>(x)] = true;
    if (x == stop_at) return w.stop();
    w.open(frame{x, Cursor(g[static_cast<size_t>(x)])});
    if (copy) g[static_cast<size_t>(x)].clear();
  };
  enter(root);
  *completed = w.run(
      [&](frame&, long y) {
        if (!seen[static_cast<size_t>(y)]) enter(y);
      },
      [&](frame& f, frame*) { events += "-" + std::to_string(f.v); });
  return events;
}

TEST(Walk, DepthFirstKeepsTheRecursiveOrderAndStops) {
  std::mt19937 rng(7);
  for (int round = 0; round < 200; ++round) {
    long n = 1 + round % 30;
    bool copy = round % 2 == 1;
    graph g = random_graph(rng, n, false);
    long stop_at = round % 3 == 0 ? static_cast<long>(rng() % n) : -1;
    graph g1 = g, g2 = g;
    reference r(g1, stop_at, copy);
    r.enter(0);
    bool completed = false;
    std::string events = copy ? walk<wood_walk::copied_cursor>(g2, 0, stop_at, true, &completed)
                              : walk<wood_walk::set_cursor>(g2, 0, stop_at, false, &completed);
    EXPECT_EQ(events, r.events) << "round " << round;
    EXPECT_EQ(completed, !r.stopped) << "round " << round;
    EXPECT_EQ(g2, g1) << "round " << round;
  }
}

TEST(Walk, TopologicalOrderOrCycle) {
  std::mt19937 rng(11);
  for (int round = 0; round < 100; ++round) {
    long n = 1 + round % 25;
    bool acyclic = round % 2 == 0;
    graph g = random_graph(rng, n, acyclic);
    auto edges = [&](long v, auto visit) {
      for (long t : g[static_cast<size_t>(v)]) visit(t);
    };
    std::vector<long> order;
    bool ok = wood_walk::topological(n, edges, order);
    std::vector<long> place(static_cast<size_t>(n), -1);
    for (size_t k = 0; k < order.size(); ++k) place[static_cast<size_t>(order[k])] = static_cast<long>(k);
    bool forward = true;
    for (long v = 0; v < n; ++v)
      for (long t : g[static_cast<size_t>(v)])
        if (place[static_cast<size_t>(v)] >= 0 && place[static_cast<size_t>(t)] >= 0)
          forward = forward && place[static_cast<size_t>(v)] < place[static_cast<size_t>(t)];
    EXPECT_TRUE(forward) << "round " << round;
    // Every vertex is ordered exactly when there is no cycle.
    EXPECT_EQ(ok, static_cast<long>(order.size()) == n) << "round " << round;
    if (acyclic) {
      EXPECT_TRUE(ok) << "round " << round;
    }
  }
  std::vector<long> order;
  graph loop{{1}, {0}, {}};
  EXPECT_FALSE(wood_walk::topological(3, [&](long v, auto visit) {
    for (long t : loop[static_cast<size_t>(v)]) visit(t);
  }, order));
  EXPECT_EQ(order, std::vector<long>{2});
}

}  // namespace
