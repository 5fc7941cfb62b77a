// Every key and key rule built into the library, in one module: the keys
// that protect stored containers, legacy seal files, web seal data and the
// compressed text form. Data written with them is readable only by code
// that uses the same values.
#ifndef OESQX_CRYPTO_BUILTIN_KEYS_H
#define OESQX_CRYPTO_BUILTIN_KEYS_H

#include <cstdint>

namespace oesqx::builtin_keys {

// Each subsystem adds its keys here, with a comment on what they protect.

// Seal files. The V6 container key and the V4/V5 seal key are each
// multiplied byte by byte (modulo 256) by the key factor stored in the
// file head (1..127 on writing; V4/V5 files with 128..255 use the same
// rule).
extern const uint8_t kSealContainerKey[16];
extern const uint8_t kSealV4Key[16];
// out[i] = base[i] * factor (mod 256).
void FactorKey(const uint8_t base[16], uint8_t factor, uint8_t out[16]);

// Compressed text. The 16-byte key of one text comes from its seed byte:
// byte i (0..14) is (seed * mul[i] + add[i]), halved in all positions but
// 2, 7 and 11, cut to 8 bits, with a fixed non-zero byte where that is
// zero; byte 15 is a constant. Writer and readers share this rule.
void TextKeyFromSeed(uint8_t seed, uint8_t key[16]);

// Web seal data. The binary control data of a web seal is enciphered with
// this key multiplied by the key factor in its head (FactorKey). When the
// form data handed for a digest check decodes to nothing, the digest of the
// 18-byte marker text (no terminator) stands in for it.
extern const uint8_t kWebSealKey[16];
extern const char kWebSealEmptyFormMarker[19];

}  // namespace oesqx::builtin_keys

#endif
