// Walks over the dependence graph of an equation system: a depth-first walk on an explicit
// stack, and a topological order. Internal to the equation-system library.
//
// The walks replace recursive ones whose visiting order fixes dates, warnings and node ids, so
// the depth-first walk keeps that order: the successors of the vertex on top are read one at a
// time, in the order of their set, each entered (its subtree done) before the next is read. The
// stack is explicit because chains of dependences are as long as the system is large.
#ifndef PERT_EXP_WOOD_WALK_H
#define PERT_EXP_WOOD_WALK_H

#include <set>
#include <utility>
#include <vector>

#include "shared_ids.h"

namespace wood_walk {

// The successors of an open vertex still to read, straight from a set that the walk does not
// change while the vertex is open.
class set_cursor {
 public:
  explicit set_cursor(const shared_ids& s) : it_(s.begin()), end_(s.end()) {}
  explicit set_cursor(shared_ids&&) = delete;  // the walk reads the set in place
  explicit set_cursor(const std::set<long>& s) : it_(s.begin(), s.end()), end_(s.end(), s.end()) {}
  bool next(long& x) {
    if (it_ == end_) return false;
    x = *it_++;
    return true;
  }

 private:
  shared_ids::iterator it_, end_;
};

// The same from a copy taken when the vertex opens, for a walk that may change the set.
class copied_cursor {
 public:
  template <class Ids>
  explicit copied_cursor(const Ids& s) : ids_(s.begin(), s.end()) {}
  bool next(long& x) {
    if (i_ == ids_.size()) return false;
    x = ids_[i_++];
    return true;
  }

 private:
  std::vector<long> ids_;
  size_t i_ = 0;
};

// A depth-first walk over frames of type Frame, each with a cursor member `successors`.
template <class Frame>
class depth_first {
 public:
  // Opens a vertex: its frame goes on top of the stack. At most one frame per step, so that the
  // frame being stepped stays where it is (run keeps room for one more).
  void open(Frame f) { stack_.push_back(std::move(f)); }
  // Ends the walk after the current step; run then returns false.
  void stop() { stopped_ = true; }

  // Runs until the stack is empty or stop is called. step(Frame& f, long x) is called for each
  // successor x of the frame on top, and may open the frame of x; leave(Frame& f, Frame* parent)
  // is called once f has no successor left, just before it is popped (parent is null for a
  // root), and opens nothing.
  template <class Step, class Leave>
  bool run(Step step, Leave leave) {
    while (!stack_.empty() && !stopped_) {
      long x;
      if (stack_.back().successors.next(x)) {
        if (stack_.size() == stack_.capacity()) stack_.reserve(2 * stack_.size());
        step(stack_.back(), x);
        continue;
      }
      leave(stack_.back(), stack_.size() > 1 ? &stack_[stack_.size() - 2] : nullptr);
      stack_.pop_back();
    }
    return !stopped_;
  }
  template <class Step>
  bool run(Step step) {
    return run(step, [](Frame&, Frame*) {});
  }

 private:
  std::vector<Frame> stack_;
  bool stopped_ = false;
};

// Kahn's order of the vertices 0..n-1 under edges(v, visit), which calls visit(t) for each edge
// v -> t; false when there is a cycle (order then lacks the vertices on a cycle or after one).
// relax(v, t) is called for each edge of an ordered v, in order, once every edge into v has been
// relaxed: a longest-path pass fused into the sort.
template <class Edges, class Relax>
bool topological(long n, Edges edges, std::vector<long>& order, Relax relax) {
  std::vector<long> pending(static_cast<size_t>(n), 0);
  for (long v = 0; v < n; ++v) edges(v, [&](long t) { ++pending[static_cast<size_t>(t)]; });
  order.clear();
  for (long v = 0; v < n; ++v)
    if (pending[static_cast<size_t>(v)] == 0) order.push_back(v);
  for (size_t k = 0; k < order.size(); ++k) {
    long v = order[k];
    edges(v, [&](long t) {
      relax(v, t);
      if (--pending[static_cast<size_t>(t)] == 0) order.push_back(t);
    });
  }
  return static_cast<long>(order.size()) == n;
}

template <class Edges>
bool topological(long n, Edges edges, std::vector<long>& order) {
  return topological(n, edges, order, [](long, long) {});
}

}  // namespace wood_walk

#endif
