// QxImage::CreateFromData: a picture from a caller's DIB header, palette and
// pixel bytes.
#include <string>

#include "image/dib_reader.h"
#include "image/qx_image.h"

namespace oesqx {

bool QxImage::CreateFromData(const tagBITMAPINFO* info, unsigned headerLength, const unsigned char* bits,
                             unsigned bitsSize) {
  Destroy();
  if (info == nullptr) return Fail("CreateFromData: no header");
  // The header's own fields say how long its block is; a caller-given
  // length bounds what may be read (0: the header is trusted).
  const uint32_t claimed = image::DibInfoBlockSize(info->bmiHeader);
  if (claimed == 0) {
    return Fail(info->bmiHeader.biSize == 12 ? "CreateFromData: 12-byte header"
                                             : "CreateFromData: unusable header");
  }
  const size_t readable = headerLength != 0 ? headerLength : claimed;
  image::DibInfo dib;
  std::string error;
  if (!image::ParseDibInfo(ByteReader(reinterpret_cast<const uint8_t*>(info), readable), &dib, &error))
    return Fail("CreateFromData: " + error);
  if (!image::ReadDibPixels(dib, ByteReader(bits, bits != nullptr ? bitsSize : 0), type_, this, &error)) {
    Destroy();
    return Fail("CreateFromData: " + error);
  }
  return true;
}

}  // namespace oesqx
