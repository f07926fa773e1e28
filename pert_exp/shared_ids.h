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
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "id_bits.h"

class shared_ids {
 public:
  // The ids in increasing order, the set's and the added ones merged.
  class iterator : public id_iterator_types {
   public:
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
  shared_ids(const shared_ids& o) : ids_(o.ids_), added_(o.added_ ? new std::vector<long>(*o.added_) : nullptr) {}
  shared_ids(shared_ids&&) = default;
  shared_ids& operator=(const shared_ids& o) {
    if (this != &o) {
      ids_ = o.ids_;
      added_.reset(o.added_ ? new std::vector<long>(*o.added_) : nullptr);
    }
    return *this;
  }
  shared_ids& operator=(shared_ids&&) = default;
  shared_ids(std::set<long> ids) { *this = std::move(ids); }  // NOLINT: a set converts
  shared_ids& operator=(std::set<long> ids) {
    added_.reset();
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
    iterator::list_it a = added_ ? added_->begin() : iterator::list_it(), a_end = added_ ? added_->end() : a;
    if (ids_ == nullptr) return {{}, {}, a, a_end};
    return {ids_->begin(), ids_->end(), a, a_end};
  }
  iterator end() const {
    iterator::list_it a_end = added_ ? added_->end() : iterator::list_it();
    if (ids_ == nullptr) return {{}, {}, a_end, a_end};
    return {ids_->end(), ids_->end(), a_end, a_end};
  }
  size_t size() const { return (ids_ != nullptr ? ids_->size() : 0) + (added_ ? added_->size() : 0); }
  size_t count(long id) const {
    if (ids_ != nullptr && ids_->count(id) != 0) return 1;
    return added_ && std::binary_search(added_->begin(), added_->end(), id) ? 1 : 0;
  }
  bool empty() const { return size() == 0; }
  // Whether these are the n sorted ids from first.
  template <class It>
  bool equals(It first, size_t n) const {
    if (size() != n) return false;
    if (!added_) return ids_ == nullptr || std::equal(ids_->begin(), ids_->end(), first);
    return std::equal(begin(), end(), first);
  }
  bool operator==(const std::set<long>& s) const { return equals(s.begin(), s.size()); }
  bool operator==(const shared_ids& o) const { return same_as(o) || equals(o.begin(), o.size()); }
  // The same set object and added list: equal without reading them.
  bool same_as(const shared_ids& o) const {
    return ids_ == o.ids_ && (added_ ? o.added_ && *added_ == *o.added_ : !o.added_);
  }
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
    added_.reset();
    if (owned())
      ids_->clear();
    else
      ids_.reset();
  }
  // Changes that copy a shared set only when they change it. Ids mostly arrive in increasing
  // order: the hint at the end makes those insertions constant time.
  void insert(long id) {
    if (ids_ == nullptr || owned()) {
      std::set<long>& ids = edit();
      ids.insert(ids.end(), id);
      return;
    }
    if (count(id) != 0) return;
    if (!added_) added_.reset(new std::vector<long>);
    added_->insert(std::upper_bound(added_->begin(), added_->end(), id), id);
    if (added_->size() > kAddedFloor && added_->size() * kAddedShare > ids_->size()) merge_added();
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
  // The added ids into the set: in place when it is this holder's own, else into a copy.
  void merge_added() const {
    if (!added_) return;
    if (!owned()) ids_ = std::make_shared<std::set<long>>(*ids_);
    for (long id : *added_) ids_->insert(id);
    added_.reset();
  }
  // Logically const: get() merges the added ids without changing the ids held.
  mutable std::shared_ptr<std::set<long>> ids_;
  // Sorted, none in *ids_, only beside a set; null when none (a table holds many holders).
  mutable std::unique_ptr<std::vector<long>> added_;
  static const std::set<long>& none() {
    static const std::set<long> empty;
    return empty;
  }
};

inline bool operator==(const std::set<long>& s, const shared_ids& ids) { return ids == s; }

#endif
