// Certificate and CRL times, and the validity check of a certificate.
#include <cstring>
#include <ctime>

#include "common/debuglog.h"
#include "crypto/cert_info.h"
#include "crypto/ossl_ptr.h"

namespace oesqx::cert {
namespace {

bool Digits(const unsigned char* p, int n, int* out) {
  int v = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    v = v * 10 + (p[i] - '0');
  }
  *out = v;
  return true;
}

}  // namespace

bool ReadTime(const ASN1_TIME* time, TimeFields* out, bool* short_form) {
  if (time == nullptr) return false;
  const unsigned char* p = ASN1_STRING_get0_data(time);
  const int len = ASN1_STRING_length(time);
  if (p == nullptr || len < 12) return false;
  TimeFields t;
  const bool is_short = len <= 13;
  int at = 0;
  if (is_short) {
    if (!Digits(p, 2, &t.year)) return false;
    t.year += 2000;
    at = 2;
  } else {
    if (!Digits(p, 4, &t.year)) return false;
    at = 4;
  }
  if (!Digits(p + at, 2, &t.month) || !Digits(p + at + 2, 2, &t.day) ||
      !Digits(p + at + 4, 2, &t.hour) || !Digits(p + at + 6, 2, &t.minute))
    return false;
  at += 8;
  if (len >= at + 2 && !Digits(p + at, 2, &t.second)) t.second = 0;
  *out = t;
  if (short_form != nullptr) *short_form = is_short;
  return true;
}

int CompareTimes(const TimeFields& a, const TimeFields& b, bool seconds) {
  const int av[] = {a.year, a.month, a.day, a.hour, a.minute, a.second};
  const int bv[] = {b.year, b.month, b.day, b.hour, b.minute, b.second};
  const int n = seconds ? 6 : 5;
  for (int i = 0; i < n; ++i) {
    if (av[i] != bv[i]) return av[i] < bv[i] ? -1 : 1;
  }
  return 0;
}

TimeFields ReferenceTime(const struct tm* when) {
  struct tm now;
  if (when == nullptr) {
    // Certificate times are UTC, so "now" is taken in UTC as well.
    const std::time_t t = std::time(nullptr);
    gmtime_r(&t, &now);
    when = &now;
  }
  TimeFields f;
  f.year = when->tm_year + 1900;
  f.month = when->tm_mon + 1;
  f.day = when->tm_mday;
  f.hour = when->tm_hour;
  f.minute = when->tm_min;
  f.second = when->tm_sec;
  return f;
}

}  // namespace oesqx::cert

int CertVerifyCert(const unsigned char* der, int len, struct tm* when) {
  using oesqx::cert::CompareTimes;
  oesqx::dbg::Str("Local_CheckCert");
  oesqx::ossl::X509Ptr x509 = oesqx::ossl::ParseX509(der, len);
  if (!x509) return -121;
  const oesqx::cert::TimeFields ref = oesqx::cert::ReferenceTime(when);
  oesqx::cert::TimeFields end, start;
  if (!oesqx::cert::ReadTime(X509_get0_notAfter(x509.get()), &end)) return -12;
  if (CompareTimes(end, ref, false) < 0) return -12;
  if (!oesqx::cert::ReadTime(X509_get0_notBefore(x509.get()), &start)) return -12;
  if (CompareTimes(start, ref, false) > 0) return -12;
  return 0;
}
