/* Message digests: SM3, SHA-1, MD5, and a salted SHA-1 stream.
 *
 * Digests are raw bytes: 32 for SM3, 20 for SHA-1, 16 for MD5. One-shot
 * functions take the output buffer first, then the data and its length, and
 * always return 0. None of these functions logs. */
#ifndef OESQX_CRYPTO_DIGEST_H
#define OESQX_CRYPTO_DIGEST_H

#include "common/export.h"

OESQX_EXTERN_C_BEGIN

/* SM3 streaming state; filled by sm3_starts. */
typedef struct sm3_context {
  unsigned int total;      /* message length in bytes, low word */
  unsigned int total_high; /* incremented when `total` wraps */
  unsigned int state[8];   /* chaining value */
  unsigned char buffer[64];/* not yet compressed tail */
} sm3_context;

/* SM3 primitives (internal to the library, used by the SM2 code). A zero or
 * negative length absorbs nothing; sm3_finish does not wipe the context. */
void sm3_starts(sm3_context* ctx);
void sm3_update(sm3_context* ctx, const unsigned char* input, int ilen);
void sm3_finish(sm3_context* ctx, unsigned char output[32]);

OESQX_API int GenerateSM3(unsigned char* out32, const unsigned char* data, int len);
/* Returns a new initialised context (operator new); EndSM3 deletes it. */
OESQX_API sm3_context* StartSM3(void);
OESQX_API void ContinueSM3(sm3_context* ctx, const unsigned char* data, int len);
OESQX_API void EndSM3(sm3_context* ctx, unsigned char* out32);

OESQX_API int GenerateSHA(unsigned char* out20, const unsigned char* data, unsigned int len);
OESQX_API int GenerateMD5(unsigned char* out16, const unsigned char* data, unsigned int len);

/* Salted SHA-1 stream: SHA-1 over the fixed 24-byte salt, then every byte
 * given to ContinueHash. The context is a heap CSHA1. EndHash mallocs 20
 * bytes (the caller frees them), stores the pointer and 20, and destroys
 * the context. */
OESQX_API void* StartHash(void);
OESQX_API void ContinueHash(void* ctx, const unsigned char* data, unsigned int len);
OESQX_API void EndHash(void* ctx, unsigned char** out, int* out_len);

OESQX_EXTERN_C_END

#endif
