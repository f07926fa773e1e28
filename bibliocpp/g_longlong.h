// Signed integer held as two words: the value is high·2^32 + low, with 0 <= low < 2^32.
#ifndef BIBLIOCPP_G_LONGLONG_H
#define BIBLIOCPP_G_LONGLONG_H

#include <ostream>

class g_longlong {
 public:
  g_longlong() = default;                      // 0
  g_longlong(long high, unsigned long low);    // the words as given
  g_longlong(long v);                          // high = v >> 32 (arithmetic), low = v mod 2^32
  g_longlong(int high, unsigned low);          // the words as given

  g_longlong& operator=(int v);  // high -1 for a negative v, else 0; low = v as 32-bit unsigned

  long high() const { return high_; }
  unsigned long low() const { return low_; }
  long high(long h) { return high_ = h; }
  unsigned long low(unsigned long l) { return low_ = l; }

  // Shifts of the whole value; a count above 32 is done as shifts of 32 and the rest, a negative
  // count shifts nothing. Left shifts wrap the high word.
  void rshift(long n);  // arithmetic
  void lshift(long n);

  friend bool operator==(const g_longlong& a, const g_longlong& b);
  friend bool operator!=(const g_longlong& a, const g_longlong& b);
  friend bool operator<(const g_longlong& a, const g_longlong& b);  // high signed, then low
  friend bool operator>(const g_longlong& a, const g_longlong& b);
  friend bool operator<=(const g_longlong& a, const g_longlong& b);  // not >
  friend bool operator>=(const g_longlong& a, const g_longlong& b);  // not <
  friend g_longlong operator|(const g_longlong& a, unsigned long m);  // low word or-ed with m
  friend g_longlong operator<<(const g_longlong& a, long n);           // a copy, lshift(n)
  // "<high> *2E32 + <low>" in decimal.
  friend std::ostream& operator<<(std::ostream& os, const g_longlong& v);

 private:
  long high_ = 0;
  unsigned long low_ = 0;
};

#endif
