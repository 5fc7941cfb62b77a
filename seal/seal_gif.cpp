#include "seal/seal_gif.h"

#include <cstdlib>

#include "image/dib.h"
#include "image/qx_image.h"
#include "seal/seal_bitmap.h"

namespace oesqx::seal {

bool Rows24ToTransparentGif(const unsigned char* rows, uint32_t width, uint32_t height,
                            unsigned char** out, int* out_len) {
  if (out == nullptr || out_len == nullptr) return false;
  *out = nullptr;
  *out_len = 0;
  const size_t size = Rows24Size(width, height);
  if (rows == nullptr || size == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF) return false;
  BITMAPINFO info{};
  info.bmiHeader = image::MakeDib24Header(static_cast<int32_t>(width),
                                          static_cast<int32_t>(height));
  QxImage picture;
  if (!picture.CreateFromData(&info, sizeof(BITMAPINFOHEADER), rows,
                              static_cast<unsigned>(size))) {
    return false;
  }
  if (!picture.DecreaseBpp(8, true, nullptr, 0)) return false;
  picture.SetTransIndex(255);
  uint8_t* gif = nullptr;
  int gif_len = 0;
  if (!picture.Encode(gif, gif_len, QXIMAGE_FORMAT_GIF) || gif == nullptr || gif_len <= 0) {
    std::free(gif);
    return false;
  }
  *out = gif;
  *out_len = gif_len;
  return true;
}

}  // namespace oesqx::seal
