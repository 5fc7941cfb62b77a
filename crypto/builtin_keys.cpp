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

}  // namespace oesqx::builtin_keys
