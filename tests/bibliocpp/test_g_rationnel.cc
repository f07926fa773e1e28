#include "g_longlong.h"
#include "g_rationnel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <iomanip>
#include <sstream>
#include <string>

namespace {

template <class T>
std::string text(const T& v) {
  std::ostringstream os;
  os << v;
  return os.str();
}

std::string fields(const g_rationnel& r) {
  return std::to_string(r.numerateur()) + "/" + std::to_string(r.denominateur());
}

}  // namespace

TEST(GRationnel, NormalFormAndPrinting) {
  EXPECT_EQ(fields(g_rationnel(4, 6)), "2/3");
  EXPECT_EQ(fields(g_rationnel(-4, 6)), "-2/3");
  EXPECT_EQ(fields(g_rationnel(0, 5)), "0/1");
  EXPECT_EQ(fields(g_rationnel(-3, 0)), "-1/0");
  EXPECT_EQ(fields(g_rationnel(INT_MIN, 2)), "-1073741824/1");
  EXPECT_EQ(fields(g_rationnel(INT_MIN, 3)), std::to_string(INT_MIN) + "/3");
  EXPECT_EQ(fields(g_rationnel()), "1/0");
  EXPECT_EQ(text(g_rationnel(-3, 0)), "-INFINI");
  EXPECT_EQ(text(g_rationnel(0, 0)), "UNDEF");
  EXPECT_EQ(text(g_rationnel()), "+INFINI");
  EXPECT_EQ(text(g_rationnel(1, 4)), "0.25");
  std::ostringstream os;
  os << std::setprecision(3) << g_rationnel(2, 3);
  EXPECT_EQ(os.str(), "0.667");

  g_rationnel r(1, 4);
  r.numerateur(6);
  EXPECT_EQ(fields(r), "3/2");
  r.denominateur(0);
  EXPECT_EQ(fields(r), "1/0");
  EXPECT_EQ(pgcd(12, 18), 6u);
  EXPECT_EQ(pgcd(7, 0), 7u);
  EXPECT_EQ(pgcd(0, 9), 9u);
}

TEST(GRationnel, ArithmeticWithInfinitiesAndUndef) {
  const g_rationnel half(1, 2), third(1, 3), sixth(1, 6), quarter(1, 4);
  const g_rationnel plus_inf, minus_inf(-1, 0), undef(0, 0);
  EXPECT_EQ(third + sixth, half);
  EXPECT_EQ(half - 1, g_rationnel(-1, 2));
  EXPECT_EQ(1 - half, half);
  EXPECT_EQ(3 + half, g_rationnel(7, 2));
  EXPECT_EQ(fields(2 / g_rationnel(-1, 3)), "-6/1");
  EXPECT_EQ(fields(half / g_rationnel(-1, 4)), "-2/1");
  EXPECT_EQ(fields(half / -3), "-1/6");
  EXPECT_EQ(fields(half * g_rationnel(-2, 3)), "-1/3");
  EXPECT_EQ(fields(4 * sixth), "2/3");

  EXPECT_EQ(half / 0, plus_inf);
  EXPECT_EQ(g_rationnel(-1, 2) / g_rationnel(0), minus_inf);
  EXPECT_EQ(g_rationnel(0) / g_rationnel(0), undef);
  EXPECT_EQ(3 / g_rationnel(0), plus_inf);
  EXPECT_EQ(plus_inf + 1, plus_inf);
  EXPECT_EQ(plus_inf - plus_inf, undef);
  EXPECT_EQ(plus_inf + minus_inf, undef);
  EXPECT_EQ(plus_inf * g_rationnel(0), undef);
  EXPECT_EQ(minus_inf * -2, plus_inf);
  // 32-bit wrapping, no undefined behaviour.
  EXPECT_EQ(fields(g_rationnel(INT_MAX) + 1), std::to_string(INT_MIN) + "/1");
  EXPECT_EQ(fields(g_rationnel(65536) * g_rationnel(65536)), "0/1");

  EXPECT_TRUE(g_rationnel(-1, 2) < half);
  EXPECT_TRUE(half <= half && half >= half && !(half < half));
  EXPECT_TRUE(third > quarter);
  EXPECT_TRUE(minus_inf < g_rationnel(-2000000000) && g_rationnel(2000000000) < plus_inf);
  EXPECT_TRUE(minus_inf < plus_inf && plus_inf > minus_inf && !(plus_inf < minus_inf));
  EXPECT_TRUE(!(undef < half) && !(undef > half) && !(undef < plus_inf) && !(minus_inf > undef));
}

TEST(GRationnel, FromDoubleAndBack) {
  g_rationnel r;
  EXPECT_EQ(fields(r = 0.125), "1/8");
  EXPECT_EQ(fields(r = -2.5), "-5/2");
  EXPECT_EQ(fields(r = 21.47483647), "2147483647/100000000");
  EXPECT_EQ(fields(r = -21.47483648), "-8388608/390625");  // -2^31 / 10^8
  EXPECT_EQ(fields(r = 21.5), "1/0");
  EXPECT_EQ(fields(r = -30.0), "-1/0");
  EXPECT_EQ(fields(r = 1e300), "1/0");
  EXPECT_EQ(fields(r = std::nan("")), "0/0");

  EXPECT_EQ(g_rationnel(-7, 2).entier(), -3);
  EXPECT_EQ(g_rationnel().entier(), INT_MAX);
  EXPECT_EQ(g_rationnel(-1, 0).entier(), INT_MIN);
  EXPECT_EQ(g_rationnel(0, 0).entier(), 0);
  EXPECT_EQ(g_rationnel(1, 4).flottant(), 0.25);
  EXPECT_TRUE(std::isinf(g_rationnel().flottant()) && g_rationnel().flottant() > 0);
  EXPECT_TRUE(std::isinf(g_rationnel(-1, 0).flottant()) && g_rationnel(-1, 0).flottant() < 0);
  EXPECT_TRUE(std::isnan(g_rationnel(0, 0).flottant()));
}

TEST(GLongLong, WordsShiftsComparisons) {
  EXPECT_EQ(text(g_longlong(1, 0)), "1 *2E32 + 0");
  EXPECT_EQ(text(g_longlong(-1)), "-1 *2E32 + 4294967295");
  EXPECT_EQ(g_longlong(-1), g_longlong(-1, 4294967295));
  EXPECT_EQ(g_longlong(0x123456789abL), g_longlong(0x123, 0x456789ab));
  g_longlong v;
  v = -5;
  EXPECT_EQ(v, g_longlong(-1, 4294967291));

  EXPECT_EQ(g_longlong(0, 4294967295) << 1, g_longlong(1, 4294967294));
  g_longlong a(1, 0);
  a.rshift(1);
  EXPECT_EQ(a, g_longlong(0, 2147483648));
  a.lshift(32);
  EXPECT_EQ(a, g_longlong(2147483648L, 0UL));
  g_longlong neg(-(1L << 20));
  neg.rshift(4);
  EXPECT_EQ(neg, g_longlong(-(1L << 16)));
  neg.rshift(0);
  neg.rshift(-3);
  EXPECT_EQ(neg, g_longlong(-(1L << 16)));
  // Beyond 32: shifts of 32 and the rest, as on the whole value.
  g_longlong big(-1099511627776L);  // -2^40
  big.rshift(40);
  EXPECT_EQ(big, g_longlong(-1));
  big.rshift(500);
  EXPECT_EQ(big, g_longlong(-1));
  EXPECT_EQ(g_longlong(1) << 40, g_longlong(256, 0));
  g_longlong pos(123456789);
  pos.rshift(1000);
  EXPECT_EQ(pos, g_longlong());

  EXPECT_EQ(g_longlong(3, 0x10) | 0x3, g_longlong(3, 0x13));
  EXPECT_TRUE(g_longlong(-1, 0) < g_longlong(0, 0));
  EXPECT_TRUE(g_longlong(0, 1) > g_longlong(0, 0));
  EXPECT_TRUE(g_longlong(0, 4294967295) < g_longlong(1, 0));
  EXPECT_TRUE(g_longlong(2, 2) <= g_longlong(2, 2) && g_longlong(2, 2) >= g_longlong(2, 2));
}
