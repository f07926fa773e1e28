// A set of a system's variable ids (those with an equation, those not merged back) as one bit
// per id, with the set operations the system uses, in increasing id order.
//
// Built so because a fork copies these sets whole: a copy is one block of words, and a walk in
// id order reads 64 ids per word. An iterator reads the bits as they are when it moves, as a
// node-based set's does: ids inserted ahead of it are visited, ids erased are not.
#ifndef PERT_EXP_ID_BITS_H
#define PERT_EXP_ID_BITS_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

// The member types of a forward iterator that reads ids.
struct id_iterator_types {
  using iterator_category = std::forward_iterator_tag;
  using value_type = long;
  using difference_type = std::ptrdiff_t;
  using pointer = const long*;
  using reference = const long&;
};

class id_bits {
 public:
  class iterator : public id_iterator_types {
   public:
    iterator() = default;
    const long& operator*() const { return id_; }
    iterator& operator++() {
      id_ = set_->next(id_ + 1);
      return *this;
    }
    iterator operator++(int) {
      iterator before = *this;
      ++*this;
      return before;
    }
    bool operator==(const iterator& o) const { return id_ == o.id_; }
    bool operator!=(const iterator& o) const { return id_ != o.id_; }

   private:
    friend class id_bits;
    iterator(const id_bits* s, long id) : set_(s), id_(id) {}
    const id_bits* set_ = nullptr;
    long id_ = -1;  // -1: the end
  };
  using const_iterator = iterator;

  iterator begin() const { return {this, next(0)}; }
  iterator end() const { return {this, -1}; }
  iterator lower_bound(long id) const { return {this, next(id < 0 ? 0 : id)}; }

  bool insert(long id) {
    size_t w = static_cast<size_t>(id) >> 6;
    if (w >= words_.size()) words_.resize(w + 1, 0);
    uint64_t bit = uint64_t{1} << (id & 63);
    if ((words_[w] & bit) != 0) return false;
    words_[w] |= bit;
    ++count_;
    return true;
  }
  iterator insert(iterator, long id) {
    insert(id);
    return {this, id};
  }
  template <class It>
  void insert(It first, It last) {
    for (; first != last; ++first) insert(*first);
  }
  size_t erase(long id) {
    if (count(id) == 0) return 0;
    words_[static_cast<size_t>(id) >> 6] &= ~(uint64_t{1} << (id & 63));
    --count_;
    return 1;
  }
  iterator erase(iterator it) {
    long id = *it;
    erase(id);
    return {this, next(id + 1)};
  }
  size_t count(long id) const {
    size_t w = static_cast<size_t>(id) >> 6;
    return id >= 0 && w < words_.size() && ((words_[w] >> (id & 63)) & 1) != 0 ? 1 : 0;
  }
  size_t size() const { return count_; }
  bool empty() const { return count_ == 0; }
  void clear() {
    words_.clear();
    count_ = 0;
  }
  void swap(id_bits& o) {
    words_.swap(o.words_);
    std::swap(count_, o.count_);
  }
  // Drops the ids from n on.
  void truncate(size_t n) {
    size_t words = (n + 63) >> 6;
    if (words < words_.size()) words_.resize(words);
    if ((n & 63) != 0 && (n >> 6) < words_.size()) words_[n >> 6] &= (uint64_t{1} << (n & 63)) - 1;
    recount();
  }
  // Keeps the ids o holds too.
  void intersect(const id_bits& o) {
    if (words_.size() > o.words_.size()) words_.resize(o.words_.size());
    for (size_t w = 0; w < words_.size(); ++w) words_[w] &= o.words_[w];
    recount();
  }
  // Adds the ids o holds.
  void unite(const id_bits& o) {
    if (o.words_.size() > words_.size()) words_.resize(o.words_.size(), 0);
    for (size_t w = 0; w < o.words_.size(); ++w) words_[w] |= o.words_[w];
    recount();
  }
  // The ids 64 * w to 64 * w + 63, one bit each.
  uint64_t word(size_t w) const { return w < words_.size() ? words_[w] : 0; }
  bool operator==(const id_bits& o) const {
    return count_ == o.count_ && std::equal(begin(), end(), o.begin(), o.end());
  }
  bool operator==(const std::set<long>& s) const {
    return count_ == s.size() && std::equal(begin(), end(), s.begin(), s.end());
  }

 private:
  // The first id at least `from` in the set, or -1.
  long next(long from) const {
    size_t w = static_cast<size_t>(from) >> 6;
    if (w >= words_.size()) return -1;
    uint64_t bits = words_[w] & (~uint64_t{0} << (from & 63));
    while (bits == 0) {
      if (++w == words_.size()) return -1;
      bits = words_[w];
    }
    return static_cast<long>(w << 6) + __builtin_ctzll(bits);
  }

  void recount() {
    count_ = 0;
    for (uint64_t w : words_) count_ += static_cast<size_t>(__builtin_popcountll(w));
  }

  std::vector<uint64_t> words_;
  size_t count_ = 0;
};

std::ostream& operator<<(std::ostream& os, const id_bits& s);

#endif
