// Creating a V6 seal record from a picture and adding it to the container.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "image/dib.h"
#include "image/qx_image.h"
#include "seal/container.h"
#include "seal/day_number.h"
#include "seal/seal_operator.h"

namespace {

constexpr uint32_t kMaxSide = 32767;

void CopyText(char (&field)[64], const char* text) {
  if (text == nullptr) return;
  const size_t n = strnlen(text, sizeof(field) - 1);
  std::memcpy(field, text, n);
  field[n] = '\0';
}

}  // namespace

SEAL_DATA_V6* CSealOperator::CreateNewSeal(unsigned short kind, const char* text1,
                                           const char* text2, const char* text3,
                                           const char* text4, unsigned int value,
                                           unsigned short displayWidth,
                                           unsigned short displayHeight, unsigned char bits,
                                           oesqx::QxImage* picture, bool, bool,
                                           unsigned int validUntil, char byte1, char byte2) {
  if (picture == nullptr) return nullptr;
  oesqx::QxImage copy(*picture, true, true, true);
  const uint32_t width = copy.GetWidth();
  const uint32_t height = copy.GetHeight();
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return nullptr;

  copy.ConvertToBpp(bits);
  if (bits > 16) {
    copy.ConvertToBpp(24);
  } else if (copy.GetBpp() > 7) {
    copy.DecreaseBpp(8, true, nullptr, 0);
  } else {
    copy.IncreaseBpp(8);
  }
  const uint32_t depth = copy.GetBpp();
  if ((depth != 8 && depth != 24) || copy.GetWidth() != width || copy.GetHeight() != height) {
    return nullptr;
  }

  const size_t stride = oesqx::image::DibStride(width, depth);
  const size_t palette_len = depth == 8 ? 256 * 3 : 0;
  const size_t rows_len = stride * height;
  const size_t record_len = SEAL_DATA_FIXED_SIZE + palette_len + rows_len;
  if (stride == 0 || copy.GetEffWidth() != stride || record_len > INT_MAX / 2) return nullptr;

  // Creating a V6 seal ends standard mode.
  if (m_blV7Mode) {
    ReleaseV7Seal();
    m_blV7Mode = false;
  }

  oesqx::seal::MallocPtr buffer(static_cast<unsigned char*>(std::calloc(1, record_len)));
  if (!buffer) return nullptr;
  auto* record = reinterpret_cast<SEAL_DATA_V6*>(buffer.get());
  unsigned char* picture_area = buffer.get() + SEAL_DATA_FIXED_SIZE;
  if (depth == 8) {
    for (uint32_t i = 0; i < 256; ++i) {
      const RGBQUAD c = copy.GetPaletteColor(i);
      picture_area[i * 3] = c.rgbRed;
      picture_area[i * 3 + 1] = c.rgbGreen;
      picture_area[i * 3 + 2] = c.rgbBlue;
    }
  }
  for (uint32_t row = 0; row < height; ++row) {
    std::memcpy(picture_area + palette_len + row * stride, copy.GetBits(row), stride);
  }

  record->head.dwLength = static_cast<uint32_t>(record_len);
  record->head.dwParentID = SEAL_ROOT_ID;
  record->head.wType = SEAL_ITEM_SEAL;
  record->wSealKind = kind;
  record->dwValidStart = oesqx::seal::TodayDayNumber();
  record->dwValidEnd = validUntil;
  record->bFree1 = static_cast<uint8_t>(byte1);
  record->bFree2 = static_cast<uint8_t>(byte2);
  record->bBitCount = static_cast<uint8_t>(depth);
  CopyText(record->cSealID, text1);
  CopyText(record->cSealName, text2);
  CopyText(record->cText3, text3);
  CopyText(record->cMaker, text4);
  record->dwValue = value;
  record->wDispWidth = displayWidth != 0 ? displayWidth : static_cast<uint16_t>(width);
  record->wDispHeight = displayHeight != 0 ? displayHeight : static_cast<uint16_t>(height);
  record->wWidth = static_cast<uint16_t>(width);
  record->wHeight = static_cast<uint16_t>(height);

  if (m_pFileHeader == nullptr) {
    m_pFileHeader = new SEAL_FILE_HEADER_V6{};
    m_pFileHeader->dwMagic = SEAL_MAGIC_V6;
    m_pFileHeader->wVersion = 6;
  }
  if (m_pSealData == nullptr) m_pSealData = oesqx::seal::NewEmptyContainer().release();
  if (m_pSealData == nullptr) return nullptr;
  record->head.dwID = GenerateNewID();
  const uint32_t id = record->head.dwID;

  // Insert into a copy so that a failure leaves the container as it was.
  const size_t old_len = oesqx::seal::ContainerSize(m_pSealData);
  auto* grown = static_cast<SEAL_ENCDATA_HEADER_V6*>(std::malloc(old_len));
  if (grown == nullptr) return nullptr;
  std::memcpy(grown, m_pSealData, old_len);
  if (!oesqx::seal::InsertBeforeEnd(&grown, record, record_len)) {
    std::free(grown);
    return nullptr;
  }
  ReplaceContainer(grown);
  return GetSealData(id, nullptr);
}
