#include "g_longlong.h"

namespace {

const unsigned long kLowMask = 0xFFFFFFFFUL;

// Counts above 32 are split; past 128 bits every bit has left (or is the sign), so stop there.
template <class Step>
void shift_by(long n, Step step) {
  if (n > 128) n = 128;
  while (n > 32) {
    step(32);
    n -= 32;
  }
  if (n > 0) step(static_cast<int>(n));
}

}  // namespace

g_longlong::g_longlong(long high, unsigned long low) : high_(high), low_(low) {}

g_longlong::g_longlong(long v) : high_(v >> 32), low_(static_cast<unsigned long>(v) & kLowMask) {}

g_longlong::g_longlong(int high, unsigned low) : high_(high), low_(low) {}

g_longlong& g_longlong::operator=(int v) {
  high_ = v < 0 ? -1 : 0;
  low_ = static_cast<unsigned>(v);
  return *this;
}

void g_longlong::rshift(long n) {
  shift_by(n, [this](int k) {
    unsigned long from_high = static_cast<unsigned long>(high_) & ((1UL << k) - 1);
    low_ = ((low_ >> k) | (from_high << (32 - k))) & kLowMask;
    high_ >>= k;
  });
}

void g_longlong::lshift(long n) {
  shift_by(n, [this](int k) {
    unsigned long from_low = (low_ & kLowMask) >> (32 - k);
    high_ = static_cast<long>((static_cast<unsigned long>(high_) << k) | from_low);
    low_ = (low_ << k) & kLowMask;
  });
}

bool operator==(const g_longlong& a, const g_longlong& b) { return a.high_ == b.high_ && a.low_ == b.low_; }
bool operator!=(const g_longlong& a, const g_longlong& b) { return !(a == b); }
bool operator<(const g_longlong& a, const g_longlong& b) {
  return a.high_ < b.high_ || (a.high_ == b.high_ && a.low_ < b.low_);
}
bool operator>(const g_longlong& a, const g_longlong& b) { return b < a; }
bool operator<=(const g_longlong& a, const g_longlong& b) { return !(a > b); }
bool operator>=(const g_longlong& a, const g_longlong& b) { return !(a < b); }

g_longlong operator|(const g_longlong& a, unsigned long m) { return g_longlong(a.high_, a.low_ | m); }

g_longlong operator<<(const g_longlong& a, long n) {
  g_longlong r = a;
  r.lshift(n);
  return r;
}

std::ostream& operator<<(std::ostream& os, const g_longlong& v) { return os << v.high_ << " *2E32 + " << v.low_; }
