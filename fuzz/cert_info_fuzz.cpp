// Certificates from outside: fields, validity and the SM2 digest with the
// certificate's key. Every text output stays inside its buffer.
#include <cstdint>
#include <cstring>
#include <ctime>

#include "crypto/cert_info.h"
#include "crypto/sm2_verify.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFF) return 0;
  char text[4][CERT_TEXT_SIZE + 1];
  for (auto& t : text) t[CERT_TEXT_SIZE] = 0x5A;
  OESQX_DATE end, start;
  int sm2 = 0, usage = 0;
  CertReadInfoFromData(data, static_cast<unsigned short>(size), &end, text[0], text[1], text[2], text[3],
                       &start, &sm2, nullptr, &usage);
  for (auto& t : text)
    if (t[CERT_TEXT_SIZE] != 0x5A) __builtin_trap();
  struct tm when = {};
  when.tm_year = 130;
  when.tm_mday = 1;
  CertVerifyCert(data, static_cast<int>(size), &when);
  CertVerifyCert(data, static_cast<int>(size), nullptr);
  unsigned char e[32];
  SM3_WithCert(e, data, static_cast<int>(size), data, static_cast<int>(size));
  return 0;
}
