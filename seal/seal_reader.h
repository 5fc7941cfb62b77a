/* Seal data straight to a picture and two texts, without a CSealOperator.
 *
 * On success *pixels receives a new malloc'd buffer of 24-bit bottom-up
 * rows, height x (((24 x width + 31) / 32) x 4) bytes, that the caller
 * frees; sealId and sealName (when not null, 64 bytes each) receive UTF-8
 * texts. Null size pointers are skipped. On failure nothing is written. */
#ifndef OESQX_SEAL_SEAL_READER_H
#define OESQX_SEAL_SEAL_READER_H

#include <stdbool.h>

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

/* Any form CSealOperator::LoadData reads (V6, packed, standard seals); the
 * first seal's picture. password may be null or empty. */
OESQX_API bool G_ReadSealVer6(const unsigned char* data, int length, unsigned char** pixels,
                              char* sealId, char* sealName, int* width, int* height,
                              unsigned int* displayWidth, int* displayHeight,
                              const char* password);

/* A V4 or V5 seal file. The key comes from the file's key factor, or the
 * 16-byte sealKey when useSealKey is set, or the MD5 of password.
 * 1 on success, 0 on failure. */
OESQX_API int G_ReadSealVer4(const unsigned char* data, int length, unsigned char** pixels,
                             char* sealId, char* sealName, int* width, int* height,
                             unsigned int* displayWidth, int* displayHeight, bool useSealKey,
                             const unsigned char* sealKey, const char* password);

OESQX_EXTERN_C_END

#endif
