// The self-contained OES calls: provider information, method identifiers,
// the signing time and error messages.
#include <cstring>
#include <ctime>
#include <string>

#include "common/debuglog.h"
#include "common/settings.h"
#include "oes/errors.h"
#include "oes/oes_api.h"
#include "oes/trace.h"

namespace {

using oesqx::oes::TraceOut;
namespace dbg = oesqx::dbg;

constexpr char kProviderName[] = "QX";
constexpr char kCompany[] = "Quorix";
constexpr char kVersion[] = "2.0";
constexpr char kExtend[] = "";
constexpr char kSignMethod[] = "1.2.156.10197.1.501";    // SM2 with SM3
constexpr char kDigestMethod[] = "1.2.156.10197.1.401";  // SM3
constexpr int kMethodLen = sizeof(kSignMethod);          // 20, with the NUL
constexpr int kDateTimeLen = 16;                         // "YYYYMMDDhhmmssZ" + NUL

void PutProviderItem(unsigned char* buffer, int* length, const char* value) {
  const int size = static_cast<int>(std::strlen(value)) + 1;
  if (buffer != nullptr) std::memcpy(buffer, value, static_cast<size_t>(size));
  if (length != nullptr) *length = size;
}

int GetMethod(const char* mark, const char* method, unsigned char* buffer, int* length) {
  const std::string m(mark);
  dbg::Str((m + " S").c_str());
  TraceOut(buffer, length);
  if (length == nullptr) return OES_ERR_PARAM;
  if (buffer == nullptr) {
    *length = kMethodLen;
    dbg::Str((m + " !v").c_str());
    return OES_OK;
  }
  if (*length < kMethodLen) return OES_ERR_SPACE;
  std::memcpy(buffer, method, kMethodLen);
  *length = kMethodLen;
  dbg::Str((m + " OK").c_str());
  return OES_OK;
}

}  // namespace

extern "C" {

OES_API int OES_GetProviderInfo(unsigned char* puchName, int* piNameLen, unsigned char* puchCompany,
                                int* piCompanyLen, unsigned char* puchVersion, int* piVersionLen,
                                unsigned char* puchExtend, int* piExtendLen) {
  dbg::Str("OES_GetProviderInfo S");
  TraceOut(puchName, piNameLen);
  TraceOut(puchCompany, piCompanyLen);
  TraceOut(puchVersion, piVersionLen);
  TraceOut(puchExtend, piExtendLen);
  PutProviderItem(puchName, piNameLen, kProviderName);
  PutProviderItem(puchCompany, piCompanyLen, kCompany);
  PutProviderItem(puchVersion, piVersionLen, kVersion);
  PutProviderItem(puchExtend, piExtendLen, kExtend);
  dbg::Str("OES_GetProviderInfo OK");
  return OES_OK;
}

OES_API int OES_GetSignMethod(unsigned char* puchSignMethod, int* piSignMethodLen) {
  return GetMethod("OES_GetSignMethod", kSignMethod, puchSignMethod, piSignMethodLen);
}

OES_API int OES_GetDigestMethod(unsigned char* puchDigestMethod, int* piDigestMethodLen) {
  return GetMethod("OES_GetDigestMethod", kDigestMethod, puchDigestMethod, piDigestMethodLen);
}

OES_API int OES_GetSignDateTime(unsigned char* puchSignDateTime, int* piSignDateTimeLen) {
  dbg::Str("OES_GetSignDateTime S");
  TraceOut(puchSignDateTime, piSignDateTimeLen);
  if (piSignDateTimeLen == nullptr) return OES_ERR_PARAM;
  if (puchSignDateTime == nullptr) {
    *piSignDateTimeLen = kDateTimeLen;
    dbg::Str("OES_GetSignDateTime !v");
    return OES_OK;
  }
  if (*piSignDateTimeLen < kDateTimeLen) return OES_ERR_SPACE;
  ReadOESServAdd();
  const std::time_t now = std::time(nullptr);
  struct tm utc = {};
  gmtime_r(&now, &utc);
  char text[64];
  std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02dZ", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  std::memcpy(puchSignDateTime, text, kDateTimeLen);
  *piSignDateTimeLen = kDateTimeLen;
  dbg::Str(text);
  return OES_OK;
}

OES_API int OES_GetErrMessage(unsigned long errCode, unsigned char* puchErrMessage,
                              int* piErrMessageLen) {
  dbg::Str(("OES_GetErrMessage,code=" + std::to_string(static_cast<long long>(errCode))).c_str());
  TraceOut(puchErrMessage, piErrMessageLen);
  if (piErrMessageLen == nullptr) return OES_ERR_PARAM;
  if (puchErrMessage == nullptr) {
    *piErrMessageLen = 64;
    return OES_OK;
  }
  const std::string text = oesqx::oes::ErrorText(errCode);
  const int needed = static_cast<int>(text.size()) + 1;
  if (*piErrMessageLen < needed) {
    dbg::Str("OES_GetErrMessage LowMem");
    return OES_ERR_SPACE;
  }
  std::memcpy(puchErrMessage, text.c_str(), static_cast<size_t>(needed));
  *piErrMessageLen = needed;
  dbg::Str("OES_GetErrMessage OK");
  return OES_OK;
}

}  // extern "C"
