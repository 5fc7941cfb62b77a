#include "webseal/ctrl_picture.h"

#include <cstdlib>
#include <cstring>

#include "common/byte_reader.h"
#include "seal/seal_reader.h"
#include "webseal/pen_note.h"

namespace oesqx::webseal {
namespace {

size_t Stride24(int width) { return static_cast<size_t>((24 * width + 31) / 32) * 4; }

bool CanvasFits(int32_t width, int32_t height) {
  return width >= 1 && height >= 1 && width <= kMaxCanvasSide && height <= kMaxCanvasSide;
}

PictureResult DrawHandwriting(WEB_CTRL_INFO* c, ControlPicture* out) {
  if (c->m_pPenNote == nullptr && c->m_pSealData != nullptr && c->m_nSealLen > 4) {
    ByteReader in(c->m_pSealData, c->m_nSealLen);
    uint16_t w = 0, h = 0;
    in.ReadU16(&w);
    in.ReadU16(&h);
    c->m_nPicWidth = w;
    c->m_nPicHeight = h;
    auto* note = new CPenNote;
    if (!note->LoadData(in.cursor(), static_cast<int>(in.remaining()))) {
      delete note;
      return PictureResult::kBadStrokes;
    }
    c->m_pPenNote = note;
  }
  if (c->m_pPenNote == nullptr || !CanvasFits(c->m_nPicWidth, c->m_nPicHeight)) {
    return PictureResult::kBadStrokes;
  }
  out->width = c->m_nPicWidth;
  out->height = c->m_nPicHeight;
  out->rows.assign(Stride24(out->width) * out->height, 255);
  c->m_pPenNote->Draw(out->rows.data(), 0, 0, out->width, out->height, 100);
  return PictureResult::kOk;
}

}  // namespace

PictureResult BuildControlPicture(WEB_CTRL_INFO* c, const char* password, ControlPicture* out) {
  *out = ControlPicture{};
  if (c->m_pSealData == nullptr && c->m_pPenNote == nullptr) return PictureResult::kNothing;
  if (c->m_blHasStrokes || c->m_pPenNote != nullptr) return DrawHandwriting(c, out);

  unsigned char* rows = nullptr;
  int w = 0, h = 0, dh = 0;
  unsigned int dw = 0;
  const int len = static_cast<int>(c->m_nSealLen);
  if (!G_ReadSealVer6(c->m_pSealData, len, &rows, c->m_cSealId, c->m_cSealName, &w, &h, &dw, &dh,
                      password) &&
      G_ReadSealVer4(c->m_pSealData, len, &rows, c->m_cSealId, c->m_cSealName, &w, &h, &dw, &dh,
                     c->m_blHasSealKey != 0, c->m_bSealKey, password) != 1) {
    return PictureResult::kNoRows;
  }
  if (rows == nullptr || w <= 0 || h <= 0) {
    std::free(rows);
    return PictureResult::kNoRows;
  }
  out->width = w;
  out->height = h;
  out->display_width = static_cast<int>(dw);
  out->display_height = dh;
  out->rows.assign(rows, rows + Stride24(w) * static_cast<size_t>(h));
  std::free(rows);
  if (dw != 0 && dh != 0) {
    c->m_nPicWidth = static_cast<int32_t>(dw);
    c->m_nPicHeight = dh;
  }
  return PictureResult::kOk;
}

}  // namespace oesqx::webseal
