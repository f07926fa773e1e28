// A set of variable ids with value semantics (an equation's dependences, a variable's readers),
// shared by the copies of an equation or system until one of them changes it.
//
// Built so because a fork copies every equation and the whole reader table of a system, and
// most of the copy is never changed before it is merged back and destroyed: sharing makes
// copying (and destroying) a set one pointer copy instead of one node per id. A shared set is
// never changed: a holder's change copies it first, so no holder sees another's change.
#ifndef PERT_EXP_SHARED_IDS_H
#define PERT_EXP_SHARED_IDS_H

#include <cstddef>
#include <memory>
#include <set>
#include <utility>

class shared_ids {
 public:
  shared_ids() = default;
  shared_ids(std::set<long> ids) { *this = std::move(ids); }  // NOLINT: a set converts
  shared_ids& operator=(std::set<long> ids) {
    if (owned())
      *ids_ = std::move(ids);
    else if (ids.empty())
      ids_.reset();
    else
      ids_ = std::make_shared<std::set<long>>(std::move(ids));
    return *this;
  }

  const std::set<long>& get() const { return ids_ != nullptr ? *ids_ : none(); }
  operator const std::set<long>&() const { return get(); }  // NOLINT: read as a set
  std::set<long>::const_iterator begin() const { return get().begin(); }
  std::set<long>::const_iterator end() const { return get().end(); }
  size_t size() const { return get().size(); }
  size_t count(long id) const { return get().count(id); }
  bool empty() const { return ids_ == nullptr || ids_->empty(); }
  bool operator==(const std::set<long>& s) const { return get() == s; }
  // The set, this holder's own: copied first when shared.
  std::set<long>& edit() {
    if (ids_ == nullptr)
      ids_ = std::make_shared<std::set<long>>();
    else if (!owned())
      ids_ = std::make_shared<std::set<long>>(*ids_);
    return *ids_;
  }
  void clear() {
    if (owned())
      ids_->clear();
    else
      ids_.reset();
  }
  // Changes that copy a shared set only when they change it. Ids mostly arrive in increasing
  // order: the hint at the end makes those insertions constant time.
  void insert(long id) {
    if (get().count(id) != 0) return;
    std::set<long>& ids = edit();
    ids.insert(ids.end(), id);
  }
  void erase(long id) {
    if (get().count(id) != 0) edit().erase(id);
  }
  template <class It>
  void insert(It first, It last) {
    if (first != last) edit().insert(first, last);
  }
  // The set, this holder left empty.
  std::set<long> release() {
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
  // A set of this holder's only is changed in place, as a set member would be: references
  // to it stay valid.
  bool owned() const { return ids_ != nullptr && ids_.use_count() == 1; }
  std::shared_ptr<std::set<long>> ids_;
  static const std::set<long>& none() {
    static const std::set<long> empty;
    return empty;
  }
};

#endif
