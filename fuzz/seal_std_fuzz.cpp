// Seal data that begins with a SEQUENCE: a run of standard seals loaded by
// CSealOperator (checking mode on for inputs with an odd first length byte),
// their records walked, saved and exported.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/settings.h"
#include "dialogs/dialogs.h"
#include "image/qx_image.h"
#include "seal/seal_operator.h"

namespace {
int NoBox(int, const char*) { return 0; }
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool once = [] {
    g_blHasLoadDlg = 1;
    pfnMessageBoxCB = NoBox;
    oesqx::image::SetMaxPixelBytes(1 << 20);
    return true;
  }();
  (void)once;
  if (size > 400000) return 0;
  std::vector<unsigned char> in(data, data + size);
  if (!in.empty()) in[0] = 0x30;
  g_blJianCeMode = size > 1 && (in[1] & 1) != 0;
  g_blEncSeal = 0;
  CSealOperator op;
  op.LoadData(in.data(), static_cast<int>(in.size()));
  for (SEAL_DATA_V6* r = op.GetSealData(0, nullptr); r != nullptr; r = op.GetSealData(0, r)) {
    unsigned char* one = nullptr;
    op.GenerateOneSeal(r, 0, &one, nullptr);
    std::free(one);
    std::free(op.GetSealDIB24BitsFromSealData(r, 0));
  }
  unsigned char* all = nullptr;
  op.SaveData(&all);
  std::free(all);
  g_blJianCeMode = 0;
  return 0;
}
