/* Gzip blocks and the compressed text form. Every output buffer is
 * malloc'd; the caller releases it with free. */
#ifndef OESQX_COMMON_COMPRESS_H
#define OESQX_COMMON_COMPRESS_H

#include <stdbool.h>
#include <wchar.h>

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

/* Writes one gzip member of `data` (len -1: a zero-terminated string).
 * Always 0. */
OESQX_API int CompressEncode(const unsigned char* data, int len, unsigned char** out, int* out_len);
/* Reads a gzip block (len 0: a 4-byte little-endian length, then the block)
 * or copies plain data. 0, or -111 for a length-prefixed block without the
 * gzip magic. Damaged data yields what was decoded before the damage. */
OESQX_API int CompressDecode(const unsigned char* data, int len, unsigned char** out, int* out_len);
OESQX_API bool G_DecodeToData(const unsigned char* data, int len, unsigned char** out, int* out_len);

/* Compressed text: the length of the text, or 0 on failure. */
OESQX_API int EncodeDataToStr(const unsigned char* data, int len, char** out_text);
/* The length of the decoded data, or 0 on failure. */
OESQX_API int DecodeStrToDataChar(const char* text, unsigned char** out);
OESQX_API int DecodeStrToData(const wchar_t* text, unsigned char** out);

OESQX_EXTERN_C_END

#endif
