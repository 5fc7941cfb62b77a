#include "common/base64.h"

#include <cstring>
#include <mutex>
#include <new>
#include <vector>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned kGrowStep = 4096;

// Two output characters per 12 input bits, low byte first (little-endian
// store), so a group of three bytes takes two lookups.
struct PairTable {
  uint16_t v[4096];
  constexpr PairTable() : v() {
    for (unsigned i = 0; i < 4096; ++i) {
      v[i] = static_cast<uint16_t>(static_cast<unsigned char>(kAlphabet[i >> 6]) |
                                   static_cast<unsigned char>(kAlphabet[i & 63]) << 8);
    }
  }
};
constexpr PairTable kPairs;

// Per-position contributions of a character to the three bytes of its group
// (byte 0 in bits 0-7, byte 1 in 8-15, byte 2 in 16-23). OR-ing them gives
// exactly (p << 2 | q >> 4 & 3), (q << 4 | r >> 2 & 15), (r << 6 | t & 63),
// each cut to 8 bits, also for the values 0xFE and 0xFF.
uint32_t g_pos0[256], g_pos1[256], g_pos2[256], g_pos3[256];

std::once_flag g_once;

inline void Store16(unsigned char* p, uint16_t v) { std::memcpy(p, &v, 2); }

inline uint64_t Load64(const unsigned char* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
  return v;
}

}  // namespace

unsigned char CBase64Coder::m_DecodeTable[256];
std::atomic<bool> CBase64Coder::m_Init{false};

CBase64Coder::CBase64Coder() = default;

CBase64Coder::~CBase64Coder() {
  delete[] m_pDBuffer;
  delete[] m_pEBuffer;
}

void CBase64Coder::_Init() {
  std::memset(m_DecodeTable, 0xFE, sizeof m_DecodeTable);
  for (unsigned i = 0; i < 64; ++i) {
    const auto c = static_cast<unsigned char>(kAlphabet[i]);
    m_DecodeTable[c] = static_cast<unsigned char>(i);
    m_DecodeTable[c | 0x80] = static_cast<unsigned char>(i);
  }
  m_DecodeTable[0x3D] = 0xFF;
  m_DecodeTable[0xBD] = 0xFF;
  for (unsigned c = 0; c < 256; ++c) {
    const uint32_t v = m_DecodeTable[c];
    g_pos0[c] = (v << 2) & 0xFF;
    g_pos1[c] = ((v >> 4) & 3) | ((v << 4) & 0xFF) << 8;
    g_pos2[c] = ((v >> 2) & 15) << 8 | ((v << 6) & 0xFF) << 16;
    g_pos3[c] = (v & 63) << 16;
  }
  m_Init.store(true, std::memory_order_release);
}

void CBase64Coder::_EncodeRaw(const TempBucket& data, TempBucket* raw) {
  raw->nData[0] = static_cast<unsigned char>(data.nData[0] >> 2);
  raw->nData[1] = static_cast<unsigned char>((data.nData[0] & 3) << 4 | data.nData[1] >> 4);
  raw->nData[2] = static_cast<unsigned char>((data.nData[1] & 15) << 2 | data.nData[2] >> 6);
  raw->nData[3] = static_cast<unsigned char>(data.nData[2] & 63);
  raw->nSize = data.nSize;
}

void CBase64Coder::_EncodeToBuffer(const TempBucket& data, unsigned char* out) {
  TempBucket raw;
  _EncodeRaw(data, &raw);
  for (int i = 0; i < 4; ++i) out[i] = static_cast<unsigned char>(kAlphabet[raw.nData[i]]);
  if (data.nSize < 3) out[3] = '=';
  if (data.nSize < 2) out[2] = '=';
}

void CBase64Coder::_DecodeRaw(const TempBucket& data, TempBucket* raw) {
  const unsigned p = m_DecodeTable[data.nData[0]];
  const unsigned q = m_DecodeTable[data.nData[1]];
  const unsigned r = m_DecodeTable[data.nData[2]];
  const unsigned t = m_DecodeTable[data.nData[3]];
  raw->nData[0] = static_cast<unsigned char>(p << 2 | ((q >> 4) & 3));
  raw->nData[1] = static_cast<unsigned char>(q << 4 | ((r >> 2) & 15));
  raw->nData[2] = static_cast<unsigned char>(r << 6 | (t & 63));
  raw->nData[3] = 0;
  raw->nSize = data.nSize;
}

unsigned CBase64Coder::_DecodeToBuffer(const TempBucket& data, unsigned char* out) {
  TempBucket raw;
  _DecodeRaw(data, &raw);
  std::memcpy(out, raw.nData, raw.nSize);
  return raw.nSize;
}

// Shared growth rule: a request at or past the capacity gets a fresh buffer
// of (size rounded down to 4096) + 4096 bytes, so one spare zero byte always
// follows the used part. Requests that do not fit 32 bits fail.
static bool Grow(unsigned char** buf, unsigned* cap, unsigned* dirty, unsigned long long size) {
  if (size < *cap) {
    std::memset(*buf, 0, *dirty);
    *dirty = 0;
    return true;
  }
  const unsigned long long want = size / kGrowStep * kGrowStep + kGrowStep;
  delete[] *buf;
  *buf = nullptr;
  *cap = 0;
  *dirty = 0;
  if (want > 0xFFFFFFFFull) return false;
  *buf = new (std::nothrow) unsigned char[want]();
  if (*buf == nullptr) return false;
  *cap = static_cast<unsigned>(want);
  return true;
}

bool CBase64Coder::AllocEncode(unsigned size) {
  m_nEDataLen = 0;
  return Grow(&m_pEBuffer, &m_nEBufLen, &m_nEDirty, size);
}

bool CBase64Coder::AllocDecode(unsigned size) {
  m_nDDataLen = 0;
  return Grow(&m_pDBuffer, &m_nDBufLen, &m_nDDirty, size);
}

bool CBase64Coder::SetDecodeBuffer(const unsigned char* data, unsigned len) {
  if (!AllocDecode(len)) return false;
  if (len != 0) std::memcpy(m_pDBuffer, data, len);
  m_nDDataLen = len;
  m_nDDirty = len;
  return true;
}

bool CBase64Coder::SetEncodeBuffer(const unsigned char* text, unsigned len) {
  if (!AllocEncode(len)) return false;
  unsigned char* out = m_pEBuffer;
  unsigned j = 0;
  unsigned i = 0;
  constexpr uint64_t kOnes = 0x0101010101010101ull;
  constexpr uint64_t kHighs = 0x8080808080808080ull;
  while (i < len) {
    // Eight bytes with none at or below the space are copied as they are.
    if (len - i >= 8) {
      const uint64_t x = Load64(text + i);
      if (((x - kOnes * 0x21) & ~x & kHighs) == 0) {
        std::memcpy(out + j, &x, 8);
        i += 8;
        j += 8;
        continue;
      }
    }
    const unsigned char c = text[i++];
    out[j] = c == 0x20 ? '+' : c;
    j += _IsBadMimeChar(c) ? 0 : 1;
  }
  m_nEDataLen = j;
  m_nEDirty = j;
  return true;
}

// True when [p, p + len) lies in the buffer `buf` of `cap` bytes: such input
// must be copied before that buffer is cleared or replaced.
static bool Inside(const unsigned char* p, unsigned len, const unsigned char* buf, unsigned cap) {
  const auto a = reinterpret_cast<uintptr_t>(p), b = reinterpret_cast<uintptr_t>(buf);
  return buf != nullptr && len != 0 && a >= b && a - b < cap;
}

void CBase64Coder::Encode(const unsigned char* data, unsigned len) {
  if (data == nullptr) len = 0;
  if (Inside(data, len, m_pDBuffer, m_nDBufLen)) {
    const std::vector<unsigned char> own(data, data + len);
    Encode(own.data(), len);
    return;
  }
  // The text needs room for 2 * len characters in a 32-bit sized buffer;
  // larger inputs give an empty result without being read.
  if (2ull * len > 0xFFFFFFFFull - kGrowStep || !SetDecodeBuffer(data, len) ||
      !AllocEncode(2 * len)) {
    AllocDecode(0);
    AllocEncode(0);
    return;
  }
  const unsigned char* in = m_pDBuffer;
  unsigned char* out = m_pEBuffer;
  unsigned i = 0;
  // Six input bytes -> eight characters per step, read as one big-endian word.
  while (len - i >= 8) {
    const uint64_t x = __builtin_bswap64(Load64(in + i));
    const uint64_t w = static_cast<uint64_t>(kPairs.v[(x >> 52) & 0xFFF]) |
                       static_cast<uint64_t>(kPairs.v[(x >> 40) & 0xFFF]) << 16 |
                       static_cast<uint64_t>(kPairs.v[(x >> 28) & 0xFFF]) << 32 |
                       static_cast<uint64_t>(kPairs.v[(x >> 16) & 0xFFF]) << 48;
    std::memcpy(out, &w, 8);
    out += 8;
    i += 6;
  }
  while (len - i >= 3) {
    const unsigned x = static_cast<unsigned>(in[i]) << 16 | in[i + 1] << 8 | in[i + 2];
    Store16(out, kPairs.v[x >> 12]);
    Store16(out + 2, kPairs.v[x & 0xFFF]);
    out += 4;
    i += 3;
  }
  if (i < len) {
    TempBucket b;
    b.Clear();
    b.nSize = static_cast<unsigned char>(len - i);
    for (unsigned k = 0; k < b.nSize; ++k) b.nData[k] = in[i + k];
    _EncodeToBuffer(b, out);
    out += 4;
  }
  m_nEDataLen = static_cast<unsigned>(out - m_pEBuffer);
  m_nEDirty = m_nEDataLen;
}

void CBase64Coder::Encode(const char* str) {
  if (str == nullptr) return;
  const size_t n = std::strlen(str);
  if (n >= 0xFFFFFFFFu) return;
  Encode(reinterpret_cast<const unsigned char*>(str), static_cast<unsigned>(n + 1));
}

void CBase64Coder::Decode(const unsigned char* text, unsigned len) {
  std::call_once(g_once, &CBase64Coder::_Init);
  if (text == nullptr) len = 0;
  if (Inside(text, len, m_pEBuffer, m_nEBufLen)) {
    const std::vector<unsigned char> own(text, text + len);
    Decode(own.data(), len);
    return;
  }
  if (!SetEncodeBuffer(text, len)) {
    AllocDecode(0);
    return;
  }
  if (!AllocDecode(len)) return;
  const unsigned n = m_nEDataLen;
  if (n == 0) return;

  const unsigned char* in = m_pEBuffer;
  unsigned char* out = m_pDBuffer;
  // Every group but the last yields three bytes unchecked. Each step stores
  // four bytes; the fourth is overwritten by the next group (the last one
  // yields at least one byte), and the buffer has room for it since its
  // capacity exceeds the text length.
  const unsigned full = (n - 1) / 4;
  for (unsigned g = 0; g < full; ++g, in += 4, out += 3) {
    const uint32_t w = g_pos0[in[0]] | g_pos1[in[1]] | g_pos2[in[2]] | g_pos3[in[3]];
    std::memcpy(out, &w, 4);
  }

  // The last group: missing characters read as a zero byte, which is outside
  // the alphabet (0xFE) and is not "=".
  const unsigned rest = n - full * 4;
  TempBucket b;
  b.Clear();
  for (unsigned k = 0; k < rest; ++k) b.nData[k] = in[k];
  b.nSize = b.nData[2] == '=' ? 1 : b.nData[3] == '=' ? 2 : 3;
  out += _DecodeToBuffer(b, out);
  m_nDDataLen = static_cast<unsigned>(out - m_pDBuffer);
  m_nDDirty = m_nDDataLen;
}

void CBase64Coder::Decode(const char* text) {
  if (text == nullptr) return;
  const size_t n = std::strlen(text);
  if (n > 0xFFFFFFFFu) return;
  Decode(reinterpret_cast<const unsigned char*>(text), static_cast<unsigned>(n));
}
