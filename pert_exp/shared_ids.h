// A set of variable ids with value semantics (an equation's dependences, a variable's readers),
// shared by the copies of an equation or system until one of them changes it.
//
// Built so because a fork copies every equation and the whole reader table of a system, and
// most of the copy is never changed before it is merged back and destroyed: sharing makes
// copying (and destroying) a set one pointer copy instead of one node per id. A shared set is
// never changed. A holder that adds ids to a shared set keeps them beside it, in a short sorted
// list, rather than copying the set: the dependences of a long equation gain an id or two in
// each branch that extends it. The list is merged into the set when the set becomes the
// holder's own, when it grows past a fraction of the set, or when the set is read as a
// std::set (get); a holder's other changes copy a shared set first. So no holder sees
// another's change.
#ifndef PERT_EXP_SHARED_IDS_H
#define PERT_EXP_SHARED_IDS_H

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class shared_ids {
 public:
  // The ids in increasing order, the set's and the added ones merged.
  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = long;
    using difference_type = std::ptrdiff_t;
    using pointer = const long*;
    using reference = const long&;
    iterator() = default;
    // Over a plain set, from it to end.
    iterator(std::set<long>::const_iterator it, std::set<long>::const_iterator end) : it_(it), end_(end) {}
    const long& operator*() const { return from_set() ? *it_ : *added_; }
    iterator& operator++() {
      if (from_set())
        ++it_;
      else
        ++added_;
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& o) const { return it_ == o.it_ && added_ == o.added_; }
    bool operator!=(const iterator& o) const { return !(*this == o); }

   private:
    friend class shared_ids;
    using set_it = std::set<long>::const_iterator;
    using list_it = std::vector<long>::const_iterator;
    iterator(set_it it, set_it end, list_it added, list_it added_end)
        : it_(it), end_(end), added_(added), added_end_(added_end) {}
    bool from_set() const { return added_ == added_end_ || (it_ != end_ && *it_ < *added_); }
    set_it it_, end_;
    list_it added_, added_end_;
  };
  using const_iterator = iterator;

  shared_ids() = default;
  shared_ids(std::set<long> ids) { *this = std::move(ids); }  // NOLINT: a set converts
  shared_ids& operator=(std::set<long> ids) {
    added_.clear();
    if (owned())
      *ids_ = std::move(ids);
    else if (ids.empty())
      ids_.reset();
    else
      ids_ = std::make_shared<std::set<long>>(std::move(ids));
    return *this;
  }

  // The set as a std::set: the added ids are merged into it first.
  const std::set<long>& get() const {
    merge_added();
    return ids_ != nullptr ? *ids_ : none();
  }
  operator const std::set<long>&() const { return get(); }  // NOLINT: read as a set
  iterator begin() const {
    const std::set<long>& s = base();
    return {s.begin(), s.end(), added_.begin(), added_.end()};
  }
  iterator end() const {
    const std::set<long>& s = base();
    return {s.end(), s.end(), added_.end(), added_.end()};
  }
  size_t size() const { return base().size() + added_.size(); }
  size_t count(long id) const {
    return base().count(id) != 0 || std::binary_search(added_.begin(), added_.end(), id) ? 1 : 0;
  }
  bool empty() const { return size() == 0; }
  bool operator==(const std::set<long>& s) const {
    return size() == s.size() && std::equal(begin(), end(), s.begin());
  }
  bool operator==(const shared_ids& o) const {
    if (ids_ == o.ids_ && added_ == o.added_) return true;
    return size() == o.size() && std::equal(begin(), end(), o.begin());
  }
  // The same set object and added list: equal without reading them.
  bool same_as(const shared_ids& o) const { return ids_ == o.ids_ && added_ == o.added_; }
  // The set, this holder's own: copied first when shared.
  std::set<long>& edit() {
    merge_added();
    if (ids_ == nullptr)
      ids_ = std::make_shared<std::set<long>>();
    else if (!owned())
      ids_ = std::make_shared<std::set<long>>(*ids_);
    return *ids_;
  }
  void clear() {
    added_.clear();
    if (owned())
      ids_->clear();
    else
      ids_.reset();
  }
  // Changes that copy a shared set only when they change it. Ids mostly arrive in increasing
  // order: the hint at the end makes those insertions constant time.
  void insert(long id) {
    if (count(id) != 0) return;
    if (ids_ != nullptr && !owned()) {
      added_.insert(std::upper_bound(added_.begin(), added_.end(), id), id);
      if (added_.size() > kAddedFloor && added_.size() * kAddedShare > ids_->size()) merge_added();
      return;
    }
    std::set<long>& ids = edit();
    ids.insert(ids.end(), id);
  }
  void erase(long id) {
    if (count(id) != 0) edit().erase(id);
  }
  template <class It>
  void insert(It first, It last) {
    for (; first != last; ++first) insert(*first);
  }
  // The set, this holder left empty.
  std::set<long> release() {
    merge_added();
    std::set<long> ids;
    if (owned()) {
      ids.swap(*ids_);
    } else {
      ids = get();
      ids_.reset();
    }
    return ids;
  }

 private:
  // Added ids beyond kAddedFloor and one in kAddedShare of the set are merged into a copy of it.
  static constexpr size_t kAddedFloor = 16;
  static constexpr size_t kAddedShare = 8;
  // A set of this holder's only is changed in place, as a set member would be: references
  // to it stay valid.
  bool owned() const { return ids_ != nullptr && ids_.use_count() == 1; }
  const std::set<long>& base() const { return ids_ != nullptr ? *ids_ : none(); }
  // The added ids into the set: in place when it is this holder's own, else into a copy.
  void merge_added() const {
    if (added_.empty()) return;
    if (!owned()) ids_ = std::make_shared<std::set<long>>(*ids_);
    for (long id : added_) ids_->insert(id);
    added_.clear();
  }
  // Logically const: get() merges the added ids without changing the ids held.
  mutable std::shared_ptr<std::set<long>> ids_;
  mutable std::vector<long> added_;  // sorted, none in *ids_; only beside a set
  static const std::set<long>& none() {
    static const std::set<long> empty;
    return empty;
  }
};

inline bool operator==(const std::set<long>& s, const shared_ids& ids) { return ids == s; }

#endif
