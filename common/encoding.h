/* Text conversions between UTF-8, GB2312 (EUC-CN, the "ACP" form), 16-bit
 * UCS-2 and 32-bit wchar_t text, with a built-in GB2312 table (no locale or
 * iconv); 16/32-bit string helpers; unique-name generators.
 * Sizes count output elements, terminator included. */
#ifndef OESQX_COMMON_ENCODING_H
#define OESQX_COMMON_ENCODING_H

#include <wchar.h>

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

OESQX_API int G_ucs2toutf8(const wchar_t* in, char* out, int size);
OESQX_API int G_swordtoutf8(const unsigned short* in, char* out, int size);
OESQX_API int G_sucs2toutf8(unsigned short unit, char* out4);
OESQX_API int G_utf8toucs2(const char* in, wchar_t* out, int size);
OESQX_API int G_ConvertUnicodeToMBCode(const wchar_t* in, int len, char* out, int size);
OESQX_API int G_ConvertMBCodeToUnicode(const char* in, int len, wchar_t* out, int size);
OESQX_API void G_UnicodeCharToMB(unsigned short unit, char* out3);
OESQX_API void ACPTOUTF8(const char* in, char* out, int size);
OESQX_API void UTF8TOACP(const char* in, char* out, int size);
OESQX_API int IsUTF8String(const char* text);

OESQX_API int wcslen_s(const unsigned short* s);
OESQX_API int wcscmp_ws(const wchar_t* w, const unsigned short* s);
OESQX_API int wcscmp_sw(const unsigned short* s, const wchar_t* w);
OESQX_API wchar_t* wcscpy_fs(wchar_t* dst, const unsigned short* src);
OESQX_API unsigned short* wcscpy_ts(unsigned short* dst, const wchar_t* src);
OESQX_API wchar_t* wcsncpy_fs(wchar_t* dst, const unsigned short* src, int count);
OESQX_API unsigned short* wcsncpy_ts(unsigned short* dst, const wchar_t* src, int count);
/* wcscasecmp is exported under the C library's name with its usual meaning;
 * it is declared by <wchar.h>. */
OESQX_API int wtol(const wchar_t* text);

OESQX_API void G_GetTempFileName(char* out, const char* suffix);
OESQX_API void G_GenerateName(char* out17);
OESQX_API void G_GenerateGUID(char* out33);

OESQX_EXTERN_C_END

#endif
