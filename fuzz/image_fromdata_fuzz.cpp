// Builds pictures from arbitrary DIB headers and pixel bytes. Input: one
// byte giving the header block's length in 4-byte units (at least the
// 40-byte header), the block, then the pixel bytes. Both parts are copied
// into buffers of their exact size, so any read past them is caught.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/qx_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  oesqx::image::SetMaxPixelBytes(size_t{1} << 22);
  if (size < 1) return 0;
  size_t block = 40 + 4 * size_t{data[0]};
  if (block > size - 1) block = size - 1;
  std::vector<uint8_t> header(block < 40 ? 40 : block, 0);  // a whole header is always there
  std::memcpy(header.data(), data + 1, block);
  const size_t bits_size = size - 1 - block;
  std::vector<uint8_t> bits(data + 1 + block, data + size);
  oesqx::QxImage pic;
  const bool ok = pic.CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(header.data()),
                                     static_cast<unsigned>(header.size()), bits_size ? bits.data() : nullptr,
                                     static_cast<unsigned>(bits_size));
  if (!ok) {
    if (pic.GetWidth() != 0) std::abort();
    return 0;
  }
  if (pic.GetBits(pic.GetHeight() - 1) == nullptr || pic.GetBits(pic.GetHeight()) != nullptr) std::abort();
  if (uint64_t{pic.GetWidth()} * pic.GetHeight() <= 65536) {
    if (!pic.ConvertToBpp(24)) std::abort();
    oesqx::QxImage small(pic);
    small.Resample(7, 5, 1, nullptr);
    if (!pic.DecreaseBpp(8, true, nullptr, 0)) std::abort();
    uint8_t* out = nullptr;
    int out_size = 0;
    if (!pic.Encode(out, out_size, oesqx::QXIMAGE_FORMAT_BMP)) std::abort();
    std::free(out);
  }
  return 0;
}
