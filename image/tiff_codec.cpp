// TIFF through libtiff, reading and writing memory through client
// procedures. libtiff's messages are captured (never printed) and its
// allocations bounded by the picture size limit.
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include <tiffio.h>

#include "image/codecs.h"
#include "image/qx_image.h"

namespace oesqx::image {
namespace {

// A seekable memory file for libtiff: read from `data`, or written into
// `out` (grown as needed).
struct MemFile {
  const uint8_t* data = nullptr;
  size_t size = 0;
  Bytes* out = nullptr;
  size_t pos = 0;
  std::string message;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  if (n < 0 || f->pos > f->size) return 0;
  const size_t count = static_cast<size_t>(n) < f->size - f->pos ? static_cast<size_t>(n) : f->size - f->pos;
  if (count > 0) std::memcpy(buf, f->data + f->pos, count);
  f->pos += count;
  return static_cast<tmsize_t>(count);
}

tmsize_t WriteProc(thandle_t h, void* buf, tmsize_t n) {
  auto* f = static_cast<MemFile*>(h);
  if (f->out == nullptr || n < 0) return -1;
  const size_t end = f->pos + static_cast<size_t>(n);
  if (end > f->out->size()) f->out->resize(end);
  if (n > 0) std::memcpy(f->out->data() + f->pos, buf, static_cast<size_t>(n));
  f->pos = end;
  f->size = f->out->size();
  return n;
}

toff_t SeekProc(thandle_t h, toff_t off, int whence) {
  auto* f = static_cast<MemFile*>(h);
  const size_t size = f->out != nullptr ? f->out->size() : f->size;
  uint64_t base = whence == SEEK_SET ? 0 : (whence == SEEK_CUR ? f->pos : size);
  const uint64_t target = base + off;
  if (target > (uint64_t{1} << 40)) return static_cast<toff_t>(-1);
  if (f->out == nullptr && target > f->size) return static_cast<toff_t>(-1);
  f->pos = static_cast<size_t>(target);
  return f->pos;
}

int CloseProc(thandle_t) { return 0; }
toff_t SizeProc(thandle_t h) {
  auto* f = static_cast<MemFile*>(h);
  return f->out != nullptr ? f->out->size() : f->size;
}
int MapProc(thandle_t, void**, toff_t*) { return 0; }
void UnmapProc(thandle_t, void*, toff_t) {}

int OnError(TIFF*, void* user, const char* module, const char* fmt, va_list ap) {
  auto* f = static_cast<MemFile*>(user);
  char text[256];
  std::vsnprintf(text, sizeof(text), fmt, ap);
  if (f->message.empty()) f->message = std::string(module != nullptr ? module : "") + ": " + text;
  return 1;
}

int OnWarning(TIFF*, void*, const char*, const char*, va_list) { return 1; }

TIFF* Open(MemFile* f, const char* mode) {
  TIFFOpenOptions* opts = TIFFOpenOptionsAlloc();
  if (opts == nullptr) return nullptr;
  TIFFOpenOptionsSetErrorHandlerExtR(opts, OnError, f);
  TIFFOpenOptionsSetWarningHandlerExtR(opts, OnWarning, f);
  TIFFOpenOptionsSetMaxSingleMemAlloc(opts, static_cast<tmsize_t>(MaxPixelBytes()));
  TIFF* tif = TIFFClientOpenExt("memory", mode, f, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc, MapProc,
                                UnmapProc, opts);
  TIFFOpenOptionsFree(opts);
  return tif;
}

bool Refuse(std::string* error, const MemFile& f, const char* text) {
  *error = std::string("TIFF: ") + (f.message.empty() ? text : f.message);
  return false;
}

}  // namespace

bool DecodeTiff(ByteReader data, QxImage* out, std::string* error) {
  ByteReader probe = data;
  const uint8_t* sig;
  if (!probe.ReadBytes(4, &sig) ||
      !((sig[0] == 'I' && sig[1] == 'I' && (sig[2] == 42 || sig[2] == 43) && sig[3] == 0) ||
        (sig[0] == 'M' && sig[1] == 'M' && sig[2] == 0 && (sig[3] == 42 || sig[3] == 43)))) {
    *error = "not a TIFF file";
    return false;
  }
  MemFile f;
  f.data = data.cursor();
  f.size = data.remaining();
  TIFF* tif = Open(&f, "rm");
  if (tif == nullptr) return Refuse(error, f, "cannot open");
  uint32_t w = 0, h = 0;
  uint16_t extra_count = 0;
  uint16_t* extra = nullptr;
  TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
  TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
  const bool alpha = TIFFGetField(tif, TIFFTAG_EXTRASAMPLES, &extra_count, &extra) == 1 && extra_count > 0;
  QxImage pic;
  // The RGBA raster needs 4 bytes a pixel: refuse what the limit forbids
  // before libtiff allocates anything for it.
  if (w == 0 || h == 0 || uint64_t{w} * h * 4 > MaxPixelBytes() || !pic.Create(w, h, alpha ? 32 : 24, QXIMAGE_FORMAT_TIF)) {
    TIFFClose(tif);
    return Refuse(error, f, "bad picture size");
  }
  std::vector<uint32_t> raster(size_t{w} * h);
  const int ok = TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_BOTLEFT, 0);
  float xres = 0, yres = 0;
  uint16_t unit = RESUNIT_INCH;
  const bool has_x = TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres) == 1;
  const bool has_y = TIFFGetField(tif, TIFFTAG_YRESOLUTION, &yres) == 1;
  TIFFGetFieldDefaulted(tif, TIFFTAG_RESOLUTIONUNIT, &unit);
  TIFFClose(tif);
  if (ok != 1) return Refuse(error, f, "cannot read the picture");
  const uint32_t step = pic.GetBpp() / 8;
  for (uint32_t y = 0; y < h; ++y) {  // raster row 0 is the bottom row here too
    const uint32_t* in = raster.data() + size_t{y} * w;
    uint8_t* o = pic.GetBits(y);
    for (uint32_t x = 0; x < w; ++x, o += step) {
      o[0] = static_cast<uint8_t>(TIFFGetB(in[x]));
      o[1] = static_cast<uint8_t>(TIFFGetG(in[x]));
      o[2] = static_cast<uint8_t>(TIFFGetR(in[x]));
      if (step == 4) o[3] = static_cast<uint8_t>(TIFFGetA(in[x]));
    }
  }
  const auto dpi = [&](float v) -> uint32_t {
    const float d = unit == RESUNIT_CENTIMETER ? v * 2.54f : v;
    return d >= 1.0f && d < 1e6f ? static_cast<uint32_t>(d + 0.5f) : 96;
  };
  if (unit != RESUNIT_NONE) {
    if (has_x) pic.SetXDPI(dpi(xres));
    if (has_y) pic.SetYDPI(dpi(yres));
  }
  pic.SetHasAlpha(alpha);
  *out = std::move(pic);
  return true;
}

bool EncodeTiff(const QxImage& pic, Bytes* out, std::string* error) {
  Bytes file;
  MemFile f;
  f.out = &file;
  TIFF* tif = Open(&f, "w");
  if (tif == nullptr) return Refuse(error, f, "cannot create");
  const uint32_t w = pic.GetWidth(), h = pic.GetHeight(), bpp = pic.GetBpp();
  const bool palette = bpp <= 8;
  const bool alpha = bpp == 32 && pic.HasAlpha();
  const uint16_t samples = palette ? 1 : (alpha ? 4 : 3);
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, w);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, h);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, static_cast<uint16_t>(palette ? bpp : 8));
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, palette ? PHOTOMETRIC_PALETTE : PHOTOMETRIC_RGB);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_LZW);
  TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
  TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
  TIFFSetField(tif, TIFFTAG_XRESOLUTION, static_cast<float>(pic.GetXDPI()));
  TIFFSetField(tif, TIFFTAG_YRESOLUTION, static_cast<float>(pic.GetYDPI()));
  if (alpha) {
    const uint16_t kind = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &kind);
  }
  std::vector<uint16_t> map(palette ? 3 * (size_t{1} << bpp) : 0);
  if (palette) {
    const size_t n = size_t{1} << bpp;
    for (size_t i = 0; i < n; ++i) {
      const RGBQUAD c = pic.GetPaletteColor(static_cast<uint32_t>(i));
      map[i] = static_cast<uint16_t>(c.rgbRed * 257);
      map[n + i] = static_cast<uint16_t>(c.rgbGreen * 257);
      map[2 * n + i] = static_cast<uint16_t>(c.rgbBlue * 257);
    }
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
  }
  std::vector<uint8_t> row(size_t{w} * samples + 4);
  bool ok = true;
  for (uint32_t y = 0; y < h && ok; ++y) {
    const uint8_t* in = pic.GetBits(h - 1 - y);  // TIFF rows run top down
    if (palette) {
      std::memcpy(row.data(), in, (size_t{w} * bpp + 7) / 8);
    } else {
      const uint32_t step = bpp / 8;
      for (uint32_t x = 0; x < w; ++x) {
        const uint8_t* p = in + size_t{x} * step;
        uint8_t* o = row.data() + size_t{x} * samples;
        o[0] = p[2];
        o[1] = p[1];
        o[2] = p[0];
        if (alpha) o[3] = p[3];
      }
    }
    ok = TIFFWriteScanline(tif, row.data(), y, 0) == 1;
  }
  TIFFClose(tif);  // writes the directory
  if (!ok || !f.message.empty()) return Refuse(error, f, "cannot write");
  out->insert(out->end(), file.begin(), file.end());
  return true;
}

}  // namespace oesqx::image
