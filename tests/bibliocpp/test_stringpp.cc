#include "Stringpp.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>

using testing::internal::CaptureStderr;
using testing::internal::GetCapturedStderr;

TEST(StringppToNumber, DecimalReadersFoldEveryCharacter) {
  EXPECT_EQ(Stol(""), 0);
  EXPECT_EQ(Stol("-"), 0);
  EXPECT_EQ(Stol("-12"), -12);
  EXPECT_EQ(Stol("+5"), -45);
  EXPECT_EQ(Stol("007"), 7);
  EXPECT_EQ(Stol("12a"), 169);
  EXPECT_EQ(Stol(" 7"), -153);
  EXPECT_EQ(Stol("\xE9"), -23 - 48);  // high bytes are negative signed chars
  EXPECT_EQ(Stoi("-2147483648"), INT_MIN);
}

TEST(StringppToNumber, OverflowWrapsLikeTwosComplement) {
  EXPECT_EQ(Stoi("2147483648"), INT_MIN);
  EXPECT_EQ(Stoi("4294967297"), 1);
  EXPECT_EQ(Stol("9223372036854775808"), LONG_MIN);
  EXPECT_EQ(Stol("18446744073709551617"), 1);
  EXPECT_EQ(Stoll("18446744073709551615"), -1);
}

TEST(StringppToNumber, Stod) {
  EXPECT_DOUBLE_EQ(Stod("12.50", '.'), 12.5);
  EXPECT_DOUBLE_EQ(Stod("12.", '.'), 12.0);
  EXPECT_DOUBLE_EQ(Stod("1.5.2", '.'), 15.2);
  EXPECT_DOUBLE_EQ(Stod("   -3,25", ','), -3.25);
  EXPECT_DOUBLE_EQ(Stod("12x5", '.'), 12.0);
  EXPECT_DOUBLE_EQ(Stod("3.25", ','), 3.0);
  EXPECT_EQ(Stod("", '.'), 0.0);
  double minus = Stod("-", '.');
  EXPECT_EQ(minus, 0.0);
  EXPECT_TRUE(std::signbit(minus));
}

TEST(StringppToNumber, Hexadecimal) {
  EXPECT_EQ(Stouhex(""), 0ul);
  EXPECT_EQ(Stouhex("aF"), 175ul);
  EXPECT_EQ(Stouhex("1g"), 16ul);  // a non-digit still shifts
  EXPECT_EQ(Stoshex("FF"), -1);
  EXPECT_EQ(Stoshex("7F"), 127);
  EXPECT_EQ(Stoshex("8"), -8);
  EXPECT_EQ(Stoshex("FFFFFFFF"), -1);
  EXPECT_EQ(Stoshex("FFFFFFFFFFFFFFFF"), -1);  // 16^16 wraps to 0
  EXPECT_EQ(Stoshex("F0000000000000000"), 0);
  EXPECT_EQ(Stoshex("\xF0"), 0);  // high byte is below '8' as a signed char
  EXPECT_EQ(Stoloruhex("0x", "0x1F"), 31);
  EXPECT_EQ(Stoloruhex("0x", "v=0x1F"), 31);
  EXPECT_EQ(Stoloruhex("0x", "42"), 42);
  EXPECT_EQ(Stohex("1Fh", "h"), 31);
  CaptureStderr();
  EXPECT_EQ(Stohex("42", "h"), 42);
  EXPECT_EQ(GetCapturedStderr(), "Decimal Conversion 42\n");
}

TEST(StringppToNumber, Binary) {
  EXPECT_EQ(Stoubin(""), 0ul);
  EXPECT_EQ(Stoubin("101"), 5ul);
  EXPECT_EQ(Stosbin(""), 0);
  EXPECT_EQ(Stosbin("0"), 0);
  EXPECT_EQ(Stosbin("0101"), 5);
  EXPECT_EQ(Stosbin("1"), -1);
  EXPECT_EQ(Stosbin("10"), -2);
  EXPECT_EQ(Stosbin("11"), -1);
  EXPECT_EQ(Stosbin("100"), -4);
  EXPECT_EQ(Stosbin("1" + std::string(64, '0')), 0);  // wraps
}

TEST(StringppToNumber, StoaKeepsEmbeddedNul) {
  char* a = Stoa(std::string("a\0b", 3));
  EXPECT_EQ(a[0], 'a');
  EXPECT_EQ(a[1], '\0');
  EXPECT_EQ(a[2], 'b');
  EXPECT_EQ(a[3], '\0');
  delete[] a;
}

TEST(StringppToText, Integers) {
  EXPECT_EQ(unslong2S(0), "0");
  EXPECT_EQ(unslong2S(ULONG_MAX), "18446744073709551615");
  EXPECT_EQ(long2S(LONG_MIN), "-9223372036854775808");
  EXPECT_EQ(unslongbyS(0), "A");
  EXPECT_EQ(unslongbyS(8), "BA");
  EXPECT_EQ(unslongbyS(ULONG_MAX), "B" + std::string(21, 'H'));
  EXPECT_EQ(bin8toS(5), "00000101");
  EXPECT_EQ(bin8toS(-1), "11111111");
  EXPECT_EQ(hex2toS(171), "ab");
  EXPECT_EQ(hex4toS(0x1234f), "234f");
  EXPECT_EQ(hex8toS(-1), "ffffffff");
  EXPECT_EQ(hex8toS(0x123456789aL), "3456789a");
}

TEST(StringppToText, DtoS) {
  EXPECT_EQ(dtoS(3.14159, 2), "3.14");
  EXPECT_EQ(dtoS(-0.5, 1), "-0.5");
  EXPECT_EQ(dtoS(2.999, 2), "3.00");
  EXPECT_EQ(dtoS(3.7, 0), "4.");
  EXPECT_EQ(dtoS(3.2, -3), "3.");
  EXPECT_EQ(dtoS(1.05, 2), "1.05");  // leading zeros of the decimals kept
  EXPECT_EQ(dtoS(-0.0, 2), "0.00");
  EXPECT_EQ(dtoS(0.5, 18), "0.500000000000000000");
}

TEST(StringppToText, DtoSOutsideIntegerRangeUsesPrintf) {
  EXPECT_EQ(dtoS(1e20, 2), "100000000000000000000.00");
  EXPECT_EQ(dtoS(-1e19, 0), "-10000000000000000000");
  EXPECT_EQ(dtoS(1.5, 19), "1.5000000000000000000");
  EXPECT_EQ(dtoS(INFINITY, 1), "inf");
  EXPECT_EQ(dtoS(-INFINITY, 1), "-inf");
  EXPECT_NE(dtoS(NAN, 3).find("nan"), std::string::npos);
  EXPECT_EQ(dtoS(1e308, 1).size(), 311u);
}

TEST(StringppCut, BeforeAfterAt) {
  EXPECT_EQ(my_before("abc", 5), "abc");
  EXPECT_EQ(my_before("abc", 0), "");
  EXPECT_EQ(my_before("abc", -1), "");
  EXPECT_EQ(my_after("abc", 3), "");
  EXPECT_EQ(my_after("abc", -2), "abc");
  EXPECT_EQ(my_at("abcdef", 2, 4), "cd");
  EXPECT_EQ(my_at("abc", 1, 10), "bc");
  EXPECT_EQ(my_at("abc", 2, 2), "");
  EXPECT_EQ(my_at("abc", 5, 9), "");
  EXPECT_EQ(my_at("abc", -5, 2), "ab");
  EXPECT_EQ(my_at("abc", INT_MIN, INT_MAX), "abc");
  EXPECT_EQ(bdelete("ab"), "");
  EXPECT_EQ(bdelete("abc"), "b");
  EXPECT_EQ(cancel_begin_end_spaces("  a b\t "), "a b\t");
  EXPECT_EQ(cancel_begin_end_spaces("   "), "");
  EXPECT_EQ(clever_substitute_space("  a  b ", '_'), "a__b");
  EXPECT_EQ(clever_substitute_space("   ", '_'), "");
}

TEST(StringppSearch, ContainsFindTokens) {
  EXPECT_EQ(contains("abc", ""), 1);
  EXPECT_EQ(find("abc", "c"), 2);
  EXPECT_EQ(find("abc", "x"), -1);
  EXPECT_EQ(contains_token("a+b", "a"), 1);
  EXPECT_EQ(contains_token("ab", "a"), 0);
  EXPECT_EQ(contains_token("a_b", "a"), 1);
  EXPECT_EQ(contains_token("xa", "a"), 1);    // left side not looked at
  EXPECT_EQ(contains_token("ab a", "a"), 0);  // first occurrence only
  EXPECT_EQ(contains_token("a\xE9", "a"), 0);
  EXPECT_EQ(contains_token("a\xE1", "a"), 1);
  EXPECT_EQ(char_occurences("a/b/c", '/'), 2);
}

TEST(StringppSearch, Records) {
  std::string rest = "junk";
  EXPECT_EQ(next_record("a,b,c", ',', rest), "a");
  EXPECT_EQ(rest, "b,c");
  EXPECT_EQ(last_record("a,b,c", ',', rest), "a,b");
  EXPECT_EQ(rest, "c");
  EXPECT_EQ(next_record("abc", ',', rest), "abc");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(next_record("a,", ',', rest), "a");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(next_record(",a", ',', rest), "");
  EXPECT_EQ(rest, "a");
  EXPECT_EQ(last_record("abc", ',', rest), "abc");
  EXPECT_EQ(rest, "");
  // The out-parameter may be the input itself.
  std::string s = "x/y/z";
  EXPECT_EQ(next_record(s, '/', s), "x");
  EXPECT_EQ(s, "y/z");
  s = "x/y/z";
  EXPECT_EQ(last_record(s, '/', s), "x/y");
  EXPECT_EQ(s, "z");
  s = "abc";
  EXPECT_EQ(next_record(s, '/', s), "abc");
  EXPECT_EQ(s, "");
}

TEST(StringppSearch, NextStringtoken) {
  std::string rest;
  EXPECT_EQ(next_Stringtoken("  ab_1+c", ' ', &rest), "ab_1");
  EXPECT_EQ(rest, "+c");
  EXPECT_EQ(next_Stringtoken(rest, ' ', &rest), "+");
  EXPECT_EQ(rest, "c");
  EXPECT_EQ(next_Stringtoken(rest, ' ', &rest), "c");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(next_Stringtoken("   ", ' ', &rest), "");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(next_Stringtoken("x", ' ', &rest), "x");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(next_Stringtoken("ab cd", ' ', &rest), "ab");
  EXPECT_EQ(rest, " cd");
  EXPECT_EQ(next_Stringtoken("a@b", ' ', &rest), "a@b");
  EXPECT_EQ(rest, "");
  EXPECT_EQ(next_Stringtoken("a_b", '_', &rest), "a");  // separator ends the run
  EXPECT_EQ(rest, "_b");
}

TEST(StringppSearch, SupressFilenameExtension) {
  EXPECT_EQ(supress_filename_extension("a."), "a");
  EXPECT_EQ(supress_filename_extension("dir/a.b.txt"), "dir/a.b");
  EXPECT_EQ(supress_filename_extension("./f.txt"), "./f");
  EXPECT_EQ(supress_filename_extension(".txt"), "");
  EXPECT_EQ(supress_filename_extension("a.\\b"), "a.\\b");
  EXPECT_EQ(supress_filename_extension("a..b"), "a..b");
  EXPECT_EQ(supress_filename_extension("dir.d/file"), "dir.d/file");
  EXPECT_EQ(supress_filename_extension("file"), "file");
}

TEST(StringppPath, RelativeDirectoryPath) {
  CaptureStderr();
  EXPECT_EQ(relative_directory_path("/a/x/y", "/a/b"), "../x/y");
  EXPECT_EQ(GetCapturedStderr(), "demarrage /a/x/y|/a/b\nintermediaire: x/y|b\n--> ../x/y\n");
  CaptureStderr();
  EXPECT_EQ(relative_directory_path("/a/b", "/a/b/c"), "..");
  EXPECT_EQ(relative_directory_path("/a/b", "/a/b"), ".");
  EXPECT_EQ(relative_directory_path("/a/b/c", "/a"), "b/c");
  EXPECT_EQ(relative_directory_path("/a", "/x/y"), "../../a");
  EXPECT_EQ(relative_directory_path("x/y", "/a"), "x/y");
  // Equal component by component but not as texts: must end.
  EXPECT_EQ(relative_directory_path("/a/b/", "/a/b"), ".");
  EXPECT_EQ(relative_directory_path("/a/b", "/a/b/"), ".");
  GetCapturedStderr();
}

TEST(StringppPath, CurrentDirectory) {
  char* cwd = getcwd(nullptr, 0);
  ASSERT_NE(cwd, nullptr);
  std::string here(cwd);
  std::free(cwd);
  EXPECT_EQ(my_current_directory(), here);
  CaptureStderr();
  EXPECT_EQ(relative_directory_path(here + "/sub/f", ""), "sub/f");
  GetCapturedStderr();

  // A removed working directory cannot be read: the result is empty.
  char tmpl[] = "/tmp/stringpp_cwd_XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  ASSERT_EQ(chdir(tmpl), 0);
  ASSERT_EQ(rmdir(tmpl), 0);
  std::string gone = my_current_directory();
  ASSERT_EQ(chdir(here.c_str()), 0);
  EXPECT_EQ(gone, "");
}

TEST(StringppSubstitute, CharsAndStrings) {
  EXPECT_EQ(substitute_char("a\\b\\c", '\\', '/'), "a/b/c");
  EXPECT_EQ(substitute_char("a_b", '_', std::string("__")), "a__b");
  EXPECT_EQ(substitute_char("a_b", '_', std::string()), "ab");
  EXPECT_EQ(substitute_string("aaa", "aa", "b"), "ba");
  EXPECT_EQ(substitute_string("ab", "", "X"), "ab");
  EXPECT_EQ(latex_String_filter("a_b_"), "a\\_b\\_");
}

TEST(StringppSubstitute, Tokens) {
  EXPECT_EQ(substitute_token("a ab b", "a", "X"), "X ab b");
  EXPECT_EQ(substitute_token("ab", "a", "X"), "ab");
  EXPECT_EQ(substitute_token("ba", "a", "X"), "ba");
  EXPECT_EQ(substitute_token("a.a+a", "a", "XY"), "XY.XY+XY");
  EXPECT_EQ(substitute_token("a@", "a", "X"), "a@");
  EXPECT_EQ(substitute_token("aa", "a", "X"), "aX");  // adjacent occurrence: left boundary
  EXPECT_EQ(substitute_token("ab", "", "X"), "ab");
  EXPECT_EQ(substitute_token("", "a", "X"), "");
}

TEST(StringppCase, UpDown) {
  const std::string ete = "\xE9t\xE9";
  EXPECT_EQ(upcase(ete), "T");
  EXPECT_EQ(upcase_accent(ete), "ETE");
  EXPECT_EQ(upcase_accent("\x8C\xF4\xE7\xE0\xE2\xE8\xEA\xFF\x80z"), "IOCAAEEZ");
  EXPECT_EQ(upcase("aZ1_{"), "AZ1_{");
  EXPECT_EQ(downcase("AbC\xC9"), "abc\xC9");
}

TEST(StringppCheck, Numbers) {
  EXPECT_EQ(checkuint(""), 0);
  EXPECT_EQ(checkuint("0123"), 1);
  EXPECT_EQ(checkint("-"), 0);
  EXPECT_EQ(checkint("-12"), 1);
  EXPECT_EQ(checkint("1-2"), 0);
  EXPECT_EQ(checkint("--1"), 0);
  EXPECT_EQ(beginbynumber(""), 0);
  EXPECT_EQ(checkhex(""), 1);
  EXPECT_EQ(checkhex("09aF"), 1);
  EXPECT_EQ(checkhex("g"), 0);
  EXPECT_EQ(checkhexintel("0FFh"), 1);
  EXPECT_EQ(checkhexintel("h"), 1);
  EXPECT_EQ(checkhexintel(""), 0);
  EXPECT_EQ(checkhexintel("0FFH"), 0);
  EXPECT_EQ(checkhexintel("0GFh"), 0);
  EXPECT_EQ(checkbin(""), 1);
  EXPECT_EQ(checkbin("012"), 0);
  CaptureStderr();
  EXPECT_EQ(checkdouble("x"), 1);
  EXPECT_EQ(GetCapturedStderr(), "checkdouble() a ecrire\n");
}

TEST(StringppCheck, NamesAndLetters) {
  EXPECT_EQ(checkvarname(""), 0);
  EXPECT_EQ(checkvarname("a"), 1);
  EXPECT_EQ(checkvarname("a_"), 0);
  EXPECT_EQ(checkvarname("a_1"), 1);
  EXPECT_EQ(checkvarname("1a"), 0);
  EXPECT_EQ(checkvarname("_a"), 0);
  EXPECT_EQ(checkvarname_with_pre_underscore("_"), 0);
  EXPECT_EQ(checkvarname_with_pre_underscore("_a"), 1);
  EXPECT_EQ(checkvarname_with_pre_underscore("__a"), 1);
  EXPECT_EQ(est_lc('@'), 1);
  EXPECT_EQ(est_lc('-'), 0);
  EXPECT_EQ(est_lc('\xE9'), 0);
  EXPECT_EQ(check_ISO_8859_1_alphabetical_letter('z'), 1);
  EXPECT_EQ(check_ISO_8859_1_alphabetical_letter('1'), 0);
  for (int b : {0xB5, 0xC0, 0xD6, 0xD9, 0xF6, 0xF9, 0xFD, 0xFF})
    EXPECT_EQ(check_ISO_8859_1_alphabetical_letter(static_cast<char>(b)), 1) << b;
  for (int b : {0xBF, 0xD7, 0xD8, 0xF7, 0xF8, 0xFE})
    EXPECT_EQ(check_ISO_8859_1_alphabetical_letter(static_cast<char>(b)), 0) << b;
}
