// The file formats behind QxImage::Decode and Encode. Each decoder checks
// its signature first and fills `out` only on success; each encoder
// appends the whole file to `out`. Failures give false and a reason.
#ifndef OESQX_IMAGE_CODECS_H
#define OESQX_IMAGE_CODECS_H

#include <cstdint>
#include <string>
#include <vector>

#include "common/byte_reader.h"

namespace oesqx {
class QxImage;

namespace image {

using Bytes = std::vector<uint8_t>;

bool DecodeBmp(ByteReader data, QxImage* out, std::string* error);
bool EncodeBmp(const QxImage& pic, Bytes* out, std::string* error);

bool DecodeGif(ByteReader data, QxImage* out, std::string* error);
bool EncodeGif(const QxImage& pic, Bytes* out, std::string* error);

bool DecodeJpeg(ByteReader data, QxImage* out, std::string* error);
bool EncodeJpeg(const QxImage& pic, Bytes* out, std::string* error);

bool DecodePng(ByteReader data, QxImage* out, std::string* error);
bool EncodePng(const QxImage& pic, Bytes* out, std::string* error);

bool DecodeTiff(ByteReader data, QxImage* out, std::string* error);
bool EncodeTiff(const QxImage& pic, Bytes* out, std::string* error);

}  // namespace image
}  // namespace oesqx

#endif
