// Converters between UTF-8, GB2312, 16-bit and wide text; the built-in
// GB2312 table; the 16/32-bit string routines.
#include <dlfcn.h>
#include <iconv.h>

#include <clocale>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "common/encoding.h"
#include "common/gb2312_table.h"
#include "test_support.h"

namespace {

using oesqx::test::Bytes;
using oesqx::test::Hex;
using oesqx::test::Unhex;

constexpr unsigned char kCanary = 0x5A;

// Bytes of a char buffer up to (not including) its first zero.
std::string HexUntilZero(const char* s) { return Hex(reinterpret_cast<const uint8_t*>(s), std::strlen(s)); }

std::string Str(const Bytes& b) { return std::string(b.begin(), b.end()); }

std::u16string Units(const std::wstring& w) {
  std::u16string s;
  for (wchar_t c : w) s.push_back(static_cast<char16_t>(static_cast<unsigned>(c) & 0xFFFF));
  return s;
}

const unsigned short* U16(const std::u16string& s) { return reinterpret_cast<const unsigned short*>(s.c_str()); }

// ---------------------------------------------------------------- table

TEST(Gb2312Table, RowsAscendFromA1A1ToF7FEAndIndexMatches) {
  using oesqx::gb2312::kRows;
  using oesqx::gb2312::kTable;
  EXPECT_EQ(kTable[0].gb, 0xA1A1);
  EXPECT_EQ(kTable[kRows - 1].gb, 0xF7FE);
  for (int i = 1; i < kRows; ++i) ASSERT_LT(kTable[i - 1].gb, kTable[i].gb) << i;
  for (int i = 0; i < kRows; ++i) ASSERT_EQ(oesqx::gb2312::ToUnicode(kTable[i].gb), kTable[i].unicode) << i;
}

// Every code of the 94x94 GB2312 space against glibc's converter. Where the
// two mappings disagree only the two rows this component pins may differ.
TEST(Gb2312Table, MatchesIconvOverTheWholeCodeSpace) {
  iconv_t cd = iconv_open("WCHAR_T", "GB2312");
  ASSERT_NE(cd, reinterpret_cast<iconv_t>(-1));
  const std::pair<uint16_t, uint16_t> pinned[] = {{0xA1A4, 0x30FB}, {0xA1AA, 0x2015}};
  int found = 0;
  for (int lead = 0xA1; lead <= 0xFE; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      wchar_t out[4] = {0};
      char* ip = in;
      size_t il = 2;
      char* op = reinterpret_cast<char*>(out);
      size_t ol = sizeof out;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      const bool ok = iconv(cd, &ip, &il, &op, &ol) != static_cast<size_t>(-1) && il == 0;
      const uint16_t code = static_cast<uint16_t>(lead << 8 | trail);
      const int ours = oesqx::gb2312::ToUnicode(code);
      bool is_pinned = false;
      for (const auto& [gb, uni] : pinned) {
        if (gb == code) {
          is_pinned = true;
          EXPECT_EQ(ours, uni);
        }
      }
      if (ours >= 0) ++found;
      if (is_pinned) continue;
      ASSERT_EQ(ok, ours >= 0) << std::hex << code;
      if (ok) {
        ASSERT_EQ(static_cast<int>(out[0]), ours) << std::hex << code;
      }
    }
  }
  iconv_close(cd);
  EXPECT_EQ(found, oesqx::gb2312::kRows);
}

// The reverse index must give what a front-to-back scan of the table gives.
TEST(Gb2312Table, ReverseIndexEqualsLinearScan) {
  for (unsigned u = 0x80; u <= 0xFFFF; ++u) {
    int scan = -1;
    for (int i = 0; i < oesqx::gb2312::kRows && scan < 0; ++i) {
      if (oesqx::gb2312::kTable[i].unicode == u) scan = oesqx::gb2312::kTable[i].gb;
    }
    ASSERT_EQ(oesqx::gb2312::FromUnicode(static_cast<uint16_t>(u)), scan) << std::hex << u;
  }
}

// ---------------------------------------------------------------- to UTF-8

struct ToUtf8Case {
  std::wstring in;
  int size;
  std::string want_hex;  // output up to its terminator
  int rc;
};

const ToUtf8Case kToUtf8Cases[] = {
    {L"abcdef", 4, "616263", 0},  // the last byte gives way to the terminator
    {L"abc", 4, "616263", 0},
    {L"\u4F60", 3, "", -2},
    {L"\u4F60", 4, "E4BDA0", 0},
    {L"\u00E9", 2, "", -1},
    {L"\u00E9", 3, "C3A9", 0},
    {L"a\u4F60", 4, "61", -2},
    {L"\u4F60\u597D", 7, "E4BDA0E5A5BD", 0},
    {L"\u07FF\u0800\uFFFF", 16, "DFBFE0A080EFBFBF", 0},
    {L"x", 1, "", 0},
    {L"", 5, "", 0},
};

TEST(ToUtf8, WideAndSixteenBitTables) {
  for (const auto& c : kToUtf8Cases) {
    SCOPED_TRACE(Hex(reinterpret_cast<const uint8_t*>(c.in.c_str()), c.in.size() * sizeof(wchar_t)));
    std::vector<char> wide_out(c.size + 8, static_cast<char>(kCanary));
    EXPECT_EQ(G_ucs2toutf8(c.in.c_str(), wide_out.data(), c.size), c.rc);
    EXPECT_EQ(HexUntilZero(wide_out.data()), c.want_hex);
    const std::u16string units = Units(c.in);
    std::vector<char> unit_out(c.size + 8, static_cast<char>(kCanary));
    EXPECT_EQ(G_swordtoutf8(U16(units), unit_out.data(), c.size), c.rc);
    EXPECT_EQ(HexUntilZero(unit_out.data()), c.want_hex);
    for (size_t i = c.size; i < wide_out.size(); ++i) {
      ASSERT_EQ(static_cast<unsigned char>(wide_out[i]), kCanary) << "wrote past size at " << i;
      ASSERT_EQ(static_cast<unsigned char>(unit_out[i]), kCanary) << "wrote past size at " << i;
    }
  }
}

TEST(ToUtf8, OnlyTheLowSixteenBitsOfAWideCharacterCount) {
  const wchar_t in[] = {static_cast<wchar_t>(0x10041), static_cast<wchar_t>(0x1F600), 0};
  char out[8];
  EXPECT_EQ(G_ucs2toutf8(in, out, sizeof out), 0);
  EXPECT_EQ(HexUntilZero(out), "41EF9880");
}

TEST(ToUtf8, SingleUnit) {
  const struct {
    unsigned short unit;
    int rc;
    std::string hex;
  } cases[] = {{0x41, 1, "41"}, {0x7F, 1, "7F"}, {0x80, 2, "C280"}, {0x7FF, 2, "DFBF"}, {0x800, 3, "E0A080"},
               {0x4F60, 3, "E4BDA0"}, {0xFFFF, 3, "EFBFBF"}};
  for (const auto& c : cases) {
    char out[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(G_sucs2toutf8(c.unit, out), c.rc) << c.hex;
    EXPECT_EQ(Hex(reinterpret_cast<uint8_t*>(out), c.rc), c.hex);
    EXPECT_EQ(out[c.rc], '\0');
  }
}

TEST(ToUtf8, BadArgumentsDoNotCrashOrWrite) {
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(G_ucs2toutf8(L"a", out, 0), -1);
  EXPECT_EQ(G_ucs2toutf8(L"a", out, -3), -1);
  EXPECT_EQ(G_swordtoutf8(nullptr, out, 0), -1);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(G_ucs2toutf8(L"a", nullptr, 4), -1);
  EXPECT_EQ(G_ucs2toutf8(nullptr, out, 4), 0);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(G_sucs2toutf8(0x41, nullptr), 0);
}

// ---------------------------------------------------------------- from UTF-8

struct FromUtf8Case {
  std::string in_hex;
  int size;
  std::wstring want;  // output up to its terminator
  int rc;
};

const FromUtf8Case kFromUtf8Cases[] = {
    {"E4BDA0E5A5BD", 8, L"\u4F60\u597D", 0},
    {"F09F9880", 8, L"", -3},
    {"80", 8, L"", -1},
    {"61E4BD", 8, L"a", -1},   // truncated 3-byte sequence
    {"61E4", 8, L"a", -1},
    {"61C3", 8, L"a\u00C0", 0},  // a 2-byte lead takes the terminator as its second byte
    {"C3A9", 8, L"\u00E9", 0},
    {"C341", 8, L"\u00C1", 0},  // continuation bytes are masked, not checked
    {"616263646566", 4, L"abc", 0},
    {"61F8", 8, L"a", -3},
    {"", 1, L"", 0},
};

TEST(FromUtf8, Table) {
  for (const auto& c : kFromUtf8Cases) {
    SCOPED_TRACE(c.in_hex);
    const std::string in = Str(Unhex(c.in_hex));
    std::vector<wchar_t> out(c.size + 4, static_cast<wchar_t>(0x5A5A5A5A));
    EXPECT_EQ(G_utf8toucs2(in.c_str(), out.data(), c.size), c.rc);
    EXPECT_EQ(std::wstring(out.data()), c.want);
    for (size_t i = c.size; i < out.size(); ++i) ASSERT_EQ(out[i], static_cast<wchar_t>(0x5A5A5A5A)) << i;
  }
}

TEST(FromUtf8, BadArguments) {
  wchar_t out[2] = {L'x', L'x'};
  EXPECT_EQ(G_utf8toucs2("a", out, 0), -1);
  EXPECT_EQ(G_utf8toucs2("a", nullptr, 2), -1);
  EXPECT_EQ(out[0], L'x');
  EXPECT_EQ(G_utf8toucs2(nullptr, out, 2), 0);
  EXPECT_EQ(out[0], L'\0');
}

// ---------------------------------------------------------------- wide to GB2312

struct ToMbCase {
  std::wstring in;
  int size;
  std::string want_hex;  // bytes up to the returned count
  int rc;
};

const ToMbCase kToMbCases[] = {
    {L"\u4F60\u597D", 10, "C4E3BAC3", 4},
    {L"\u00E4A", 10, "E40041", 3},  // not in GB2312: low byte, high byte
    {L"\u20AC", 10, "AC20", 2},
    {L"\u00E9", 10, "A8A6", 2},
    {L"\u30FB\u2015", 10, "A1A4A1AA", 4},  // the two pinned rows
    {L"\u00B7", 10, "B700", 2},            // the other reading of A1A4 is not used
    {L"abcdefg\u4F60", 10, "61626364656667C4", 8},  // the pair loses its trail byte
    {L"abcdefgh", 10, "6162636465666768", 8},
    {L"abcdefg", 10, "61626364656667", 7},
    {L"ab", 3, "61", 1},
    {L"\u4F60", 3, "C4", 1},
    {L"a", 2, "", 0},
    {L"\u4F60", 2, "", 0},
    {L"", 3, "", 0},
};

TEST(WideToMb, Table) {
  for (const auto& c : kToMbCases) {
    SCOPED_TRACE(Hex(reinterpret_cast<const uint8_t*>(c.in.c_str()), c.in.size() * sizeof(wchar_t)));
    std::vector<char> out(c.size + 8, static_cast<char>(kCanary));
    ASSERT_EQ(G_ConvertUnicodeToMBCode(c.in.c_str(), 0, out.data(), c.size), c.rc);
    EXPECT_EQ(Hex(reinterpret_cast<uint8_t*>(out.data()), c.rc), c.want_hex);
    EXPECT_EQ(out[c.rc], '\0');
    for (size_t i = c.size; i < out.size(); ++i) ASSERT_EQ(static_cast<unsigned char>(out[i]), kCanary) << i;
  }
}

TEST(WideToMb, LengthOnlySizesTheQuery) {
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"\u4F60\u597D", 0, nullptr, 0), 5);
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"\u4F60\u597D", -1, nullptr, 0), 5);
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"\u4F60\u597D", 7, nullptr, 0), 15);
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"x", INT_MAX, nullptr, 0), INT_MAX);  // saturates, no overflow
  EXPECT_EQ(G_ConvertUnicodeToMBCode(nullptr, 0, nullptr, 0), 1);
  // With a buffer the conversion runs to the terminator whatever the length.
  char out[10];
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"abc", 1, out, sizeof out), 3);
  EXPECT_STREQ(out, "abc");
}

TEST(WideToMb, SingleUnit) {
  const struct {
    unsigned short unit;
    std::string hex;
  } cases[] = {{0x41, "41"}, {0x4F60, "C4E3"}, {0x20AC, "AC20"}, {0x00E9, "A8A6"}};
  for (const auto& c : cases) {
    char out[3] = {'x', 'x', 'x'};
    G_UnicodeCharToMB(c.unit, out);
    EXPECT_EQ(HexUntilZero(out), c.hex);
  }
  G_UnicodeCharToMB(0x41, nullptr);
}

TEST(WideToMb, BadArguments) {
  char out[4] = {'x', 'x', 'x', 'x'};
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"a", 0, out, 0), 0);
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"a", 0, out, -1), 0);
  EXPECT_EQ(out[0], 'x');
  EXPECT_EQ(G_ConvertUnicodeToMBCode(L"\u4F60", 0, out, 1), 0);
  EXPECT_EQ(out[0], '\0');
  EXPECT_EQ(out[1], 'x');
  out[0] = 'x';
  EXPECT_EQ(G_ConvertUnicodeToMBCode(nullptr, 0, out, 4), 0);
  EXPECT_EQ(out[0], '\0');
}

// ---------------------------------------------------------------- GB2312 to wide

struct FromMbCase {
  std::string in_hex;
  int len;  // -1: measured
  int size;
  std::wstring want;
  int rc;
};

const FromMbCase kFromMbCases[] = {
    {"C4E3BAC3", -1, 10, L"\u4F60\u597D", 2},
    {"8141", -1, 10, L"\u0081A", 2},  // a pair outside the table keeps only its lead
    {"A1A4A1AA", -1, 10, L"\u30FB\u2015", 2},
    {"", -1, 10, L"", 1},             // an empty input counts one
    {"C4E3BAC3", 0, 10, L"", 1},
    {"C4E3BAC3", 2, 10, L"\u4F60", 1},
    {"C4E3BAC3", 1, 10, L"\u00C4", 1},  // a pair is not formed across the length
    {"C4E3", 8, 10, L"\u4F60", 1},      // the terminator ends the text within the length
    {"61C4", -1, 10, L"a\u00C4", 2},
    {"6162636465", -1, 4, L"ab", 2},
    {"61", -1, 2, L"", 0},
};

TEST(MbToWide, Table) {
  for (const auto& c : kFromMbCases) {
    SCOPED_TRACE(c.in_hex + " len " + std::to_string(c.len));
    const std::string in = Str(Unhex(c.in_hex));
    std::vector<wchar_t> out(c.size + 4, static_cast<wchar_t>(0x5A5A5A5A));
    ASSERT_EQ(G_ConvertMBCodeToUnicode(in.c_str(), c.len, out.data(), c.size), c.rc);
    EXPECT_EQ(std::wstring(out.data()), c.want);
    for (size_t i = c.size; i < out.size(); ++i) ASSERT_EQ(out[i], static_cast<wchar_t>(0x5A5A5A5A)) << i;
  }
}

TEST(MbToWide, QueryAndBadArguments) {
  EXPECT_EQ(G_ConvertMBCodeToUnicode("abc", -1, nullptr, 0), 4);
  EXPECT_EQ(G_ConvertMBCodeToUnicode("abc", 9, nullptr, 0), 10);
  EXPECT_EQ(G_ConvertMBCodeToUnicode("abc", INT_MAX, nullptr, 0), INT_MAX);
  EXPECT_EQ(G_ConvertMBCodeToUnicode(nullptr, -1, nullptr, 0), 1);
  wchar_t out[2] = {L'x', L'x'};
  EXPECT_EQ(G_ConvertMBCodeToUnicode("abc", -1, out, 0), 0);
  EXPECT_EQ(out[0], L'x');
  EXPECT_EQ(G_ConvertMBCodeToUnicode("abc", -1, out, 1), 0);
  EXPECT_EQ(out[0], L'\0');
  EXPECT_EQ(out[1], L'x');
  out[0] = L'x';
  EXPECT_EQ(G_ConvertMBCodeToUnicode(nullptr, 3, out, 2), 0);
  EXPECT_EQ(out[0], L'\0');
}

// Inputs whose length is given and that are not terminated must not be read
// past that length.
TEST(MbToWide, StaysInsideAnUnterminatedInput) {
  std::vector<char> heap = {static_cast<char>(0xC4)};  // no terminator
  wchar_t out[4];
  EXPECT_EQ(G_ConvertMBCodeToUnicode(heap.data(), 1, out, 4), 1);
  EXPECT_EQ(out[0], 0xC4);
}

// ---------------------------------------------------------------- ACP <-> UTF-8

TEST(AcpUtf8, RoundTripAndCuts) {
  const struct {
    std::string acp_hex;
    std::string utf8_hex;
  } pairs[] = {
      {"C4E3BAC3", "E4BDA0E5A5BD"},
      {"414243", "414243"},
      {"A1A4A1AA", "E383BBE28095"},
      {"", ""},
  };
  for (const auto& p : pairs) {
    char out[32];
    ACPTOUTF8(Str(Unhex(p.acp_hex)).c_str(), out, sizeof out);
    EXPECT_EQ(HexUntilZero(out), p.utf8_hex);
    UTF8TOACP(Str(Unhex(p.utf8_hex)).c_str(), out, sizeof out);
    EXPECT_EQ(HexUntilZero(out), p.acp_hex);
  }
  char small[4] = {'x', 'x', 'x', 'x'};
  ACPTOUTF8("\xC4\xE3\xBA\xC3", small, 4);  // the first character needs 3 + 1 bytes
  EXPECT_EQ(HexUntilZero(small), "E4BDA0");
  UTF8TOACP("\xE4\xBD\xA0\xE5\xA5\xBD", small, 4);  // at most size - 2 bytes survive
  EXPECT_EQ(HexUntilZero(small), "C4E3");
}

TEST(AcpUtf8, BadArguments) {
  char out[4] = {'x', 'x', 'x', 'x'};
  ACPTOUTF8(nullptr, out, 4);
  EXPECT_EQ(out[0], '\0');
  out[0] = 'x';
  UTF8TOACP(nullptr, out, 4);
  EXPECT_EQ(out[0], '\0');
  out[0] = 'x';
  ACPTOUTF8("abc", out, 0);
  UTF8TOACP("abc", out, -1);
  EXPECT_EQ(out[0], 'x');
  ACPTOUTF8("abc", nullptr, 4);
  UTF8TOACP("abc", nullptr, 4);
  UTF8TOACP("abc", out, 1);
  EXPECT_EQ(out[0], '\0');
}

// ---------------------------------------------------------------- detection

TEST(IsUtf8, Table) {
  const struct {
    std::string hex;
    int want;
  } cases[] = {
      {"616263", 0},  // ASCII alone is not taken as UTF-8
      {"E4BDA0", 1},
      {"61E4BDA062", 1},
      {"C4E3BAC3", 0},  // GB2312
      {"E4BD", 0},      // truncated at the end
      {"", 0},
      {"80", 0},
      {"C3A9", 1},
      {"C341", 0},
      {"F09F9880", 1},
      {"F8888080 80", 1},
      {"FC8080808080", 1},
      {"FC80808080", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IsUTF8String(Str(Unhex(c.hex)).c_str()), c.want) << c.hex;
  EXPECT_EQ(IsUTF8String(nullptr), 0);
}

// ---------------------------------------------------------------- 16/32-bit routines

TEST(WideStrings, CompareBothWays) {
  const struct {
    std::wstring w;
    std::u16string s;
    int ws;  // wcscmp_ws(w, s)
    int sw;  // wcscmp_sw(s, w)
  } cases[] = {
      {L"abc", u"abc", 0, 0},
      {L"abc", u"abd", -1, -1},
      {L"ab", u"abc", 1, 1},    // the 16-bit text is longer
      {L"abc", u"ab", -1, -1},  // the wide text is longer
      {L"", u"", 0, 0},
      {L"", u"a", 1, 1},
      {std::wstring(1, static_cast<wchar_t>(0x10041)), u"A", 0, 0},
      // A wide character whose low bits are zero must not run past the end
      // of the 16-bit text.
      {std::wstring(1, static_cast<wchar_t>(0x10000)) + L"x", u"", -1, -1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wcscmp_ws(c.w.c_str(), U16(c.s)), c.ws);
    EXPECT_EQ(wcscmp_sw(U16(c.s), c.w.c_str()), c.sw);
  }
  EXPECT_EQ(wcscmp_ws(nullptr, nullptr), 0);
  EXPECT_EQ(wcscmp_sw(U16(u"a"), nullptr), 1);
}

TEST(WideStrings, LengthAndCopies) {
  EXPECT_EQ(wcslen_s(U16(u"abc")), 3);
  EXPECT_EQ(wcslen_s(U16(u"")), 0);
  EXPECT_EQ(wcslen_s(nullptr), 0);

  wchar_t w[8];
  EXPECT_EQ(wcscpy_fs(w, U16(u"a\u4F60")), w);
  EXPECT_EQ(std::wstring(w), L"a\u4F60");
  unsigned short s[8];
  const wchar_t wide[] = {L'a', static_cast<wchar_t>(0x14F60), 0};
  EXPECT_EQ(wcscpy_ts(s, wide), s);
  EXPECT_EQ(std::u16string(reinterpret_cast<char16_t*>(s)), u"a\u4F60");

  // count, source, what the destination holds afterwards ('#' untouched)
  const struct {
    int count;
    std::u16string src;
    const char16_t* want;  // six units
  } ncases[] = {
      {5, u"ab", u"ab\0###"},  // one zero, no padding
      {2, u"ab", u"ab####"},   // no zero when count units were copied
      {2, u"abcd", u"ab####"},
      {0, u"ab", u"######"},
      {-1, u"ab", u"######"},
  };
  for (const auto& c : ncases) {
    std::u16string d16(6, u'#');
    wcsncpy_ts(reinterpret_cast<unsigned short*>(d16.data()), std::wstring(c.src.begin(), c.src.end()).c_str(),
               c.count);
    EXPECT_EQ(d16, std::u16string(c.want, 6)) << c.count;
    std::wstring dw(6, L'#');
    wcsncpy_fs(dw.data(), U16(c.src), c.count);
    EXPECT_EQ(Units(dw), std::u16string(c.want, 6)) << c.count;
  }
}

// Our wcscasecmp replaces the C library's process-wide: it must give exactly
// the same results, in the C locale and in a UTF-8 locale.
TEST(WideStrings, CaseCompareMatchesTheCLibrary) {
  void* libc = dlopen("libc.so.6", RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(libc, nullptr);
  using Fn = int (*)(const wchar_t*, const wchar_t*);
  auto theirs = reinterpret_cast<Fn>(dlsym(libc, "wcscasecmp"));
  ASSERT_NE(theirs, nullptr);
  ASSERT_NE(reinterpret_cast<void*>(theirs), reinterpret_cast<void*>(&wcscasecmp));
  const std::pair<std::wstring, std::wstring> cases[] = {
      {L"abc", L"ABC"}, {L"abc", L"abd"}, {L"ABD", L"abc"}, {L"ab", L"abc"}, {L"abc", L"ab"},
      {L"", L""},       {L"", L"a"},      {L"\u00C9t\u00E9", L"\u00E9T\u00C9"}, {L"\u0391", L"\u03B2"},
      {L"[", L"a"},     {L"Z", L"_"},     {L"\u4F60", L"\u597D"}, {L"a\uFFFF", L"A\u0001"},
  };
  const std::string saved = std::setlocale(LC_CTYPE, nullptr);
  for (const char* loc : {"C", "C.UTF-8"}) {
    if (std::setlocale(LC_CTYPE, loc) == nullptr) continue;
    for (const auto& [a, b] : cases) {
      EXPECT_EQ(wcscasecmp(a.c_str(), b.c_str()), theirs(a.c_str(), b.c_str())) << loc;
      EXPECT_EQ(wcscasecmp(b.c_str(), a.c_str()), theirs(b.c_str(), a.c_str())) << loc;
    }
    const wchar_t* same = L"x";
    EXPECT_EQ(wcscasecmp(same, same), 0);
  }
  std::setlocale(LC_CTYPE, saved.c_str());
  dlclose(libc);
}

TEST(WideStrings, Wtol) {
  const struct {
    std::wstring in;
    int want;
  } cases[] = {
      {L"123", 123},       {L"-45x", -45},          {L"  7", 7},          {L"", 0},
      {L"abc", 0},         {L"2147483647", INT_MAX}, {L"4294967296", INT_MAX},  // saturates, does not wrap
      {L"-9999999999", INT_MIN}, {L"\u4F60", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(wtol(c.in.c_str()), c.want);
  EXPECT_EQ(wtol(nullptr), 0);
}

}  // namespace
