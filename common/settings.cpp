// The process-wide settings of the common foundation, all in one place.
#include "common/settings.h"

extern "C" {

OESQX_API unsigned char g_blReadSealServInf = 0;
OESQX_API unsigned char g_blUtf8Mode = 1;
OESQX_API unsigned char g_blEncTransParam = 0;
OESQX_API char g_cSealServAddr[300] = {0};
OESQX_API char g_cSealPubServAddr[300] = {0};
OESQX_API unsigned char g_blJianCeMode = 0;
OESQX_API char g_cXTMDll[256] = {0};
OESQX_API char g_cXTMAppName[64] = {0};
OESQX_API char g_oSKFDll[32][256] = {{0}};
OESQX_API char g_cPKCSDll[8][256] = {{0}};
OESQX_API char g_cTempPath[128] = {0};
OESQX_API int g_nCurrNameIndex = 0;

}  // extern "C"
