// Converters between UTF-8, GB2312 (EUC-CN), 16-bit and 32-bit text.
//
// All of them are self-contained (built-in table, no locale or iconv), write
// only inside the sizes they are given and treat a null text as empty. Only
// the low 16 bits of a wide character are looked at, everywhere.
#include "common/encoding.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

#include "common/gb2312_table.h"

namespace oesqx::gb2312 {

int ToUnicode(uint16_t gb) {
  const unsigned lead = gb >> 8;
  const unsigned trail = gb & 0xFF;
  if (lead < 0xA1 || lead > 0xFE || trail < 0xA1 || trail > 0xFE) return -1;
  const uint16_t u = kToUnicode[(lead - 0xA1) * 94 + (trail - 0xA1)];
  return u != 0 ? u : -1;
}

int FromUnicode(uint16_t unicode) {
  const uint16_t gb = kPages[kPageOf[unicode >> 8]][unicode & 0xFF];
  return gb != 0 ? gb : -1;
}

}  // namespace oesqx::gb2312

namespace {

using oesqx::gb2312::FromUnicode;
using oesqx::gb2312::ToUnicode;

inline uint16_t Low16(wchar_t c) { return static_cast<uint16_t>(static_cast<uint32_t>(c) & 0xFFFF); }
inline uint16_t Low16(unsigned short c) { return c; }

// Encodes n units as UTF-8 into out[0..size). A multi-byte sequence is only
// written when the terminator still fits after it; on a one-byte overflow the
// last byte is sacrificed for the terminator.
template <typename Unit>
int UnitsToUtf8(const Unit* in, size_t n, char* out, size_t size) {
  size_t pos = 0;
  for (size_t i = 0; i < n && pos < size; ++i) {
    const uint16_t u = Low16(in[i]);
    if (u < 0x80) {
      out[pos++] = static_cast<char>(u);
    } else if (u <= 0x7FF) {
      if (pos + 2 >= size) {
        out[pos] = '\0';
        return -1;
      }
      out[pos++] = static_cast<char>(0xC0 | u >> 6);
      out[pos++] = static_cast<char>(0x80 | (u & 0x3F));
    } else {
      if (pos + 3 >= size) {
        out[pos] = '\0';
        return -2;
      }
      out[pos++] = static_cast<char>(0xE0 | u >> 12);
      out[pos++] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out[pos++] = static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  out[pos < size ? pos : size - 1] = '\0';
  return 0;
}

// Appends the GB2312 form of one unit (one byte for ASCII, else two).
inline size_t UnitToMb(uint16_t u, unsigned char* dst) {
  if (u < 0x80) {
    dst[0] = static_cast<unsigned char>(u);
    return 1;
  }
  const int gb = FromUnicode(u);
  if (gb >= 0) {
    dst[0] = static_cast<unsigned char>(gb >> 8);
    dst[1] = static_cast<unsigned char>(gb & 0xFF);
  } else {
    // Not in GB2312: the unit's own bytes, low first.
    dst[0] = static_cast<unsigned char>(u & 0xFF);
    dst[1] = static_cast<unsigned char>(u >> 8);
  }
  return 2;
}

inline int ClampToInt(size_t n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }

// 2 * len + 1 (or len + 1), saturated at INT_MAX instead of overflowing.
inline int SizeNeeded(long long len, int per_char) {
  const long long need = len * per_char + 1;
  return need > INT_MAX ? INT_MAX : static_cast<int>(need);
}

// The shape shared by ACPTOUTF8 and UTF8TOACP: empty the output, convert the
// input into a temporary wide buffer of strlen + 2 elements, then from that
// into the output. Allocation failure leaves the output empty.
template <typename Steps>
void ConvertThroughWide(const char* in, char* out, int size, Steps steps) {
  if (out == nullptr || size < 1) return;
  out[0] = '\0';
  if (in == nullptr) return;
  const size_t len = strlen(in);
  if (len > static_cast<size_t>(INT_MAX) - 2) return;
  std::unique_ptr<wchar_t[]> wide(new (std::nothrow) wchar_t[len + 2]);
  if (!wide) return;
  steps(in, static_cast<int>(len), wide.get(), out, size);
}

}  // namespace

extern "C" {

int G_ucs2toutf8(const wchar_t* in, char* out, int size) {
  if (out == nullptr || size < 1) return -1;
  if (in == nullptr) {
    out[0] = '\0';
    return 0;
  }
  return UnitsToUtf8(in, wcslen(in), out, static_cast<size_t>(size));
}

int G_swordtoutf8(const unsigned short* in, char* out, int size) {
  if (out == nullptr || size < 1) return -1;
  if (in == nullptr) {
    out[0] = '\0';
    return 0;
  }
  size_t n = 0;
  while (in[n] != 0) ++n;
  return UnitsToUtf8(in, n, out, static_cast<size_t>(size));
}

int G_sucs2toutf8(unsigned short unit, char* out4) {
  if (out4 == nullptr) return 0;
  // A 4-byte buffer always has room for the longest sequence and its zero.
  UnitsToUtf8(&unit, 1, out4, 4);
  return unit < 0x80 ? 1 : unit <= 0x7FF ? 2 : 3;
}

int G_utf8toucs2(const char* in, wchar_t* out, int size) {
  if (out == nullptr || size < 1) return -1;
  if (in == nullptr) {
    out[0] = L'\0';
    return 0;
  }
  const unsigned char* s = reinterpret_cast<const unsigned char*>(in);
  const size_t len = strlen(in);
  const size_t cap = static_cast<size_t>(size);
  size_t i = 0;
  size_t count = 0;
  while (count < cap && i < len) {
    const unsigned char lead = s[i];
    if (lead < 0x80) {
      out[count++] = lead;
      i += 1;
    } else if (lead < 0xC0) {
      out[count] = L'\0';
      return -1;
    } else if (lead < 0xE0) {
      // At the end of the text the second byte is the terminator itself.
      out[count++] = static_cast<wchar_t>((lead & 0x1F) << 6 | (s[i + 1] & 0x3F));
      i += 2;
    } else if (lead < 0xF0) {
      if (i + 2 >= len) {
        out[count] = L'\0';
        return -1;
      }
      out[count++] = static_cast<wchar_t>((lead & 0x0F) << 12 | (s[i + 1] & 0x3F) << 6 | (s[i + 2] & 0x3F));
      i += 3;
    } else {
      out[count] = L'\0';
      return -3;
    }
  }
  out[count < cap ? count : cap - 1] = L'\0';
  return 0;
}

int G_ConvertUnicodeToMBCode(const wchar_t* in, int len, char* out, int size) {
  if (len <= 0) len = in != nullptr ? ClampToInt(wcslen(in)) : 0;
  if (out == nullptr) return SizeNeeded(len, 2);
  if (size < 1) return 0;
  // Below two bytes there is no room for any character and its terminator.
  if (in == nullptr || size < 2) {
    out[0] = '\0';
    return 0;
  }
  unsigned char* dst = reinterpret_cast<unsigned char*>(out);
  const size_t limit = static_cast<size_t>(size) - 1;
  size_t n = 0;
  for (const wchar_t* p = in; *p != L'\0'; ++p) {
    // n <= size - 2 here, so the two bytes of a pair end at size - 1 at most.
    n += UnitToMb(Low16(*p), dst + n);
    if (n >= limit) {
      out[size - 2] = '\0';
      return size - 2;
    }
  }
  out[n] = '\0';
  return static_cast<int>(n);
}

int G_ConvertMBCodeToUnicode(const char* in, int len, wchar_t* out, int size) {
  if (len < 0) len = in != nullptr ? ClampToInt(strlen(in)) : 0;
  if (out == nullptr) return SizeNeeded(len, 1);
  if (size < 1) return 0;
  if (in == nullptr) {
    out[0] = L'\0';
    return 0;
  }
  if (len == 0) {
    out[0] = L'\0';
    return 1;
  }
  if (size < 2) {
    out[0] = L'\0';
    return 0;
  }
  const unsigned char* s = reinterpret_cast<const unsigned char*>(in);
  const size_t end = static_cast<size_t>(len);
  const size_t limit = static_cast<size_t>(size) - 1;
  size_t i = 0;
  size_t count = 0;
  while (i < end && s[i] != 0) {
    const unsigned char b = s[i];
    int unicode = -1;
    // A pair is only formed inside the given length.
    if (b >= 0x80 && i + 1 < end) unicode = ToUnicode(static_cast<uint16_t>(b << 8 | s[i + 1]));
    if (unicode >= 0) {
      out[count++] = static_cast<wchar_t>(unicode);
      i += 2;
    } else {
      out[count++] = b;
      i += 1;
    }
    if (count >= limit) {
      out[size - 2] = L'\0';
      return size - 2;
    }
  }
  out[count] = L'\0';
  return static_cast<int>(count);
}

void G_UnicodeCharToMB(unsigned short unit, char* out3) {
  if (out3 == nullptr) return;
  unsigned char* dst = reinterpret_cast<unsigned char*>(out3);
  dst[UnitToMb(unit, dst)] = 0;
}

void ACPTOUTF8(const char* in, char* out, int size) {
  ConvertThroughWide(in, out, size, [](const char* text, int len, wchar_t* wide, char* dst, int dst_size) {
    G_ConvertMBCodeToUnicode(text, len, wide, len + 2);
    G_ucs2toutf8(wide, dst, dst_size);
  });
}

void UTF8TOACP(const char* in, char* out, int size) {
  ConvertThroughWide(in, out, size, [](const char* text, int len, wchar_t* wide, char* dst, int dst_size) {
    G_utf8toucs2(text, wide, len + 2);
    G_ConvertUnicodeToMBCode(wide, -1, dst, dst_size);
  });
}

int IsUTF8String(const char* text) {
  if (text == nullptr || text[0] == '\0') return 0;
  const unsigned char* s = reinterpret_cast<const unsigned char*>(text);
  bool multi = false;
  while (*s != 0) {
    const unsigned char lead = *s++;
    int more;
    if (lead < 0x80) {
      more = 0;
    } else if (lead < 0xC0) {
      return 0;
    } else if (lead < 0xE0) {
      more = 1;
    } else if (lead < 0xF0) {
      more = 2;
    } else if (lead < 0xF8) {
      more = 3;
    } else if (lead < 0xFC) {
      more = 4;
    } else {
      more = 5;
    }
    if (more > 0) multi = true;
    // The terminator is not a continuation byte, so this never reads past it.
    for (; more > 0; --more) {
      if ((*s & 0xC0) != 0x80) return 0;
      ++s;
    }
  }
  return multi ? 1 : 0;
}

}  // extern "C"
