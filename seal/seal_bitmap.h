// Turning a stored seal picture (palette of RGB triples or none, then
// bottom-up rows) into 24-bit rows. Shared by the seal record and the V4
// reader.
#ifndef OESQX_SEAL_SEAL_BITMAP_H
#define OESQX_SEAL_SEAL_BITMAP_H

#include <cstddef>
#include <cstdint>

namespace oesqx::seal {

// `picture` holds `size` bytes: for 1, 2, 4 and 8 bits a palette of 2^bits
// (red, green, blue) entries, then the rows; above 8 bits 24-bit rows. Other
// depths, an empty size, or rows that do not fit in `size` give null.
// Returns a new malloc'd buffer of height x stride(24 x width) bytes.
unsigned char* StoredPictureTo24Bits(const uint8_t* picture, size_t size, unsigned bits,
                                     uint32_t width, uint32_t height);

// Bytes of the 24-bit rows of a width x height picture (0 on overflow).
size_t Rows24Size(uint32_t width, uint32_t height);

}  // namespace oesqx::seal

#endif
