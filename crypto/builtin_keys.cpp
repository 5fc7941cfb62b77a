#include "crypto/builtin_keys.h"

namespace oesqx::builtin_keys {

// Seal files (V6 container, V4/V5 seal picture block).
const uint8_t kSealContainerKey[16] = {0x25, 0x24, 0x69, 0x52, 0xE5, 0xB0, 0x6B, 0x90,
                                       0x3F, 0xED, 0xD0, 0xB6, 0xD4, 0xAA, 0x53, 0xB3};
const uint8_t kSealV4Key[16] = {0x75, 0x28, 0xE8, 0xA5, 0xDF, 0xF6, 0x6A, 0xA3,
                                0xD6, 0xAE, 0x61, 0x30, 0x74, 0xAD, 0x19, 0xE7};
void FactorKey(const uint8_t base[16], uint8_t factor, uint8_t out[16]) {
  for (int i = 0; i < 16; ++i) out[i] = static_cast<uint8_t>(base[i] * factor);
}

// Compressed text key rule (see the header).
void TextKeyFromSeed(uint8_t seed, uint8_t key[16]) {
  static constexpr uint8_t kMul[15] = {7, 13, 3, 11, 5, 17, 9, 19, 23, 29, 31, 37, 41, 43, 47};
  static constexpr uint8_t kAdd[15] = {0x35, 0x11, 0x6C, 0x02, 0x9B, 0x47, 0xD0, 0x2E,
                                       0x83, 0x19, 0xF4, 0x5D, 0x66, 0xA1, 0x3C};
  static constexpr bool kHalve[15] = {true, true, false, true, true, true, true, false,
                                      true, true, true,  false, true, true, true};
  static constexpr uint8_t kIfZero[15] = {0x4F, 0x91, 0x2B, 0xC6, 0x73, 0x1D, 0xE8, 0x35,
                                          0xA9, 0x5E, 0x87, 0x14, 0xD2, 0x6B, 0xB8};
  static constexpr uint8_t kLast = 0xA7;
  for (int i = 0; i < 15; ++i) {
    unsigned v = static_cast<unsigned>(seed) * kMul[i] + kAdd[i];
    if (kHalve[i]) v >>= 1;
    v &= 0xFF;
    key[i] = static_cast<uint8_t>(v != 0 ? v : kIfZero[i]);
  }
  key[15] = kLast;
}

// Web seal control data, and the stand-in for empty form data.
const uint8_t kWebSealKey[16] = {0x07, 0x51, 0xAA, 0x66, 0x66, 0x15, 0xCC, 0xE3,
                                 0x7B, 0x98, 0x85, 0x67, 0x1E, 0x6E, 0x44, 0x4E};
const char kWebSealEmptyFormMarker[19] = "oesqx:no-form-data";

}  // namespace oesqx::builtin_keys
