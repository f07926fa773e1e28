#include "Stringpp.h"

#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>

namespace {

bool ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool digit(char c) { return c >= '0' && c <= '9'; }
bool hex_digit(char c) { return digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool accented(char c) {
  switch (static_cast<unsigned char>(c)) {
    case 0xE0: case 0xE2: case 0xE7: case 0xE8: case 0xE9: case 0xEA: case 0xF4: case 0x8C:
      return true;
    default:
      return false;
  }
}

// c - '0' with c a signed byte, reduced modulo 2^width.
template <class U>
U digit_bits(char c) {
  return static_cast<U>(static_cast<long>(static_cast<signed char>(c)) - '0');
}

// Decimal reading shared by Stoi/Stol/Stoll, computed in an unsigned type so that overflow wraps.
template <class U>
U decimal_bits(const std::string& s) {
  if (s.empty()) return 0;
  bool negative = s[0] == '-';
  U acc = negative ? U(0) : digit_bits<U>(s[0]);
  for (size_t i = 1; i < s.size(); ++i) acc = static_cast<U>(acc * 10u + digit_bits<U>(s[i]));
  return negative ? static_cast<U>(U(0) - acc) : acc;
}

std::string trim_blanks(const std::string& s) {
  size_t b = s.find_first_not_of(' ');
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(' ');
  return s.substr(b, e - b + 1);
}

std::string dtoS_printf(double x, int n) {
  int prec = n < 0 ? 0 : n;
  int len = std::snprintf(nullptr, 0, "%.*f", prec, x);
  if (len < 0) return "";
  std::string out(static_cast<size_t>(len) + 1, '\0');
  std::snprintf(&out[0], out.size(), "%.*f", prec, x);
  out.resize(static_cast<size_t>(len));
  return out;
}

}  // namespace

// ---- text to numbers ----

char* Stoa(const std::string& s) {
  char* a = new char[s.size() + 1];
  if (!s.empty()) std::memcpy(a, s.data(), s.size());
  a[s.size()] = '\0';
  return a;
}

int Stoi(std::string s) { return static_cast<int>(decimal_bits<uint32_t>(s)); }
long Stol(std::string s) { return static_cast<long>(decimal_bits<unsigned long>(s)); }
long long Stoll(std::string s) { return static_cast<long long>(decimal_bits<unsigned long long>(s)); }

double Stod(std::string s, char separator) {
  size_t i = s.find_first_not_of(' ');
  if (i == std::string::npos) return 0.0;
  double sign = 1.0;
  if (s[i] == '-') {
    sign = -1.0;
    ++i;
  }
  double value = 0.0, divisor = 0.0;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if (c == separator) {
      divisor = 1.0;
    } else if (digit(c)) {
      value = value * 10.0 + (c - '0');
      divisor *= 10.0;
    } else {
      break;
    }
  }
  value *= sign;
  return divisor >= 2.0 ? value / divisor : value;
}

unsigned long Stouhex(const std::string& s) {
  unsigned long v = 0;
  for (char c : s) {
    v <<= 4;
    if (digit(c)) v += static_cast<unsigned long>(c - '0');
    else if (c >= 'a' && c <= 'f') v += static_cast<unsigned long>(c - 'a' + 10);
    else if (c >= 'A' && c <= 'F') v += static_cast<unsigned long>(c - 'A' + 10);
  }
  return v;
}

long Stoshex(const std::string& s) {
  uint64_t v = Stouhex(s);
  if (!s.empty() && static_cast<signed char>(s[0]) > '7') {
    uint64_t power = 1;  // 16^length, wrapping to 0 from 16 characters on
    for (size_t i = 0; i < s.size() && power != 0; ++i) power <<= 4;
    v -= power;
  }
  return static_cast<long>(v);
}

long Stoloruhex(const std::string& marker, const std::string& s) {
  size_t p = s.find(marker);
  if (p == std::string::npos) return Stol(s);
  return static_cast<long>(Stouhex(s.substr(p)));
}

long Stohex(const std::string& s, const std::string& marker) {
  size_t p = s.find(marker);
  if (p != std::string::npos) return static_cast<long>(Stouhex(s.substr(0, p)));
  long v = Stol(s);
  std::cerr << "Decimal Conversion " << v << "\n";
  return v;
}

unsigned long Stoubin(const std::string& s) {
  unsigned long v = 0;
  for (char c : s) v = v * 2 + digit_bits<unsigned long>(c);
  return v;
}

long Stosbin(const std::string& s) {
  if (s.empty()) return 0;
  if (s[0] == '0') return static_cast<long>(Stoubin(s.substr(1)));
  unsigned long c = 0;
  for (size_t i = 1; i < s.size(); ++i) c = c * 2 + 1 - digit_bits<unsigned long>(s[i]);
  return static_cast<long>(~c);
}

// ---- numbers to text ----

std::string unslong2S(unsigned long v) {
  char buf[24];
  int i = sizeof buf;
  do {
    buf[--i] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  return std::string(buf + i, sizeof buf - static_cast<size_t>(i));
}

std::string long2S(long v) {
  if (v < 0) return "-" + unslong2S(0ul - static_cast<unsigned long>(v));
  return unslong2S(static_cast<unsigned long>(v));
}

std::string dtoS(double x, int n) {
  // Outside the range of the integer algorithm the C library formats the value.
  if (!std::isfinite(x) || std::fabs(x) >= 9223372036854775808.0 || n > 18) return dtoS_printf(x, n);
  std::string sign;
  if (x < 0) {
    sign = "-";
    x = -x;
  }
  long i = static_cast<long>(x);
  unsigned long p = 1;
  for (int k = 0; k < n; ++k) p *= 10;
  double f = (x - static_cast<double>(i) + 1.0) * static_cast<double>(p);
  unsigned long r = static_cast<unsigned long>(f);
  if (f - static_cast<double>(r) > 0.5) ++r;
  std::string decimals;
  if (r >= 2 * p) {  // rounding reached the next unit
    ++i;
    decimals.assign(n > 0 ? static_cast<size_t>(n) : 0, '0');
  } else {
    decimals = unslong2S(r).substr(1);
  }
  return sign + unslong2S(static_cast<unsigned long>(i)) + "." + decimals;
}

std::string unslongbyS(unsigned long v) {
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('A' + (v & 7)));
    v >>= 3;
  } while (v != 0);
  return s;
}

std::string bin8toS(int v) {
  std::string s(8, '0');
  for (int b = 0; b < 8; ++b)
    if (static_cast<unsigned>(v) & (1u << b)) s[7 - b] = '1';
  return s;
}

std::string hex1toS(int v) { return ctoS("0123456789abcdef"[static_cast<unsigned>(v) & 15]); }
std::string hex2toS(int v) { return hex1toS(v >> 4) + hex1toS(v); }
std::string hex4toS(int v) { return hex2toS(v >> 8) + hex2toS(v); }
std::string hex8toS(long v) {
  uint32_t low = static_cast<uint32_t>(v);
  return hex4toS(static_cast<int>(low >> 16)) + hex4toS(static_cast<int>(low & 0xFFFF));
}

std::string ctoS(char c) { return std::string(1, c); }

// ---- cutting and searching ----

std::string my_before(std::string s, int n) {
  if (n < 1) return "";
  if (static_cast<size_t>(n) >= s.size()) return s;
  return s.substr(0, static_cast<size_t>(n));
}

std::string my_after(const std::string& s, int n) {
  if (n < 0) n = 0;
  if (static_cast<size_t>(n) >= s.size()) return "";
  return s.substr(static_cast<size_t>(n));
}

std::string my_at(const std::string& s, int from, int to) {
  if (from < 0) from = 0;
  if (from >= to || static_cast<size_t>(from) >= s.size()) return "";
  return s.substr(static_cast<size_t>(from), static_cast<size_t>(to - from));
}

std::string bdelete(const std::string& s) {
  if (s.size() < 3) return "";
  return s.substr(1, s.size() - 2);
}

std::string cancel_begin_end_spaces(const std::string& s) { return trim_blanks(s); }

int contains(std::string s, std::string part) { return s.find(part) != std::string::npos; }

int find(std::string s, std::string part) {
  size_t p = s.find(part);
  return p == std::string::npos ? -1 : static_cast<int>(p);
}

int contains_token(const std::string& s, const std::string& token) {
  int p = find(s, token);
  if (p < 0) return 0;
  size_t end = static_cast<size_t>(p) + token.size();
  if (end == s.size()) return 1;
  char c = s[end];
  return !(ascii_letter(c) || digit(c) || accented(c));
}

int char_occurences(const std::string& s, char c) {
  int n = 0;
  for (char x : s) n += x == c;
  return n;
}

std::string next_record(const std::string& s, char separator, std::string& rest) {
  size_t k = s.find(separator);
  if (k == std::string::npos) {
    std::string all = s;
    rest.clear();
    return all;
  }
  std::string head = s.substr(0, k);
  rest = s.substr(k + 1);
  return head;
}

std::string last_record(const std::string& s, char separator, std::string& rest) {
  size_t k = s.rfind(separator);
  if (k == std::string::npos) {
    std::string all = s;
    rest.clear();
    return all;
  }
  std::string head = s.substr(0, k);
  rest = s.substr(k + 1);
  return head;
}

std::string next_Stringtoken(std::string s, char separator, std::string* rest) {
  std::string token, after;
  size_t start = s.find_first_not_of(separator);
  if (start != std::string::npos) {
    if (start + 1 == s.size() || !est_lc(s[start])) {
      token = s.substr(start, 1);
      after = s.substr(start + 1);
    } else {
      size_t e = start;
      while (e < s.size() && s[e] != separator && est_lc(s[e])) ++e;
      token = s.substr(start, e - start);
      after = s.substr(e);
    }
  }
  if (rest) *rest = after;
  return token;
}

std::string supress_filename_extension(const std::string& path) {
  size_t q = path.rfind('/');
  size_t d = path.rfind('.');
  if (d == std::string::npos || (q != std::string::npos && d < q)) return path;
  if (d + 1 == path.size()) return path.substr(0, d);
  if (path[d + 1] == '\\') return path;
  if (d == 0) return "";
  if (path[d - 1] == '.') return path;
  return path.substr(0, d);
}

std::string my_current_directory() {
  char* dir = get_current_dir_name();
  if (dir == nullptr) return "";
  std::string s(dir);
  std::free(dir);
  return s;
}

std::string relative_directory_path(const std::string& path, const std::string& base_in) {
  std::string base = base_in.empty() ? my_current_directory() : base_in;
  std::cerr << "demarrage " << path << "|" << base << "\n";
  std::string result;
  if (path == base) {
    result = ".";
  } else {
    std::string p = path, b = base, prest, brest;
    bool exhausted = false;
    for (;;) {
      if (p.empty() && b.empty()) {  // equal component by component ("a/" and "a")
        exhausted = true;
        break;
      }
      std::string pc = next_record(p, '/', prest);
      std::string bc = next_record(b, '/', brest);
      if (pc != bc) break;
      p = prest;
      b = brest;
    }
    std::cerr << "intermediaire: " << p << "|" << b << "\n";
    if (exhausted) {
      result = ".";
    } else {
      if (!b.empty()) {
        result = "..";
        for (int k = char_occurences(b, '/'); k > 0; --k) result = "../" + result;
      }
      if (p == path && (path.empty() || path[0] != '/')) {
        result = path;
      } else if (!p.empty()) {
        result = b.empty() ? p : result + "/" + p;
      }
    }
  }
  std::cerr << "--> " << result << "\n";
  return result;
}

// ---- substitutions, case and filters ----

std::string substitute_char(const std::string& s, char c, char d) {
  std::string r = s;
  for (char& x : r)
    if (x == c) x = d;
  return r;
}

std::string substitute_char(const std::string& s, char c, const std::string& replacement) {
  std::string r;
  for (char x : s) {
    if (x == c) r += replacement;
    else r += x;
  }
  return r;
}

std::string substitute_string(const std::string& s, const std::string& pattern, const std::string& replacement) {
  if (pattern.empty()) return s;
  std::string r;
  size_t i = 0;
  while (i < s.size()) {
    if (s.compare(i, pattern.size(), pattern) == 0) {
      r += replacement;
      i += pattern.size();
    } else {
      r += s[i++];
    }
  }
  return r;
}

std::string substitute_token(const std::string& s, const std::string& token, const std::string& replacement) {
  if (token.empty()) return s;
  std::string r, rem = s;
  for (;;) {
    size_t p = rem.find(token);
    if (p == std::string::npos) break;
    size_t end = p + token.size();
    bool left = p == 0 || !est_lc(rem[p - 1]);
    bool right = end == rem.size() || !est_lc(rem[end]);
    r += rem.substr(0, p);
    r += (left && right) ? replacement : token;
    rem = rem.substr(end);
  }
  return r + rem;
}

std::string clever_substitute_space(const std::string& s, char c) { return substitute_char(trim_blanks(s), ' ', c); }

std::string latex_String_filter(std::string const& s) { return substitute_string(s, "_", "\\_"); }

std::string downcase(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

std::string upcase(std::string s) {
  std::string r;
  for (char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) continue;
    r += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  return r;
}

std::string upcase_accent(std::string s) {
  std::string r;
  for (char c : s) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x80) {
      r += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
      continue;
    }
    switch (u) {
      case 0xE9: case 0xE8: case 0xEA: r += 'E'; break;
      case 0xE0: case 0xE2: r += 'A'; break;
      case 0xF4: r += 'O'; break;
      case 0xE7: r += 'C'; break;
      case 0x8C: r += 'I'; break;
      default: break;
    }
  }
  return r;
}

// ---- checks ----

int checkuint(const std::string& s) {
  if (s.empty()) return 0;
  for (char c : s)
    if (!digit(c)) return 0;
  return 1;
}

int checkint(const std::string& s) {
  if (!s.empty() && s[0] == '-') return checkuint(s.substr(1));
  return checkuint(s);
}

int beginbynumber(const std::string& s) { return !s.empty() && digit(s[0]); }

int checkdouble(const std::string&) {
  std::cerr << "checkdouble() a ecrire\n";
  return 1;
}

int checkhex(const std::string& s) {
  for (char c : s)
    if (!hex_digit(c)) return 0;
  return 1;
}

int checkhexintel(const std::string& s) {
  if (s.empty() || s.back() != 'h') return 0;
  for (size_t i = 0; i + 1 < s.size(); ++i)
    if (!hex_digit(s[i])) return 0;
  return 1;
}

int checkbin(const std::string& s) {
  for (char c : s)
    if (c != '0' && c != '1') return 0;
  return 1;
}

int check_ISO_8859_1_alphabetical_letter(char c) {
  unsigned char u = static_cast<unsigned char>(c);
  return ascii_letter(c) || u == 0xB5 || (u >= 0xC0 && u <= 0xD6) || (u >= 0xD9 && u <= 0xF6) ||
         (u >= 0xF9 && u <= 0xFD) || u == 0xFF;
}

namespace {
int varname_rest(const std::string& s) {
  for (size_t i = 1; i + 1 < s.size(); ++i)
    if (!(ascii_letter(s[i]) || digit(s[i]) || s[i] == '_')) return 0;
  char last = s.back();
  return ascii_letter(last) || digit(last);
}
}  // namespace

int checkvarname(const std::string& s) { return !s.empty() && ascii_letter(s[0]) && varname_rest(s); }

int checkvarname_with_pre_underscore(const std::string& s) {
  return !s.empty() && (ascii_letter(s[0]) || s[0] == '_') && varname_rest(s);
}

int est_lc(char c) { return ascii_letter(c) || digit(c) || c == '_' || c == '@'; }
