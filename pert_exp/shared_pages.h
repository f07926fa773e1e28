// An entry per variable id (a variable's readers, its latest date), in pages of 256 that the
// copies of a system share until one of them changes an entry of the page.
//
// Built so because a fork copies the whole system: copying these tables is one pointer per 256
// ids, and a branch changes the entries of the few variables it reads or dates. A page never
// written reads as T(); a shared page is never changed, a holder's change copies it first.
#ifndef PERT_EXP_SHARED_PAGES_H
#define PERT_EXP_SHARED_PAGES_H

#include <algorithm>
#include <array>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

template <class T>
class shared_pages {
 public:
  size_t size() const { return size_; }
  const T& operator[](size_t i) const {
    const std::shared_ptr<page>& p = pages_[i >> kShift];
    return p ? (*p)[i & kMask] : blank();
  }
  // Entry i, this holder's own: its page is made or copied first.
  T& edit(size_t i) {
    if (i >= touched_) touched_ = i + 1;
    std::shared_ptr<page>& p = pages_[i >> kShift];
    if (!p)
      p = std::make_shared<page>();
    else if (p.use_count() > 1)
      p = std::make_shared<page>(*p);
    return (*p)[i & kMask];
  }
  // n entries, every one T().
  void assign(size_t n) {
    pages_.clear();
    size_ = 0;
    touched_ = 0;
    resize(n);
  }
  // Grows to n entries (the new ones T()) or drops those from n on.
  void resize(size_t n) {
    size_t from = n < size_ ? n : size_;
    pages_.resize((n + kMask) >> kShift);
    size_ = n;
    blank_tail(from);
  }
  // The first n entries of src (sharing its pages), then T() up to size entries.
  void share_prefix(const shared_pages& src, size_t n, size_t size) {
    if (n > src.size_) n = src.size_;
    pages_.assign(src.pages_.begin(), src.pages_.begin() + static_cast<long>((n + kMask) >> kShift));
    size_ = n;
    touched_ = src.touched_;
    blank_tail(n);
    resize(size);
  }
  // Entries below n (at most size()) read as src's, whole pages shared; the others stay.
  void replace_prefix(const shared_pages& src, size_t n) {
    size_t whole = n >> kShift;
    for (size_t p = 0; p < whole; ++p) pages_[p] = p < src.pages_.size() ? src.pages_[p] : nullptr;
    size_t copied = std::min(whole << kShift, src.touched_);
    if (copied > touched_) touched_ = copied;
    for (size_t i = whole << kShift; i < n; ++i) {
      const T& v = i < src.size_ ? src[i] : blank();
      if (!((*this)[i] == v)) edit(i) = v;
    }
  }
  // Calls f(i) for each i below n whose page this table and o do not share.
  template <class F>
  void for_each_unshared(const shared_pages& o, size_t n, F f) const {
    for (size_t p = 0; (p << kShift) < n; ++p) {
      const page* mine = p < pages_.size() ? pages_[p].get() : nullptr;
      const page* theirs = p < o.pages_.size() ? o.pages_[p].get() : nullptr;
      if (mine == theirs) continue;
      for (size_t i = p << kShift, end = std::min(n, (p + 1) << kShift); i < end; ++i) f(i);
    }
  }
  void swap(shared_pages& o) {
    pages_.swap(o.pages_);
    std::swap(size_, o.size_);
    std::swap(touched_, o.touched_);
  }

 private:
  static constexpr size_t kShift = 8;
  static constexpr size_t kMask = (size_t{1} << kShift) - 1;
  using page = std::array<T, size_t{1} << kShift>;
  std::vector<std::shared_ptr<page>> pages_;
  size_t size_ = 0;
  size_t touched_ = 0;  // every entry from here on reads T(): none was ever edited

  static const T& blank() {
    static const T value{};
    return value;
  }
  // Entries from `from` to the end of their page read T() again (a table that shrinks, or
  // shares a page only part of which it takes).
  void blank_tail(size_t from) {
    size_t p = from >> kShift;
    if (from >= touched_ || (from & kMask) == 0 || p >= pages_.size() || !pages_[p]) {
      if (from < touched_ && (from & kMask) == 0) touched_ = from;
      return;
    }
    for (size_t k = from & kMask; k <= kMask; ++k)
      if (!((*pages_[p])[k] == blank())) edit((p << kShift) | k) = T();
    touched_ = from;
  }
};

#endif
