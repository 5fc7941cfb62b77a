#include "seal/v7_record.h"

#include <cstdlib>
#include <cstring>

#include "common/encoding.h"
#include "image/qx_image.h"
#include "seal/day_number.h"

namespace oesqx::v7 {
namespace {

constexpr size_t kRecordHead = 296;

int Number(const char* p, int n) {
  int v = 0;
  for (int i = 0; i < n; ++i) v = v * 10 + (p[i] - '0');
  return v;
}

bool IsWhite(const RGBQUAD& c) { return c.rgbRed == 255 && c.rgbGreen == 255 && c.rgbBlue == 255; }
bool IsBlack(const RGBQUAD& c) { return c.rgbRed == 0 && c.rgbGreen == 0 && c.rgbBlue == 0; }

// One-bit pictures get a transparent colour: the white entry, or the entry
// that is made white.
void MarkTransparent(QxImage* img) {
  const RGBQUAD c0 = img->GetPaletteColor(0), c1 = img->GetPaletteColor(1);
  if (IsWhite(c0)) {
    img->SetTransIndex(0);
  } else if (IsWhite(c1)) {
    img->SetTransIndex(1);
  } else if (!IsBlack(c0) && IsBlack(c1)) {
    img->SetPaletteColor(1, 255, 255, 255);
    img->SetTransIndex(1);
  } else {
    img->SetPaletteColor(0, 255, 255, 255);
    img->SetTransIndex(0);
  }
}

void CopyText(char* dst, const char* src, bool utf8) {
  if (utf8) {
    UTF8TOACP(src, dst, 64);
    dst[63] = '\0';
    return;
  }
  const size_t n = strnlen(src, 63);
  std::memcpy(dst, src, n);
  dst[n] = '\0';
}

uint16_t DisplaySize(int millimetres, uint32_t pixels) {
  if (millimetres == 0) return static_cast<uint16_t>(pixels);
  const double v = millimetres * 96 / 25.4;
  return v >= 65535 ? 65535 : static_cast<uint16_t>(v);
}

}  // namespace

bool ReadDateText(const char* text, DateText* out) {
  if (text == nullptr) return false;
  size_t digits = 0;
  while (text[digits] >= '0' && text[digits] <= '9') ++digits;
  const char end = text[digits];
  if (digits < 12 || (end != '\0' && end != ' ' && end != 'Z')) return false;
  DateText d;
  d.short_form = digits < 14;
  const char* p = text;
  if (d.short_form) {
    d.year = 2000 + Number(p, 2);
    p += 2;
  } else {
    d.year = Number(p, 4);
    p += 4;
  }
  d.month = Number(p, 2);
  d.day = Number(p + 2, 2);
  d.hour = Number(p + 4, 2);
  d.minute = Number(p + 6, 2);
  *out = d;
  return true;
}

unsigned int ValidFromDay(const char* text) {
  DateText d;
  if (!ReadDateText(text, &d) || (d.short_form && text[0] > '6') || d.year < 2000)
    return seal::TodayDayNumber();
  return static_cast<unsigned int>(seal::DayNumber(d.year, d.month, d.day));
}

unsigned int ValidUntilDay(const char* text) {
  DateText d;
  if (!ReadDateText(text, &d)) return 0;
  // Before 2000 there are no day numbers; the earliest one still ends the
  // validity instead of wrapping round to a date far ahead.
  if (d.year < 2000) return 1;
  return static_cast<unsigned int>(seal::DayNumber(d.year, d.month, d.day));
}

bool CreationTime(const char* text, struct tm* out) {
  DateText d;
  if (text == nullptr || text[0] == '\0' || !ReadDateText(text, &d)) return false;
  std::memset(out, 0, sizeof(*out));
  out->tm_year = d.year - 1900;
  out->tm_mon = d.month - 1;
  out->tm_mday = d.day;
  out->tm_hour = d.hour;
  out->tm_min = d.minute;
  out->tm_sec = 59;
  return true;
}

SEAL_DATA_V6* MakeRecord(const SES_SEAL_S& seal, unsigned int id) {
  QxImage img;
  if (!img.Decode(seal.bPicData, static_cast<uint32_t>(seal.nPicDataLen), QXIMAGE_FORMAT_UNKNOWN))
    return nullptr;
  if (img.GetBpp() == 1) MarkTransparent(&img);
  if (!img.ConvertToBpp(24)) return nullptr;
  const uint32_t width = img.GetWidth(), height = img.GetHeight();
  const size_t pixels = img.GetPixelBytes();
  if (width == 0 || width > 0xFFFF || height > 0xFFFF || pixels > 0xFFFFFFFFu - kRecordHead)
    return nullptr;
  const size_t total = kRecordHead + pixels;
  auto* rec = static_cast<SEAL_DATA_V6*>(std::calloc(1, total));
  if (rec == nullptr) return nullptr;
  rec->head.dwLength = static_cast<uint32_t>(total);
  rec->head.dwID = id;
  rec->head.dwParentID = 1;
  rec->head.wType = 1;
  rec->wSealKind = seal.nSealType == 2 ? 0x100 : 0x200;
  rec->dwValidStart = ValidFromDay(seal.cValidStart);
  rec->dwValidEnd = ValidUntilDay(seal.cValidEnd);
  rec->bV7Version = static_cast<uint8_t>(seal.nVersion);
  rec->bBitCount = 24;
  const bool utf8 = IsUTF8String(seal.cSealName) != 0;
  CopyText(rec->cSealID, seal.cEsID, utf8);
  CopyText(rec->cSealName, seal.cSealName, utf8);
  rec->dwValue = 1;
  rec->wWidth = static_cast<uint16_t>(width);
  rec->wHeight = static_cast<uint16_t>(height);
  rec->wDispWidth = DisplaySize(seal.nPicWidth, width);
  rec->wDispHeight = DisplaySize(seal.nPicHeight, height);
  if (pixels != 0) std::memcpy(reinterpret_cast<unsigned char*>(rec) + kRecordHead, img.GetBits(0), pixels);
  return rec;
}

}  // namespace oesqx::v7
