/* Certificate fields (names, serial text, DN text, validity, key algorithm
 * and key usage class) and the validity check of a certificate. */
#ifndef OESQX_CRYPTO_CERT_INFO_H
#define OESQX_CRYPTO_CERT_INFO_H

#include <stdint.h>
#include <time.h>

#include "common/export.h"

/* Date record: eight 16-bit fields. Dates are as written in the
 * certificate (UTC); a month outside 1..12 leaves wYear 0. */
typedef struct OESQX_DATE {
  uint16_t wYear;
  uint16_t wMonth;
  uint16_t wDayOfWeek; /* not set */
  uint16_t wDay;
  uint16_t wHour;
  uint16_t wMinute;
  uint16_t wSecond; /* 59 for the end of validity, 0 for the start */
  uint16_t wMilliseconds; /* not set */
} OESQX_DATE;

/* Size every text output of CertReadInfoFromData must have; longer texts
 * are cut at a character boundary within CERT_TEXT_SIZE - 1 bytes. */
#define CERT_TEXT_SIZE 256

OESQX_EXTERN_C_BEGIN

/* Reads the fields of a DER certificate into the outputs that are not null:
 * validity end and start, subject name (CN, else O), issuer CN, serial text
 * (hex in groups of four), subject DN text, SM2 flag (2 for an SM2
 * signature algorithm, else 0) and key usage class (2 signature, 1 key
 * exchange). Texts are UTF-8. 0, or -1 when the certificate does not parse
 * or has no public key. */
OESQX_API int CertReadInfoFromData(const unsigned char* der, unsigned short len, OESQX_DATE* not_after,
                                   char* subject, char* issuer, char* serial, char* dn,
                                   OESQX_DATE* not_before, int* sm2_flag, void* reserved,
                                   int* key_usage);

/* 0 when `when` (null: now, UTC) lies inside the certificate's validity
 * period, compared to the minute; -12 outside it or without dates; -121
 * not a certificate. */
OESQX_API int CertVerifyCert(const unsigned char* der, int len, struct tm* when);

OESQX_EXTERN_C_END

#ifdef __cplusplus
#include <openssl/asn1.h>

#include <string>

namespace oesqx::cert {

// A certificate or CRL time as written (UTC), to the second.
struct TimeFields {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Reads an ASN1 time: 12 or 13 characters as YYMMDDhhmm[ss] (year 2000 + YY),
// longer as YYYYMMDDhhmm[ss]. Seconds are read when present. False for a
// missing, shorter or non-numeric time. *short_form tells which was read.
bool ReadTime(const ASN1_TIME* time, TimeFields* out, bool* short_form = nullptr);

// Compares (year, month, day, hour, minute) and, with seconds set, second.
int CompareTimes(const TimeFields& a, const TimeFields& b, bool seconds);

// The reference time: `when` as given, or the current UTC time.
TimeFields ReferenceTime(const struct tm* when);

// The serial number text: upper-case hex in groups of four digits.
std::string SerialText(const ASN1_INTEGER* serial);

// The dotted OID of the certificate's signature algorithm ("" if none).
std::string SignatureAlgorithmOid(const X509* x509);

}  // namespace oesqx::cert
#endif

#endif
