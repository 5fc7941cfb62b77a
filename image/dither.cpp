// Error diffusion onto a palette. The source is changed in place as the
// errors are added, so each addition clamps on its own, in visiting order.
#include "image/dither.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace oesqx::image {
namespace {

inline uint8_t Clamp(int v) { return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v)); }

inline void AddError(uint8_t* p, int eb, int eg, int er) {
  p[0] = Clamp(p[0] + eb);
  p[1] = Clamp(p[1] + eg);
  p[2] = Clamp(p[2] + er);
}

// error x 7 / 16, truncated towards zero, for errors -255..255.
struct SevenSixteenths {
  int8_t share[511];
  constexpr SevenSixteenths() : share() {
    for (int e = -255; e <= 255; ++e) share[e + 255] = static_cast<int8_t>(e * 7 / 16);
  }
};
constexpr SevenSixteenths kSeven;

// Adds the shares 2/16, 4/16 and 1/16 of the error to the three pixels of
// the next row up at q - step, q and q + step (left and right only when
// they exist).
template <uint32_t kStep>
inline void SpreadUp(uint8_t* q, bool has_left, bool has_right, int eb, int eg, int er, uint8_t* row_end) {
#if defined(__SSE2__)
  if (kStep == 3 && has_left && has_right && q - 3 + 16 <= row_end) {
    // Nine bytes at once: error x weight in 16-bit lanes, truncated towards
    // zero, added to the widened bytes and packed back with saturation,
    // which is the clamp to 0-255.
    uint8_t* p = q - 3;
    const __m128i e_lo = _mm_setr_epi16(static_cast<short>(eb), static_cast<short>(eg), static_cast<short>(er),
                                        static_cast<short>(eb), static_cast<short>(eg), static_cast<short>(er),
                                        static_cast<short>(eb), static_cast<short>(eg));
    const __m128i e_hi = _mm_setr_epi16(static_cast<short>(er), 0, 0, 0, 0, 0, 0, 0);
    const __m128i w_lo = _mm_setr_epi16(2, 2, 2, 4, 4, 4, 1, 1);
    const __m128i w_hi = _mm_setr_epi16(1, 0, 0, 0, 0, 0, 0, 0);
    const auto share = [](__m128i e, __m128i w) {
      const __m128i t = _mm_mullo_epi16(e, w);
      const __m128i bias = _mm_and_si128(_mm_srai_epi16(t, 15), _mm_set1_epi16(15));
      return _mm_srai_epi16(_mm_add_epi16(t, bias), 4);
    };
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i zero = _mm_setzero_si128();
    const __m128i lo = _mm_add_epi16(_mm_unpacklo_epi8(bytes, zero), share(e_lo, w_lo));
    const __m128i hi = _mm_add_epi16(_mm_unpackhi_epi8(bytes, zero), share(e_hi, w_hi));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), _mm_packus_epi16(lo, hi));
    return;
  }
#endif
  (void)row_end;
  if (has_left) AddError(q - kStep, eb * 2 / 16, eg * 2 / 16, er * 2 / 16);
  AddError(q, eb * 4 / 16, eg * 4 / 16, er * 4 / 16);
  if (has_right) AddError(q + kStep, eb / 16, eg / 16, er / 16);
}

// Maps one row. The pixel being visited is carried with every share it
// received so far, and so is its right neighbour once a visit adds to it:
// nothing else reads that pixel before it is visited.
template <uint32_t kStep, bool kDiffuse>
void MapRow(uint8_t* row, uint8_t* up, uint8_t* up_end, uint32_t w, NearestColor* nearest, uint8_t* dst) {
  const int8_t* s7 = kSeven.share + 255;
  int b = row[0], g = row[1], r = row[2];
  uint32_t last_key = 0xFFFFFFFFu;  // the colour mapped just before, and its entry
  uint32_t last_entry = 0;
  for (uint32_t x = 0; x < w; ++x) {
    const uint32_t key = static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | static_cast<uint32_t>(b);
    if (key != last_key) {
      last_entry = nearest->FindEntry(static_cast<uint32_t>(r), static_cast<uint32_t>(g), static_cast<uint32_t>(b));
      last_key = key;
    }
    const uint32_t entry = last_entry;
    dst[x] = static_cast<uint8_t>(entry);
    const int er = r - static_cast<int>((entry >> 8) & 0xFF);
    const int eg = g - static_cast<int>((entry >> 16) & 0xFF);
    const int eb = b - static_cast<int>(entry >> 24);
    if (!kDiffuse || (eb | eg | er) == 0) {
      // An exact colour (or no diffusion): the following pixels of the
      // same colour map to the same entry and spread nothing.
      const uint8_t* p = row + size_t{x + 1} * kStep;
      while (x + 1 < w && p[0] == b && p[1] == g && p[2] == r) {
        dst[++x] = static_cast<uint8_t>(entry);
        p += kStep;
      }
      if (x + 1 < w) {
        b = p[0];
        g = p[1];
        r = p[2];
      }
      continue;
    }
    if (x + 1 < w) {
      const uint8_t* next = row + size_t{x + 1} * kStep;
      b = Clamp(next[0] + s7[eb]);
      g = Clamp(next[1] + s7[eg]);
      r = Clamp(next[2] + s7[er]);
    }
    if (up != nullptr) SpreadUp<kStep>(up + size_t{x} * kStep, x > 0, x + 1 < w, eb, eg, er, up_end);
  }
}

template <uint32_t kStep, bool kDiffuse>
void MapRows(const DirectSource& src, NearestColor* nearest, uint8_t* out, uint32_t out_stride) {
  for (uint32_t y = 0; y < src.height; ++y) {
    uint8_t* row = src.pixels + size_t{y} * src.stride;
    uint8_t* up = y + 1 < src.height ? row + src.stride : nullptr;
    // Bytes that may be touched in the row above: up to the end of the
    // picture (wide stores there only rewrite bytes that were read).
    uint8_t* up_end = src.pixels + size_t{src.height} * src.stride;
    MapRow<kStep, kDiffuse>(row, up, up_end, src.width, nearest, out + size_t{y} * out_stride);
  }
}

}  // namespace

void MapToPalette(const DirectSource& src, NearestColor* nearest, bool diffuse, uint8_t* out,
                  uint32_t out_stride) {
  if (src.step == 4) {
    diffuse ? MapRows<4, true>(src, nearest, out, out_stride) : MapRows<4, false>(src, nearest, out, out_stride);
  } else {
    diffuse ? MapRows<3, true>(src, nearest, out, out_stride) : MapRows<3, false>(src, nearest, out, out_stride);
  }
}

}  // namespace oesqx::image
