// Process-wide values of the seal code (unguarded: callers come one at a
// time).
#include "seal/seal_types.h"

unsigned char g_blEncSeal = 0;
unsigned int g_nCurrSealIndex = 1;
char g_cPwd[32] = {};
