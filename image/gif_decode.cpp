// GIF reader: the logical screen, its colour tables, the graphic control
// extension of the first image, and that image. Later frames are ignored.
#include <cstring>
#include <vector>

#include "image/codecs.h"
#include "image/gif_lzw.h"
#include "image/pixel_ops.h"
#include "image/qx_image.h"

namespace oesqx::image {
namespace {

bool Refuse(std::string* error, const char* text) {
  *error = text;
  return false;
}

// Appends the data of a chain of sub-blocks (ending with a zero length).
bool ReadSubBlocks(ByteReader* data, std::vector<uint8_t>* out) {
  while (true) {
    uint8_t n;
    const uint8_t* p;
    if (!data->ReadU8(&n)) return false;
    if (n == 0) return true;
    if (!data->ReadBytes(n, &p)) return false;
    if (out != nullptr) out->insert(out->end(), p, p + n);
  }
}

bool ReadColorTable(ByteReader* data, uint32_t entries, RGBQUAD* table) {
  for (uint32_t i = 0; i < entries; ++i) {
    uint8_t rgb[3];
    if (!data->CopyBytes(3, rgb)) return false;
    table[i] = RGBQUAD{rgb[2], rgb[1], rgb[0], 0};
  }
  return true;
}

// Picture depth for a colour table of 2^bits entries.
uint32_t DepthForTableBits(uint32_t bits) { return bits <= 2 ? bits : (bits <= 4 ? 4 : 8); }

// Row order of an interlaced image: passes starting at 0, 4, 2, 1 with
// steps 8, 8, 4, 2.
std::vector<uint32_t> InterlacedRows(uint32_t height) {
  std::vector<uint32_t> rows;
  rows.reserve(height);
  static const uint32_t kStart[4] = {0, 4, 2, 1};
  static const uint32_t kStep[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (uint32_t y = kStart[pass]; y < height; y += kStep[pass]) rows.push_back(y);
  return rows;
}

}  // namespace

bool DecodeGif(ByteReader data, QxImage* out, std::string* error) {
  const uint8_t* sig;
  if (!data.ReadBytes(6, &sig) ||
      (std::memcmp(sig, "GIF87a", 6) != 0 && std::memcmp(sig, "GIF89a", 6) != 0))
    return Refuse(error, "not a GIF file");
  uint16_t screen_w, screen_h;
  uint8_t packed, background, aspect;
  if (!data.ReadU16(&screen_w) || !data.ReadU16(&screen_h) || !data.ReadU8(&packed) ||
      !data.ReadU8(&background) || !data.ReadU8(&aspect))
    return Refuse(error, "GIF screen descriptor truncated");
  if (screen_w == 0 || screen_h == 0) return Refuse(error, "GIF screen of size 0");
  RGBQUAD global[256] = {};
  uint32_t global_bits = 0;
  if (packed & 0x80) {
    global_bits = (packed & 7) + 1;
    if (!ReadColorTable(&data, 1u << global_bits, global)) return Refuse(error, "GIF colour table truncated");
  }

  long trans = -1;
  uint8_t disposal = 0;
  while (true) {
    uint8_t block;
    if (!data.ReadU8(&block)) return Refuse(error, "GIF has no image");
    if (block == 0x3B) return Refuse(error, "GIF has no image");
    if (block == 0x21) {
      uint8_t label;
      if (!data.ReadU8(&label)) return Refuse(error, "GIF extension truncated");
      std::vector<uint8_t> body;
      if (!ReadSubBlocks(&data, label == 0xF9 ? &body : nullptr)) return Refuse(error, "GIF extension truncated");
      if (label == 0xF9 && body.size() >= 4) {
        disposal = (body[0] >> 2) & 7;
        trans = (body[0] & 1) ? body[3] : -1;
      }
      continue;
    }
    if (block != 0x2C) return Refuse(error, "GIF block of unknown kind");

    uint16_t left, top, fw, fh;
    uint8_t fpacked;
    if (!data.ReadU16(&left) || !data.ReadU16(&top) || !data.ReadU16(&fw) || !data.ReadU16(&fh) ||
        !data.ReadU8(&fpacked))
      return Refuse(error, "GIF image descriptor truncated");
    if (fw == 0 || fh == 0 || uint32_t{left} + fw > screen_w || uint32_t{top} + fh > screen_h)
      return Refuse(error, "GIF image outside the screen");
    RGBQUAD local[256] = {};
    const RGBQUAD* table = global;
    uint32_t table_bits = global_bits;
    if (fpacked & 0x80) {
      table_bits = (fpacked & 7) + 1;
      if (!ReadColorTable(&data, 1u << table_bits, local)) return Refuse(error, "GIF colour table truncated");
      table = local;
    }
    if (table_bits == 0) table_bits = 8;  // no table at all: indices as they are
    uint8_t min_code_size;
    if (!data.ReadU8(&min_code_size)) return Refuse(error, "GIF image data truncated");
    if (min_code_size < 1 || min_code_size > 8) return Refuse(error, "bad GIF LZW code size");

    const uint32_t bpp = DepthForTableBits(table_bits);
    QxImage pic;
    if (!pic.Create(screen_w, screen_h, bpp, QXIMAGE_FORMAT_GIF)) return Refuse(error, pic.GetLastError());
    std::vector<uint8_t> lzw;
    if (!ReadSubBlocks(&data, &lzw)) return Refuse(error, "GIF image data truncated");
    std::vector<uint8_t> frame(size_t{fw} * fh);
    if (!LzwDecode(ByteReader(lzw), min_code_size, frame.data(), frame.size()))
      return Refuse(error, "bad GIF LZW data");

    std::memcpy(pic.GetPaletteData(), table, (size_t{1} << (table_bits < bpp ? table_bits : bpp)) * sizeof(RGBQUAD));
    // Outside the frame: the transparent index when there is one, else
    // the background index.
    const uint32_t fill = trans >= 0 ? static_cast<uint32_t>(trans) : background;
    if (fill != 0 && (fw != screen_w || fh != screen_h)) {
      for (uint32_t y = 0; y < screen_h; ++y)
        for (uint32_t x = 0; x < screen_w; ++x) SetIndex(pic.GetBits(y), x, bpp, fill);
    }
    const bool interlaced = (fpacked & 0x40) != 0;
    const std::vector<uint32_t> order = interlaced ? InterlacedRows(fh) : std::vector<uint32_t>();
    for (uint32_t i = 0; i < fh; ++i) {
      const uint32_t fy = interlaced ? order[i] : i;  // frame row, top down
      uint8_t* row = pic.GetBits(screen_h - 1 - (top + fy));
      const uint8_t* src = frame.data() + size_t{i} * fw;
      if (bpp == 8) {
        std::memcpy(row + left, src, fw);
      } else {
        for (uint32_t x = 0; x < fw; ++x) SetIndex(row, left + x, bpp, src[x]);
      }
    }
    pic.SetTransIndex(trans);
    pic.SetDisposalMethod(disposal);
    *out = std::move(pic);
    return true;
  }
}

}  // namespace oesqx::image
