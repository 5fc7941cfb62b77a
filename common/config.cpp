// ReadOESServAdd: reads "plugin.ini" once per process into the settings.
#include "common/config.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common/debuglog.h"
#include "common/paths.h"
#include "common/settings.h"

namespace oesqx::config {
namespace {

std::function<void()>& UploadHook() {
  static std::function<void()> hook;
  return hook;
}

// Reads the whole of an open file; false when it is empty or unreadable.
bool ReadAll(FILE* f, std::string* text) {
  char chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof(chunk), f)) > 0) text->append(chunk, n);
  return !text->empty();
}

}  // namespace

bool TakeValue(const char* text, const char* key, char* dst, size_t limit) {
  const char* p = std::strstr(text, key);
  if (p == nullptr) return false;
  p += std::strlen(key);
  while (*p == ' ') ++p;
  if (*p != '=') return false;
  ++p;
  while (*p == ' ') ++p;
  const size_t len = std::strcspn(p, "\r\n");
  if (len == 0 || len > limit) return false;
  std::memcpy(dst, p, len);
  dst[len] = '\0';
  dbg::Str(key);
  dbg::Str(dst);
  return true;
}

void ApplyText(const char* text) {
  // The flag keys must appear exactly as written, without spaces.
  if (std::strstr(text, "ANSI_MODE=1") != nullptr) g_blUtf8Mode = 0;
  if (std::strstr(text, "ENC_TRANSPARAM_MODE=1") != nullptr) g_blEncTransParam = 1;
  if (std::strstr(text, "JIANCE_MODE=1") != nullptr) g_blJianCeMode = 1;

  TakeValue(text, "ServAddr", g_cSealServAddr, sizeof(g_cSealServAddr) - 1);
  TakeValue(text, "PublishAddr", g_cSealPubServAddr, sizeof(g_cSealPubServAddr) - 1);
  TakeValue(text, "XTM_DLL_PATH", g_cXTMDll, sizeof(g_cXTMDll) - 1);
  TakeValue(text, "XTM_APP_NAME", g_cXTMAppName, sizeof(g_cXTMAppName) - 1);
  char key[32];
  for (int slot = 0; slot < 32; ++slot) {
    std::snprintf(key, sizeof(key), "SKF_DLL_PATH%d", slot);
    TakeValue(text, key, g_oSKFDll[slot], sizeof(g_oSKFDll[slot]) - 1);
  }
  for (int slot = 0; slot < 8; ++slot) {
    std::snprintf(key, sizeof(key), "PKCS_DLL_PATH%d", slot);
    TakeValue(text, key, g_cPKCSDll[slot], sizeof(g_cPKCSDll[slot]) - 1);
  }
}

void SetPendingUploadHook(std::function<void()> hook) { UploadHook() = std::move(hook); }

void ResetForTest() { g_blReadSealServInf = 0; }

}  // namespace oesqx::config

extern "C" OESQX_API void ReadOESServAdd(void) {
  using namespace oesqx;
  if (g_blReadSealServInf == 1 || g_cSealServAddr[0] != '\0' || g_cSealPubServAddr[0] != '\0')
    return;
  dbg::Str("ReadOESServAdd");
  g_blReadSealServInf = 1;

  for (const char* fixed : paths::kConfigFiles) {
    FILE* f = std::fopen(paths::Resolve(fixed).c_str(), "rb");
    if (f == nullptr) continue;
    std::string text;
    if (config::ReadAll(f, &text)) config::ApplyText(text.c_str());
    std::fclose(f);
    break;
  }

  // Pending offline verification records go to the publishing server.
  if (g_cSealPubServAddr[0] != '\0' && config::UploadHook()) config::UploadHook()();
}
