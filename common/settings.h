/* Process-wide settings: filled from the configuration file on first need
 * (ReadOESServAdd) and set at run time by the settings calls. Every writer
 * copies with a bound and terminates (see CopySetting). */
#ifndef OESQX_COMMON_SETTINGS_H
#define OESQX_COMMON_SETTINGS_H

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

OESQX_API extern unsigned char g_blReadSealServInf;
OESQX_API extern unsigned char g_blUtf8Mode;
OESQX_API extern unsigned char g_blEncTransParam;
OESQX_API extern char g_cSealServAddr[300];
OESQX_API extern char g_cSealPubServAddr[300];
OESQX_API extern unsigned char g_blJianCeMode;
OESQX_API extern char g_cXTMDll[256];
OESQX_API extern char g_cXTMAppName[64];
OESQX_API extern char g_oSKFDll[32][256];
OESQX_API extern char g_cPKCSDll[8][256];
OESQX_API extern char g_cTempPath[128];
OESQX_API extern int g_nCurrNameIndex;

/* Reads the configuration file once per process (see config.cpp). */
OESQX_API void ReadOESServAdd(void);

OESQX_EXTERN_C_END

#ifdef __cplusplus
#include <cstddef>
#include <cstring>
namespace oesqx {
// Copies at most size-1 bytes of `value` (of length `len`, or strlen when
// negative) into a fixed-size setting and terminates it.
inline void CopySetting(char* dst, size_t size, const char* value, long len = -1) {
  if (size == 0) return;
  if (value == nullptr) {
    dst[0] = '\0';
    return;
  }
  size_t n = len < 0 ? std::strlen(value) : static_cast<size_t>(len);
  if (n > size - 1) n = size - 1;
  std::memmove(dst, value, n);
  dst[n] = '\0';
}
}  // namespace oesqx
#endif

#endif
