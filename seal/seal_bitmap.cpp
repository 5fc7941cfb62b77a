#include "seal/seal_bitmap.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "image/dib.h"
#include "image/qx_image.h"
#include "seal/seal_operator.h"

namespace oesqx::seal {

size_t Rows24Size(uint32_t width, uint32_t height) {
  const uint64_t stride = image::DibStride(width, 24);
  const uint64_t total = stride * height;
  return total > 0x7FFFFFFFull ? 0 : static_cast<size_t>(total);
}

unsigned char* StoredPictureTo24Bits(const uint8_t* picture, size_t size, unsigned bits,
                                     uint32_t width, uint32_t height) {
  unsigned colours;
  switch (bits) {
    case 1: colours = 2; break;
    case 2: colours = 4; break;
    case 4: colours = 16; break;
    case 8: colours = 256; break;
    default:
      if (bits < 9) return nullptr;
      colours = 0;
      bits = 24;
      break;
  }
  if (picture == nullptr || width == 0 || height == 0) return nullptr;
  const size_t out_size = Rows24Size(width, height);
  const uint64_t rows = static_cast<uint64_t>(image::DibStride(width, bits)) * height;
  const uint64_t palette_len = static_cast<uint64_t>(colours) * 3;
  // The palette and every row must lie inside the stored picture.
  if (out_size == 0 || rows == 0 || palette_len + rows > size) return nullptr;

  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + colours * 4, 0);
  BITMAPINFOHEADER header{};
  header.biSize = 40;
  header.biWidth = static_cast<int32_t>(width);
  header.biHeight = static_cast<int32_t>(height);
  header.biPlanes = 1;
  header.biBitCount = static_cast<uint16_t>(bits);
  std::memcpy(info.data(), &header, sizeof(header));
  for (unsigned i = 0; i < colours; ++i) {
    uint8_t* q = info.data() + sizeof(header) + i * 4;
    q[0] = picture[i * 3 + 2];
    q[1] = picture[i * 3 + 1];
    q[2] = picture[i * 3];
  }
  QxImage image;
  if (!image.CreateFromData(reinterpret_cast<const tagBITMAPINFO*>(info.data()),
                            static_cast<unsigned>(info.size()), picture + palette_len,
                            static_cast<unsigned>(rows))) {
    return nullptr;
  }
  if (!image.ConvertToBpp(24) || image.GetWidth() != width || image.GetHeight() != height) {
    return nullptr;
  }
  const size_t stride = image::DibStride(width, 24);
  if (image.GetEffWidth() != stride) return nullptr;
  auto* out = static_cast<unsigned char*>(std::malloc(out_size));
  if (out == nullptr) return nullptr;
  for (uint32_t row = 0; row < height; ++row) {
    std::memcpy(out + row * stride, image.GetBits(row), stride);
  }
  return out;
}

}  // namespace oesqx::seal

unsigned char* CSealOperator::GetSealDIB24BitsFromSealData(SEAL_DATA_V6* record, unsigned int) {
  if (record == nullptr || record->head.dwLength < SEAL_DATA_FIXED_SIZE) return nullptr;
  const auto* picture = reinterpret_cast<const uint8_t*>(record) + SEAL_DATA_FIXED_SIZE;
  return oesqx::seal::StoredPictureTo24Bits(picture,
                                            record->head.dwLength - SEAL_DATA_FIXED_SIZE,
                                            record->bBitCount, record->wWidth, record->wHeight);
}
