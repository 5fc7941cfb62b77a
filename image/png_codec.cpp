// PNG through libpng. libpng reports errors by longjmp to png_jmpbuf, so
// objects with destructors are made before setjmp (the picture on the
// heap) and only C calls run after it.
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include <png.h>

#include "image/codecs.h"
#include "image/qx_image.h"

namespace oesqx::image {
namespace {

struct ReadState {
  ByteReader data;
  char message[128];
};

void ReadData(png_structp png, png_bytep out, png_size_t n) {
  auto* st = static_cast<ReadState*>(png_get_io_ptr(png));
  if (!st->data.CopyBytes(n, out)) png_error(png, "PNG data truncated");
}

void OnError(png_structp png, png_const_charp text) {
  auto* msg = static_cast<char*>(png_get_error_ptr(png));
  std::snprintf(msg, 128, "%s", text);
  png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void WriteData(png_structp png, png_bytep data, png_size_t n) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + n);
}

void Flush(png_structp) {}

uint32_t DpiFromPng(png_uint_32 ppm) { return static_cast<uint32_t>((uint64_t{ppm} * 254 + 5000) / 10000); }

// Reads into `pic`; rows pointers are filled once the size is known.
bool ReadPng(ReadState* st, QxImage* pic, std::vector<png_bytep>* rows) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, st->message, OnError, OnWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return false;
  }
  png_set_read_fn(png, st, ReadData);
  png_set_user_limits(png, 0x7FFFFFFF, 0x7FFFFFFF);
  png_read_info(png, info);
  const png_uint_32 w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const int colour = png_get_color_type(png, info);
  const int depth = png_get_bit_depth(png, info);
  const bool has_trns = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
  uint32_t bpp;
  long trans = -1;
  if (colour == PNG_COLOR_TYPE_PALETTE) {
    bpp = static_cast<uint32_t>(depth);  // 1, 2, 4, 8: packed as DIB rows are
  } else if (colour == PNG_COLOR_TYPE_GRAY && !has_trns) {
    if (depth < 8) png_set_expand_gray_1_2_4_to_8(png);
    bpp = 8;
  } else {
    // Grey with transparency, grey and alpha, RGB, RGBA: blue-green-red
    // pixels, with alpha when there is any.
    const bool alpha = (colour & PNG_COLOR_MASK_ALPHA) != 0 || has_trns;
    if (colour == PNG_COLOR_TYPE_GRAY || colour == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if (depth < 8) png_set_expand(png);
    if (has_trns) png_set_tRNS_to_alpha(png);
    png_set_bgr(png);
    bpp = alpha ? 32 : 24;
  }
  if (depth == 16) png_set_strip_16(png);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  if (!pic->Create(w, h, bpp, QXIMAGE_FORMAT_PNG)) png_error(png, pic->GetLastError());
  if (colour == PNG_COLOR_TYPE_PALETTE) {
    png_colorp plte = nullptr;
    int count = 0;
    if (png_get_PLTE(png, info, &plte, &count) != 0) {
      for (int i = 0; i < count && static_cast<uint32_t>(i) < pic->GetNumColors(); ++i)
        pic->SetPaletteColor(static_cast<uint32_t>(i), plte[i].red, plte[i].green, plte[i].blue);
    }
    png_bytep alpha = nullptr;
    int alpha_count = 0;
    if (has_trns && png_get_tRNS(png, info, &alpha, &alpha_count, nullptr) != 0) {
      for (int i = 0; i < alpha_count; ++i)
        if (alpha[i] == 0) {  // the first fully transparent entry
          trans = i;
          break;
        }
    }
  } else if (bpp == 8) {
    for (uint32_t i = 0; i < 256; ++i) {
      const uint8_t v = static_cast<uint8_t>(i);
      pic->SetPaletteColor(i, v, v, v);
    }
  }
  rows->resize(h);
  for (png_uint_32 y = 0; y < h; ++y) (*rows)[y] = pic->GetBits(h - 1 - y);  // PNG rows run top down
  png_read_image(png, rows->data());
  png_read_end(png, nullptr);
  png_uint_32 xres = 0, yres = 0;
  int unit = 0;
  if (png_get_pHYs(png, info, &xres, &yres, &unit) != 0 && unit == PNG_RESOLUTION_METER) {
    if (xres != 0) pic->SetXDPI(DpiFromPng(xres));
    if (yres != 0) pic->SetYDPI(DpiFromPng(yres));
  }
  pic->SetTransIndex(trans);
  pic->SetHasAlpha(bpp == 32);
  png_destroy_read_struct(&png, &info, nullptr);
  return true;
}

bool WritePng(const QxImage* pic, Bytes* out, char* message, std::vector<png_bytep>* rows,
              std::vector<png_color>* plte, std::vector<png_byte>* alpha) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, message, OnError, OnWarning);
  if (png == nullptr) return false;
  png_infop info = png_create_info_struct(png);
  if (info == nullptr || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, WriteData, Flush);
  const uint32_t w = pic->GetWidth(), h = pic->GetHeight(), bpp = pic->GetBpp();
  if (bpp <= 8) {
    png_set_IHDR(png, info, w, h, static_cast<int>(bpp), PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    plte->resize(pic->GetNumColors());
    for (uint32_t i = 0; i < pic->GetNumColors(); ++i) {
      const RGBQUAD c = pic->GetPaletteColor(i);
      (*plte)[i] = png_color{c.rgbRed, c.rgbGreen, c.rgbBlue};
    }
    png_set_PLTE(png, info, plte->data(), static_cast<int>(plte->size()));
    const long trans = pic->GetTransIndex();
    if (trans >= 0 && static_cast<uint32_t>(trans) < pic->GetNumColors()) {
      alpha->assign(static_cast<size_t>(trans) + 1, 255);
      (*alpha)[static_cast<size_t>(trans)] = 0;
      png_set_tRNS(png, info, alpha->data(), static_cast<int>(alpha->size()), nullptr);
    }
  } else {
    const bool with_alpha = bpp == 32 && pic->HasAlpha();
    png_set_IHDR(png, info, w, h, 8, with_alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  }
  const auto ppm = [](uint32_t dpi) { return static_cast<png_uint_32>((uint64_t{dpi} * 10000 + 127) / 254); };
  png_set_pHYs(png, info, ppm(pic->GetXDPI()), ppm(pic->GetYDPI()), PNG_RESOLUTION_METER);
  png_write_info(png, info);
  if (bpp > 8) png_set_bgr(png);
  if (bpp == 32 && !pic->HasAlpha()) png_set_filler(png, 0, PNG_FILLER_AFTER);  // drop the 4th byte
  rows->resize(h);
  for (uint32_t y = 0; y < h; ++y) (*rows)[y] = const_cast<png_bytep>(pic->GetBits(h - 1 - y));
  png_write_image(png, rows->data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool DecodePng(ByteReader data, QxImage* out, std::string* error) {
  ByteReader probe = data;
  const uint8_t* sig;
  if (!probe.ReadBytes(8, &sig) || png_sig_cmp(sig, 0, 8) != 0) {
    *error = "not a PNG file";
    return false;
  }
  auto st = std::make_unique<ReadState>();
  st->data = data;
  st->message[0] = '\0';
  auto pic = std::make_unique<QxImage>();
  auto rows = std::make_unique<std::vector<png_bytep>>();
  if (!ReadPng(st.get(), pic.get(), rows.get())) {
    *error = std::string("PNG: ") + st->message;
    return false;
  }
  *out = std::move(*pic);
  return true;
}

bool EncodePng(const QxImage& pic, Bytes* out, std::string* error) {
  char message[128] = "";
  std::vector<png_bytep> rows;
  std::vector<png_color> plte;
  std::vector<png_byte> alpha;
  Bytes file;
  if (!WritePng(&pic, &file, message, &rows, &plte, &alpha)) {
    *error = std::string("PNG: ") + message;
    return false;
  }
  out->insert(out->end(), file.begin(), file.end());
  return true;
}

}  // namespace oesqx::image
