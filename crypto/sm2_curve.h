// The constants of the SM2 recommended 256-bit prime curve (sm2p256v1), as
// the standard writes them, and the same values as 32-byte big-endian
// strings for the identity value Z.
#ifndef OESQX_CRYPTO_SM2_CURVE_H
#define OESQX_CRYPTO_SM2_CURVE_H

#include <array>
#include <cstdint>

namespace oesqx::sm2 {

inline constexpr char kCurveP[] = "FFFFFFFEFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00000000FFFFFFFFFFFFFFFF";
inline constexpr char kCurveA[] = "FFFFFFFEFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF00000000FFFFFFFFFFFFFFFC";
inline constexpr char kCurveB[] = "28E9FA9E9D9F5E344D5A9E4BCF6509A7F39789F515AB8F92DDBCBD414D940E93";
inline constexpr char kCurveGx[] = "32C4AE2C1F1981195F9904466A39C9948FE30BBFF2660BE1715A4589334C74C7";
inline constexpr char kCurveGy[] = "BC3736A2F4F6779C59BDCEE36B692153D0A9877CC62A474002DF32E52139F0A0";
inline constexpr char kCurveN[] = "FFFFFFFEFFFFFFFFFFFFFFFFFFFFFFFF7203DF6B21C6052B53BBF40939D54123";

namespace detail {
constexpr uint8_t Nibble(char c) {
  return static_cast<uint8_t>(c <= '9' ? c - '0' : c - 'A' + 10);
}
}  // namespace detail

// a || b || Gx || Gy, the curve part of Z, as 128 bytes.
constexpr std::array<uint8_t, 128> CurveForZ() {
  std::array<uint8_t, 128> out{};
  const char* parts[4] = {kCurveA, kCurveB, kCurveGx, kCurveGy};
  for (int i = 0; i < 4; ++i)
    for (int j = 0; j < 32; ++j)
      out[i * 32 + j] = static_cast<uint8_t>(detail::Nibble(parts[i][2 * j]) << 4 |
                                             detail::Nibble(parts[i][2 * j + 1]));
  return out;
}

}  // namespace oesqx::sm2

#endif
