/* Symmetric protection of stored data: the library's DES-family cipher
 * (single or two-key triple, block by block or chained) and the 20-byte
 * XOR fast mask. Lengths are in bytes; a tail shorter than one unit (8 bytes
 * for the cipher, 4 for the mask) is never changed. */
#ifndef OESQX_CRYPTO_DES_H
#define OESQX_CRYPTO_DES_H

#include <stdbool.h>

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

/* Enciphers `len` bytes into a new malloc'd buffer of `len` bytes, stored in
 * *out / *out_len before any work (the caller frees it, also on failure).
 * 0 on success, -111 when the data is shorter than 8 bytes or an argument
 * is null. */
OESQX_API int EncData(const unsigned char* data, int len, const unsigned char* key, int key_len,
                      unsigned char** out, int* out_len, bool chain);
OESQX_API int DecData(const unsigned char* data, int len, const unsigned char* key, int key_len,
                      unsigned char** out, int* out_len, bool chain);
/* In place; 0 or -111. */
OESQX_API int EncDataNoAlloc(unsigned char* data, int len, const unsigned char* key, int key_len,
                             bool chain);
OESQX_API int DecDataNoAlloc(unsigned char* data, int len, const unsigned char* key, int key_len,
                             bool chain);

/* XOR mask with five 32-bit key words, in place on whole host-order words;
 * always 0. */
OESQX_API int EncDataFast(unsigned int* data, int len, const unsigned int* key20, bool chain);
OESQX_API int DecDataFast(unsigned int* data, int len, const unsigned int* key20, bool chain);

/* Tweak words of the chained fast mask. */
OESQX_API extern const unsigned int g_dwFastCBC[9];

OESQX_EXTERN_C_END

#endif
