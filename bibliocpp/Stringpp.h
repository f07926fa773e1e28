// String helpers: conversions between text and numbers, cutting, tokens, form checks and filters.
// None of them throws or reports an error: every text gives some result. Yes/no answers are 1/0.
// Lengths and positions are ints; out-parameters may alias the input text.
#ifndef BIBLIOCPP_STRINGPP_H
#define BIBLIOCPP_STRINGPP_H

#include <string>

// Text to numbers (no validation; use the check functions for that).
char* Stoa(const std::string& s);  // new[] copy with a final NUL; caller delete[]s it
int Stoi(std::string s);           // as Stol, 32-bit wrapping
long Stol(std::string s);          // leading "-" only; every other char adds (c - '0')
long long Stoll(std::string s);
double Stod(std::string s, char separator);
unsigned long Stouhex(const std::string& s);
long Stoshex(const std::string& s);  // two's complement over 4 bits per character
long Stoloruhex(const std::string& marker, const std::string& s);
long Stohex(const std::string& s, const std::string& marker);
unsigned long Stoubin(const std::string& s);
long Stosbin(const std::string& s);  // first character is the sign bit

// Numbers to text.
std::string unslong2S(unsigned long v);
std::string long2S(long v);
std::string dtoS(double x, int n);  // fixed point with n decimals, rounded half up
std::string unslongbyS(unsigned long v);  // octal digits written as letters A..H
std::string bin8toS(int v);
std::string hex1toS(int v);
std::string hex2toS(int v);
std::string hex4toS(int v);
std::string hex8toS(long v);
std::string ctoS(char c);

// Cutting and searching.
std::string my_before(std::string s, int n);
std::string my_after(const std::string& s, int n);
std::string my_at(const std::string& s, int from, int to);
std::string bdelete(const std::string& s);
std::string cancel_begin_end_spaces(const std::string& s);
int contains(std::string s, std::string part);
int find(std::string s, std::string part);
int contains_token(const std::string& s, const std::string& token);
int char_occurences(const std::string& s, char c);
std::string next_record(const std::string& s, char separator, std::string& rest);
std::string last_record(const std::string& s, char separator, std::string& rest);
std::string next_Stringtoken(std::string s, char separator, std::string* rest);
std::string supress_filename_extension(const std::string& path);
std::string my_current_directory();
std::string relative_directory_path(const std::string& path, const std::string& base);

// Substitutions, case and filters.
std::string substitute_char(const std::string& s, char c, char d);
std::string substitute_char(const std::string& s, char c, const std::string& replacement);
std::string substitute_string(const std::string& s, const std::string& pattern, const std::string& replacement);
std::string substitute_token(const std::string& s, const std::string& token, const std::string& replacement);
std::string clever_substitute_space(const std::string& s, char c);
std::string latex_String_filter(std::string const& s);
std::string downcase(std::string s);
std::string upcase(std::string s);         // bytes >= 0x80 dropped
std::string upcase_accent(std::string s);  // French accented letters mapped, other high bytes dropped

// Checks of a text's form (1 or 0).
int checkuint(const std::string& s);
int checkint(const std::string& s);
int beginbynumber(const std::string& s);
int checkdouble(const std::string& s);
int checkhex(const std::string& s);
int checkhexintel(const std::string& s);
int checkbin(const std::string& s);
int check_ISO_8859_1_alphabetical_letter(char c);
int checkvarname(const std::string& s);
int checkvarname_with_pre_underscore(const std::string& s);
int est_lc(char c);  // identifier character: ASCII letter, digit, '_' or '@'

#endif
