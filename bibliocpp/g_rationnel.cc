#include "g_rationnel.h"

#include <climits>
#include <cmath>
#include <cstdint>
#include <limits>

namespace {

// 32-bit words: the wrapping products and sums of the arithmetic.
uint32_t w(int v) { return static_cast<uint32_t>(v); }
int as_int(uint32_t v) { return static_cast<int>(v); }

// Normalised n/d from a wrapped numerator word and a denominator word.
g_rationnel make(uint32_t n, uint32_t d) { return g_rationnel(as_int(n), d); }

// Both words negated: the sign moves from the denominator to the numerator.
g_rationnel make_signed(uint32_t n, uint32_t d, bool negate) {
  return negate ? make(0u - n, 0u - d) : make(n, d);
}

int64_t cross(const g_rationnel& a, const g_rationnel& b) {
  return static_cast<int64_t>(a.numerateur()) * static_cast<int64_t>(b.denominateur());
}

// -1, 0 or 1 as a is below, level with or above b; 0 when UNDEF takes part.
int order(const g_rationnel& a, const g_rationnel& b) {
  if (a.denominateur() == 0 && b.denominateur() == 0 && a.numerateur() != 0 && b.numerateur() != 0)
    return (a.numerateur() > b.numerateur()) - (a.numerateur() < b.numerateur());
  int64_t l = cross(a, b), r = cross(b, a);
  return (l > r) - (l < r);
}

}  // namespace

unsigned pgcd(unsigned a, unsigned b) {
  while (b != 0) {
    unsigned r = a % b;
    a = b;
    b = r;
  }
  return a;
}

g_rationnel::g_rationnel() : num_(1), den_(0) {}

g_rationnel::g_rationnel(int n) : num_(n), den_(1) {}

g_rationnel::g_rationnel(int n, unsigned d) : num_(n), den_(d) { normalise(); }

g_rationnel& g_rationnel::operator=(int n) {
  num_ = n;
  den_ = 1;
  return *this;
}

g_rationnel& g_rationnel::operator=(double x) {
  double scaled = x * 100000000.0;
  den_ = 100000000u;
  if (std::isnan(scaled)) {
    num_ = 0;
    den_ = 0;
  } else if (scaled >= 2147483648.0) {
    num_ = 1;
    den_ = 0;
  } else if (scaled <= -2147483649.0) {
    num_ = -1;
    den_ = 0;
  } else {
    num_ = static_cast<int>(scaled);
  }
  normalise();
  return *this;
}

void g_rationnel::normalise() {
  if (den_ == 0) {
    num_ = (num_ > 0) - (num_ < 0);
    return;
  }
  bool negative = num_ < 0;
  uint32_t magnitude = negative ? 0u - w(num_) : w(num_);
  uint32_t g = pgcd(magnitude, den_);  // den_ > 0, so g > 0
  magnitude /= g;
  den_ /= g;
  num_ = as_int(negative ? 0u - magnitude : magnitude);
}

int g_rationnel::entier() const {
  if (den_ == 0) return num_ > 0 ? INT_MAX : num_ < 0 ? INT_MIN : 0;
  return static_cast<int>(static_cast<int64_t>(num_) / static_cast<int64_t>(den_));
}

double g_rationnel::flottant() const {
  if (den_ == 0)
    return num_ > 0 ? std::numeric_limits<double>::infinity()
           : num_ < 0 ? -std::numeric_limits<double>::infinity()
                      : std::numeric_limits<double>::quiet_NaN();
  return static_cast<double>(num_) / static_cast<double>(den_);
}

void g_rationnel::numerateur(int n) {
  num_ = n;
  normalise();
}

void g_rationnel::denominateur(unsigned d) {
  den_ = d;
  normalise();
}

bool operator==(const g_rationnel& a, const g_rationnel& b) { return a.num_ == b.num_ && a.den_ == b.den_; }
bool operator!=(const g_rationnel& a, const g_rationnel& b) { return !(a == b); }
bool operator<(const g_rationnel& a, const g_rationnel& b) { return order(a, b) < 0; }
bool operator<=(const g_rationnel& a, const g_rationnel& b) { return order(a, b) <= 0; }
bool operator>(const g_rationnel& a, const g_rationnel& b) { return order(a, b) > 0; }
bool operator>=(const g_rationnel& a, const g_rationnel& b) { return order(a, b) >= 0; }

g_rationnel operator*(const g_rationnel& a, const g_rationnel& b) {
  return make(w(a.num_) * w(b.num_), a.den_ * b.den_);
}
g_rationnel operator*(const g_rationnel& a, int k) { return make(w(a.num_) * w(k), a.den_); }
g_rationnel operator*(int k, const g_rationnel& a) { return a * k; }

g_rationnel operator/(const g_rationnel& a, const g_rationnel& b) {
  return make_signed(w(a.num_) * b.den_, w(b.num_) * a.den_, b.num_ < 0);
}
g_rationnel operator/(const g_rationnel& a, int k) { return make_signed(w(a.num_), w(k) * a.den_, k < 0); }
g_rationnel operator/(int k, const g_rationnel& a) { return make_signed(w(k) * a.den_, w(a.num_), a.num_ < 0); }

g_rationnel operator+(const g_rationnel& a, const g_rationnel& b) {
  return make(w(a.num_) * b.den_ + w(b.num_) * a.den_, a.den_ * b.den_);
}
g_rationnel operator+(const g_rationnel& a, int k) { return make(w(a.num_) + w(k) * a.den_, a.den_); }
g_rationnel operator+(int k, const g_rationnel& a) { return make(w(k) * a.den_ + w(a.num_), a.den_); }

g_rationnel operator-(const g_rationnel& a, const g_rationnel& b) {
  return make(w(a.num_) * b.den_ - w(b.num_) * a.den_, a.den_ * b.den_);
}
g_rationnel operator-(const g_rationnel& a, int k) { return make(w(a.num_) - w(k) * a.den_, a.den_); }
g_rationnel operator-(int k, const g_rationnel& a) { return make(w(k) * a.den_ - w(a.num_), a.den_); }

std::ostream& operator<<(std::ostream& os, const g_rationnel& r) {
  if (r.den_ != 0) return os << static_cast<double>(r.num_) / static_cast<double>(r.den_);
  return os << (r.num_ > 0 ? "+INFINI" : r.num_ < 0 ? "-INFINI" : "UNDEF");
}
