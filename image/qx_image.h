// QxImage: the picture class behind every seal picture. It holds one
// device-independent bitmap (palette depths 1, 2, 4, 8; direct colour 24 and
// 32, 16-bit input widened to 24), a format tag, a transparent palette index
// and a resolution. Row 0 is the bottom row, as in the stored DIB.
//
// Failures are reported by a false result (or width 0 after a failed build);
// the reason is kept in GetLastError(). Nothing throws.
#ifndef OESQX_IMAGE_QX_IMAGE_H
#define OESQX_IMAGE_QX_IMAGE_H

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "image/dib.h"

namespace oesqx {

namespace image {
// An allocator whose resize() leaves new bytes uninitialised, for pixel
// buffers that are written whole right away.
template <typename T>
struct UninitAllocator : std::allocator<T> {
  template <typename U>
  struct rebind {
    using other = UninitAllocator<U>;
  };
  UninitAllocator() = default;
  template <typename U>
  UninitAllocator(const UninitAllocator<U>&) noexcept {}
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
};
}  // namespace image

// Format identifiers of Decode, Load, Encode and Save.
enum QxImageFormat : uint32_t {
  QXIMAGE_FORMAT_UNKNOWN = 0,  // decode: detect
  QXIMAGE_FORMAT_BMP = 1,
  QXIMAGE_FORMAT_GIF = 2,
  QXIMAGE_FORMAT_JPG = 3,
  QXIMAGE_FORMAT_PNG = 4,
  QXIMAGE_FORMAT_TIF = 6,
};

class QxImage {
 public:
  // An empty picture (width 0) with the format tag `type`.
  explicit QxImage(uint32_t type = QXIMAGE_FORMAT_UNKNOWN);
  // A new picture of width x height at `bpp` (1, 2, 4, 8, 24 or 32), pixels
  // zeroed; palette depths get a grey ramp. On a bad size the picture stays
  // empty.
  QxImage(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type = QXIMAGE_FORMAT_UNKNOWN);
  // A copy. copyPixels false gives the same size, depth and palette with
  // zeroed pixels; copyAlpha false drops the alpha meaning of 32-bit pixels.
  // copySelection is accepted for callers' sake (there is no selection).
  QxImage(const QxImage& src, bool copyPixels, bool copySelection = true, bool copyAlpha = true);
  QxImage(const QxImage& src);
  QxImage& operator=(const QxImage& src);
  QxImage(QxImage&& src) noexcept;
  QxImage& operator=(QxImage&& src) noexcept;
  ~QxImage();

  // Decodes an encoded picture from memory. `type` 0 detects: BMP, JPEG,
  // GIF, PNG, TIFF are tried in that order; a non-zero type is tried first,
  // then detection. True on success; on failure the picture is empty.
  bool Decode(const uint8_t* buffer, uint32_t size, uint32_t type);
  // Decodes the file at `path` (read whole, in binary), as Decode.
  bool Load(const char* path, uint32_t type);

  // Builds the picture from a DIB header with its palette and separate pixel
  // bytes. `info` points to at least a whole 40-byte header; its biSize
  // decides the header's length (40, or a longer V4/V5-style header whose
  // extra fields are ignored; 12 fails). `headerLength` is the number of
  // readable bytes at `info` (header, masks and palette), and a block that
  // claims more is refused; 0 trusts the header's claims. Uncompressed
  // pixels are copied from `bits`, which must hold every row (height x
  // stride bytes within `bitsSize`); RLE8 and RLE4 data are expanded and
  // must stay inside the picture. A refused DIB leaves the picture empty.
  bool CreateFromData(const tagBITMAPINFO* info, unsigned headerLength, const unsigned char* bits,
                      unsigned bitsSize);

  uint32_t GetWidth() const { return width_; }
  uint32_t GetHeight() const { return height_; }
  uint32_t GetBpp() const { return bpp_; }
  // Bytes per row (rows padded to 4 bytes).
  uint32_t GetEffWidth() const { return stride_; }
  // Row `row` (0 = bottom); null when there is no such row.
  uint8_t* GetBits(uint32_t row = 0);
  const uint8_t* GetBits(uint32_t row = 0) const;
  // Size of the pixel rows in bytes (height x stride).
  size_t GetPixelBytes() const { return pixels_.size(); }
  bool IsValid() const { return width_ != 0; }

  uint32_t GetType() const { return type_; }
  void SetType(uint32_t type) { type_ = type; }
  uint32_t GetXDPI() const { return xdpi_; }
  uint32_t GetYDPI() const { return ydpi_; }
  void SetXDPI(uint32_t dpi) { xdpi_ = dpi; }
  void SetYDPI(uint32_t dpi) { ydpi_ = dpi; }
  // True when the fourth byte of 32-bit pixels is alpha.
  bool HasAlpha() const { return alpha_; }

  // Palette entries: 2^bpp for palette depths, 0 for direct colour.
  uint32_t GetNumColors() const { return static_cast<uint32_t>(palette_.size()); }
  const RGBQUAD* GetPalette() const { return palette_.empty() ? nullptr : palette_.data(); }
  // Entry `index`; all zero for an index outside the palette.
  RGBQUAD GetPaletteColor(uint32_t index) const;
  // Sets entry `index`; false outside the palette.
  bool SetPaletteColor(uint32_t index, uint8_t red, uint8_t green, uint8_t blue, uint8_t alpha = 0);
  // Entries mapped to when reducing colours (0 = all).
  uint32_t GetClrImportant() const { return clr_important_; }

  // Palette index drawn as transparent; -1 = none.
  void SetTransIndex(long index) { trans_index_ = index < 0 ? -1 : index; }
  long GetTransIndex() const { return trans_index_; }
  // GIF frame disposal method written with the transparency (0 by default).
  void SetDisposalMethod(uint8_t method) { disposal_ = method & 7; }
  uint8_t GetDisposalMethod() const { return disposal_; }

  // Raises the depth (palette entries become direct colour, or indices are
  // widened). Same depth: true, no change; a lower target fails.
  bool IncreaseBpp(uint32_t bpp);
  // Lowers the depth: to 1, 4 or 8 bits every pixel is mapped to the nearest
  // entry of `palette` (null: black/white for 1 bit, 16 basic colours for 4,
  // the standard 256-colour palette for 8) among its first
  // `importantColours` entries (0 = all), with error diffusion when asked;
  // 32 to 24 drops the fourth byte. Same depth: true, no change; a higher
  // target fails.
  bool DecreaseBpp(uint32_t bpp, bool errorDiffusion, const RGBQUAD* palette = nullptr,
                   uint32_t importantColours = 0);
  // IncreaseBpp when the current depth is lower, DecreaseBpp(bpp, true)
  // when higher, true without change when equal.
  bool ConvertToBpp(uint32_t bpp);

  // Resizes to newWidth x newHeight. Mode 1 (nearest pixel) is the one mode;
  // with a destination the result goes there and this picture is kept.
  // The same size changes nothing; a zero size or another mode fails.
  bool Resample(long newWidth, long newHeight, int mode = 1, QxImage* destination = nullptr);

  // Encodes into a new malloc buffer that the caller frees with free().
  // `buffer` must be null on entry (else the call fails and leaves it
  // alone). Formats: BMP, GIF (pictures of at most 8 bits), JPEG, PNG, TIFF.
  bool Encode(uint8_t*& buffer, int& size, uint32_t type);
  // Encodes into the file at `path` (created or truncated).
  bool Save(const char* path, uint32_t type);

  const char* GetLastError() const { return last_error_.c_str(); }

  // Replaces the picture with a new one of this geometry (zeroed pixels,
  // palette of 2^bpp zero entries, no transparency); false on a size that
  // is out of range. Used by the codecs. With zeroPixels false only the row
  // padding is zeroed: for callers that write every pixel byte at once.
  bool Create(uint32_t width, uint32_t height, uint32_t bpp, uint32_t type, bool zeroPixels = true);
  // Empties the picture (width 0), keeping the format tag.
  void Destroy();
  // Records a failure text and returns false.
  bool Fail(const std::string& text);
  void SetClrImportant(uint32_t count) { clr_important_ = count; }
  void SetHasAlpha(bool alpha) { alpha_ = alpha && bpp_ == 32; }
  RGBQUAD* GetPaletteData() { return palette_.empty() ? nullptr : palette_.data(); }

 private:
  uint32_t width_ = 0;
  uint32_t height_ = 0;
  uint32_t bpp_ = 0;
  uint32_t stride_ = 0;
  uint32_t type_ = 0;
  uint32_t xdpi_ = 96;
  uint32_t ydpi_ = 96;
  uint32_t clr_important_ = 0;
  long trans_index_ = -1;
  uint8_t disposal_ = 0;
  bool alpha_ = false;
  std::vector<RGBQUAD> palette_;
  std::vector<uint8_t, image::UninitAllocator<uint8_t>> pixels_;
  std::string last_error_;
};

namespace image {

// Largest pixel buffer a picture may have (height x stride); larger
// pictures are refused before anything is allocated.
size_t MaxPixelBytes();
// Lowers (or restores, with 0) that bound; fuzz targets use it to stay fast.
void SetMaxPixelBytes(size_t bytes);

}  // namespace image
}  // namespace oesqx

#endif
