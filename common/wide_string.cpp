// String routines bridging 16-bit (UCS-2) and 32-bit wchar_t text. Wide
// characters are compared and copied by their low 16 bits; a null text is
// taken as empty.
#include <climits>
#include <cstdlib>
#include <cstring>
#include <cwctype>
#include <wchar.h>

#include "common/encoding.h"

namespace {

inline unsigned short Low16(wchar_t c) { return static_cast<unsigned short>(static_cast<unsigned int>(c) & 0xFFFF); }

const wchar_t kEmptyWide[1] = {0};
const unsigned short kEmpty16[1] = {0};

// Walks the wide text `w` against the 16-bit text `s`: -1 at the first
// difference, then 0 if `s` ends with `w`, else 1. The end of `s` counts as a
// difference while `w` goes on, so `s` is never read past its terminator
// (a wide character such as 0x10000 would otherwise match it).
int CompareWideTo16(const wchar_t* w, const unsigned short* s) {
  if (w == nullptr) w = kEmptyWide;
  if (s == nullptr) s = kEmpty16;
  size_t i = 0;
  for (; w[i] != 0; ++i) {
    if (s[i] == 0 || Low16(w[i]) != s[i]) return -1;
  }
  return s[i] == 0 ? 0 : 1;
}

template <typename Dst, typename Src, typename Cast>
Dst* CopyUnits(Dst* dst, const Src* src, Cast cast) {
  if (dst == nullptr) return dst;
  size_t i = 0;
  if (src != nullptr) {
    for (; src[i] != 0; ++i) dst[i] = cast(src[i]);
  }
  dst[i] = 0;
  return dst;
}

// Copies at most `count` units; one zero only when the source ends first.
template <typename Dst, typename Src, typename Cast>
Dst* CopyUnitsN(Dst* dst, const Src* src, int count, Cast cast) {
  if (dst == nullptr || count <= 0) return dst;
  const size_t n = static_cast<size_t>(count);
  size_t i = 0;
  if (src != nullptr) {
    for (; i < n && src[i] != 0; ++i) dst[i] = cast(src[i]);
  }
  if (i < n) dst[i] = 0;
  return dst;
}

wchar_t Widen(unsigned short u) { return static_cast<wchar_t>(u); }

}  // namespace

extern "C" {

int wcslen_s(const unsigned short* s) {
  if (s == nullptr) return 0;
  size_t n = 0;
  while (s[n] != 0) ++n;
  return n > INT_MAX ? INT_MAX : static_cast<int>(n);
}

int wcscmp_ws(const wchar_t* w, const unsigned short* s) { return CompareWideTo16(w, s); }

int wcscmp_sw(const unsigned short* s, const wchar_t* w) { return CompareWideTo16(w, s); }

wchar_t* wcscpy_fs(wchar_t* dst, const unsigned short* src) { return CopyUnits(dst, src, Widen); }

unsigned short* wcscpy_ts(unsigned short* dst, const wchar_t* src) { return CopyUnits(dst, src, Low16); }

wchar_t* wcsncpy_fs(wchar_t* dst, const unsigned short* src, int count) {
  return CopyUnitsN(dst, src, count, Widen);
}

unsigned short* wcsncpy_ts(unsigned short* dst, const wchar_t* src, int count) {
  return CopyUnitsN(dst, src, count, Low16);
}

// This definition replaces the C library's for the whole process, so it keeps
// that one's exact behaviour: towlower of the current locale, the difference
// of the first unequal pair computed as wint_t, and no tolerance of null.
OESQX_API int wcscasecmp(const wchar_t* s1, const wchar_t* s2) noexcept {
  if (s1 == s2) return 0;
  wint_t c1;
  wint_t c2;
  do {
    c1 = towlower(static_cast<wint_t>(*s1++));
    c2 = towlower(static_cast<wint_t>(*s2++));
    if (c1 == L'\0') break;
  } while (c1 == c2);
  return static_cast<int>(c1 - c2);
}

int wtol(const wchar_t* text) {
  if (text == nullptr) return 0;
  char buf[32];
  G_ucs2toutf8(text, buf, sizeof buf);
  const long v = strtol(buf, nullptr, 10);
  // strtol saturates at the long range; keep doing so at the int range
  // rather than wrapping.
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

}  // extern "C"
