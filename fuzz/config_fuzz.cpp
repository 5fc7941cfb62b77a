// Configuration text: any bytes, applied to the fixed-size settings.
#include <cstdint>
#include <cstring>
#include <string>

#include "common/config.h"
#include "common/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::memset(g_oSKFDll, 0, sizeof(g_oSKFDll));
  g_cSealServAddr[0] = '\0';
  oesqx::config::ApplyText(text.c_str());
  // Every value must stay terminated inside its global.
  if (std::memchr(g_cSealServAddr, 0, sizeof(g_cSealServAddr)) == nullptr) __builtin_trap();
  for (const auto& slot : g_oSKFDll)
    if (std::memchr(slot, 0, sizeof(slot)) == nullptr) __builtin_trap();
  return 0;
}
