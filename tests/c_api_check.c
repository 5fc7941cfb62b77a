/* The public headers compile as C, and a C program links and runs against
 * liboesqx.so through them. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "common/compress.h"
#include "common/encoding.h"
#include "common/settings.h"
#include "crypto/cert_info.h"
#include "crypto/des.h"
#include "crypto/digest.h"
#include "crypto/sig_verify.h"
#include "crypto/sm2_verify.h"
#include "dialogs/qxdlgcb.h"
#include "oes/oes_api.h"
#include "seal/seal_reader.h"
#include "seal/seal_types.h"

static int failures = 0;
#define CHECK(cond)                                         \
  do {                                                      \
    if (!(cond)) {                                          \
      fprintf(stderr, "%s:%d: %s\n", __FILE__, __LINE__, #cond); \
      ++failures;                                           \
    }                                                       \
  } while (0)

int main(void) {
  unsigned char name[8];
  int len = 0;
  CHECK(OES_GetProviderInfo(name, &len, NULL, NULL, NULL, NULL, NULL, NULL) == 0);
  CHECK(strcmp((char*)name, "QX") == 0 && len == 3);

  unsigned char digest[32];
  len = sizeof(digest);
  CHECK(OES_Digest((unsigned char*)"abc", 3, (unsigned char*)"SM3", 3, digest, &len) == 0);
  CHECK(len == 32 && digest[0] == 0x66 && digest[31] == 0xE0);

  unsigned char* gz = NULL;
  int gz_len = 0;
  CHECK(CompressEncode((const unsigned char*)"", 0, &gz, &gz_len) == 0 && gz_len == 20);
  free(gz);

  CHECK(g_blUtf8Mode == 1);
  CHECK(IsUTF8String("\xE4\xBD\xA0") == 1);
  if (failures == 0) printf("1 passed, 0 failed\n");
  return failures == 0 ? 0 : 1;
}
