// JPEG through libjpeg. libjpeg reports errors by longjmp, so everything
// with a destructor is created before setjmp and lives on the heap or in
// the caller; only C calls run between setjmp and the end of the work.
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <jpeglib.h>

#include "image/codecs.h"
#include "image/qx_image.h"

namespace oesqx::image {
namespace {

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

void OnError(j_common_ptr cinfo) {
  auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, err->message);
  std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr, int) {}  // warnings and traces stay quiet

void InitErrors(ErrorManager* err) {
  std::memset(err, 0, sizeof(*err));
  jpeg_std_error(&err->pub);
  err->pub.error_exit = OnError;
  err->pub.emit_message = OnMessage;
}

}  // namespace

bool DecodeJpeg(ByteReader data, QxImage* out, std::string* error) {
  const uint8_t* sig;
  ByteReader probe = data;
  if (!probe.ReadBytes(3, &sig) || sig[0] != 0xFF || sig[1] != 0xD8 || sig[2] != 0xFF) {
    *error = "not a JPEG file";
    return false;
  }
  if (data.remaining() > 0xFFFFFFFFu) {
    *error = "JPEG data too large";
    return false;
  }
  auto pic = std::make_unique<QxImage>();
  auto cmyk_row = std::make_unique<std::vector<uint8_t>>();
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  InitErrors(&err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_decompress(&cinfo);
    *error = std::string("JPEG: ") + err.message;
    return false;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.cursor(), static_cast<unsigned long>(data.remaining()));
  jpeg_read_header(&cinfo, TRUE);
  const bool grey = cinfo.jpeg_color_space == JCS_GRAYSCALE;
  const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
  cinfo.out_color_space = grey ? JCS_GRAYSCALE : (cmyk ? JCS_CMYK : JCS_EXT_BGR);
  jpeg_calc_output_dimensions(&cinfo);
  if (!pic->Create(cinfo.output_width, cinfo.output_height, grey ? 8 : 24, QXIMAGE_FORMAT_JPG)) {
    jpeg_destroy_decompress(&cinfo);
    *error = pic->GetLastError();
    return false;
  }
  if (grey) {
    for (uint32_t i = 0; i < 256; ++i) {
      const uint8_t v = static_cast<uint8_t>(i);
      pic->SetPaletteColor(i, v, v, v);
    }
  }
  if (cinfo.density_unit == 1 || cinfo.density_unit == 2) {
    const auto dpi = [&](uint32_t v) { return cinfo.density_unit == 1 ? v : (v * 254 + 50) / 100; };
    if (cinfo.X_density != 0) pic->SetXDPI(dpi(cinfo.X_density));
    if (cinfo.Y_density != 0) pic->SetYDPI(dpi(cinfo.Y_density));
  }
  jpeg_start_decompress(&cinfo);
  if (cmyk) cmyk_row->resize(size_t{cinfo.output_width} * 4);
  const uint32_t h = pic->GetHeight();
  while (cinfo.output_scanline < cinfo.output_height) {
    uint8_t* row = pic->GetBits(h - 1 - cinfo.output_scanline);  // JPEG rows run top down
    JSAMPROW target = cmyk ? cmyk_row->data() : row;
    jpeg_read_scanlines(&cinfo, &target, 1);
    if (cmyk) {
      // Adobe files store CMYK inverted; either way the colour is
      // (255 - c) x (255 - k) per channel of the inverted form.
      const bool inverted = cinfo.saw_Adobe_marker;
      const uint8_t* s = cmyk_row->data();
      for (uint32_t x = 0; x < cinfo.output_width; ++x, s += 4) {
        const uint32_t c = inverted ? s[0] : 255 - s[0], m = inverted ? s[1] : 255 - s[1];
        const uint32_t y = inverted ? s[2] : 255 - s[2], k = inverted ? s[3] : 255 - s[3];
        row[3 * x + 0] = static_cast<uint8_t>(y * k / 255);
        row[3 * x + 1] = static_cast<uint8_t>(m * k / 255);
        row[3 * x + 2] = static_cast<uint8_t>(c * k / 255);
      }
    }
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  *out = std::move(*pic);
  return true;
}

namespace {

// Compresses a 24-bit picture into a malloc buffer held by the caller.
bool Compress(const QxImage* pic, unsigned char** buffer, unsigned long* size, std::string* error) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  InitErrors(&err);
  cinfo.err = &err.pub;
  if (setjmp(err.jump)) {
    jpeg_destroy_compress(&cinfo);
    *error = std::string("JPEG: ") + err.message;
    return false;
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, buffer, size);
  cinfo.image_width = pic->GetWidth();
  cinfo.image_height = pic->GetHeight();
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 90, TRUE);
  cinfo.density_unit = 1;
  cinfo.X_density = static_cast<UINT16>(pic->GetXDPI() > 0xFFFF ? 0xFFFF : pic->GetXDPI());
  cinfo.Y_density = static_cast<UINT16>(pic->GetYDPI() > 0xFFFF ? 0xFFFF : pic->GetYDPI());
  jpeg_start_compress(&cinfo, TRUE);
  const uint32_t h = pic->GetHeight();
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<uint8_t*>(pic->GetBits(h - 1 - cinfo.next_scanline));
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  return true;
}

}  // namespace

bool EncodeJpeg(const QxImage& src, Bytes* out, std::string* error) {
  // JPEG holds direct colour only: other depths go via a 24-bit copy.
  QxImage copy;
  const QxImage* pic = &src;
  if (src.GetBpp() != 24) {
    copy = src;
    if (!copy.ConvertToBpp(24)) {
      *error = copy.GetLastError();
      return false;
    }
    pic = &copy;
  }
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  const bool ok = Compress(pic, &buffer, &size, error);
  if (ok) out->insert(out->end(), buffer, buffer + size);
  std::free(buffer);
  return ok;
}

}  // namespace oesqx::image
