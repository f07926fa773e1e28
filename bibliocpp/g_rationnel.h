// Exact rational number in lowest terms, with signed infinities and an undefined value.
//
// Invariant after every operation (plain copies and `=` from an int included, since n/1 is
// already normal): a denominator > 0 is prime to the numerator (0 is 0/1); a denominator 0 goes
// with numerator 1 (+infinity), -1 (-infinity) or 0 (undefined, UNDEF). Arithmetic is 32-bit and
// wraps on overflow (done in unsigned words); a division by zero gives an infinity or UNDEF.
#ifndef BIBLIOCPP_G_RATIONNEL_H
#define BIBLIOCPP_G_RATIONNEL_H

#include <ostream>

unsigned pgcd(unsigned a, unsigned b);  // pgcd(a, 0) = a, pgcd(0, b) = b

class g_rationnel {
 public:
  g_rationnel();                   // +infinity
  g_rationnel(int n);              // n/1
  g_rationnel(int n, unsigned d);  // n/d, normalised

  g_rationnel& operator=(int n);
  // Eight decimals: x·10^8 truncated over 10^8. Beyond the int range of x·10^8 (|x| ≥ about
  // 21.47483648) the result is the infinity of x's sign; NaN gives UNDEF.
  g_rationnel& operator=(double x);

  void normalise();

  // Integer part, truncated toward zero; +infinity gives INT_MAX, -infinity INT_MIN, UNDEF 0.
  int entier() const;
  double flottant() const;  // an infinity or NaN for a zero denominator

  int numerateur() const { return num_; }
  unsigned denominateur() const { return den_; }
  void numerateur(int n);       // then normalises
  void denominateur(unsigned d);  // then normalises

  friend bool operator==(const g_rationnel& a, const g_rationnel& b);
  friend bool operator!=(const g_rationnel& a, const g_rationnel& b);
  // a.num·b.den against b.num·a.den in 64 bits: the infinities lie below and above every finite
  // value, -infinity below +infinity; UNDEF is neither below nor above anything.
  friend bool operator<(const g_rationnel& a, const g_rationnel& b);
  friend bool operator<=(const g_rationnel& a, const g_rationnel& b);
  friend bool operator>(const g_rationnel& a, const g_rationnel& b);
  friend bool operator>=(const g_rationnel& a, const g_rationnel& b);

  friend g_rationnel operator*(const g_rationnel& a, const g_rationnel& b);
  friend g_rationnel operator*(const g_rationnel& a, int k);
  friend g_rationnel operator*(int k, const g_rationnel& a);
  friend g_rationnel operator/(const g_rationnel& a, const g_rationnel& b);
  friend g_rationnel operator/(const g_rationnel& a, int k);
  friend g_rationnel operator/(int k, const g_rationnel& a);
  friend g_rationnel operator+(const g_rationnel& a, const g_rationnel& b);
  friend g_rationnel operator+(const g_rationnel& a, int k);
  friend g_rationnel operator+(int k, const g_rationnel& a);
  friend g_rationnel operator-(const g_rationnel& a, const g_rationnel& b);
  friend g_rationnel operator-(const g_rationnel& a, int k);
  friend g_rationnel operator-(int k, const g_rationnel& a);

  // The value as a double with the stream's settings; "+INFINI", "-INFINI" or "UNDEF" for a zero
  // denominator.
  friend std::ostream& operator<<(std::ostream& os, const g_rationnel& r);

 private:
  int num_;
  unsigned den_;
};

#endif
