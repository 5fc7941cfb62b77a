// Decodes arbitrary bytes as a picture with format detection (BMP, JPEG,
// GIF, PNG, TIFF). A decoded picture goes through the seal chain, and the
// GIF written for it must read back with the same indices.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/qx_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Small pictures only, so that each input runs fast.
  oesqx::image::SetMaxPixelBytes(size_t{1} << 22);
  if (size > (size_t{1} << 20)) return 0;
  oesqx::QxImage pic;
  if (!pic.Decode(data, static_cast<uint32_t>(size), 0)) {
    if (pic.GetWidth() != 0) std::abort();  // a failed decode leaves no picture
    return 0;
  }
  if (uint64_t{pic.GetWidth()} * pic.GetHeight() > 65536) return 0;
  if (!pic.ConvertToBpp(24) || !pic.DecreaseBpp(8, true, nullptr, 0)) std::abort();
  pic.SetTransIndex(255);
  uint8_t* gif = nullptr;
  int gif_size = 0;
  if (!pic.Encode(gif, gif_size, oesqx::QXIMAGE_FORMAT_GIF)) std::abort();
  oesqx::QxImage back;
  if (!back.Decode(gif, static_cast<uint32_t>(gif_size), oesqx::QXIMAGE_FORMAT_GIF)) std::abort();
  if (back.GetWidth() != pic.GetWidth() || back.GetHeight() != pic.GetHeight() || back.GetTransIndex() != 255)
    std::abort();
  for (uint32_t y = 0; y < pic.GetHeight(); ++y)
    if (std::memcmp(back.GetBits(y), pic.GetBits(y), pic.GetWidth()) != 0) std::abort();
  std::free(gif);
  return 0;
}
