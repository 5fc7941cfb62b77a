// The transparent GIF of a seal picture: 24-bit bottom-up rows, reduced to
// the standard palette with error diffusion, index 255 (pure white)
// transparent.
#ifndef OESQX_SEAL_SEAL_GIF_H
#define OESQX_SEAL_SEAL_GIF_H

#include <cstdint>

namespace oesqx::seal {

// `rows` holds height x stride(24 x width) bytes. On success *out is a new
// malloc'd GIF of *out_len bytes (the caller frees it) and the result is
// true; on failure *out stays null.
bool Rows24ToTransparentGif(const unsigned char* rows, uint32_t width, uint32_t height,
                            unsigned char** out, int* out_len);

}  // namespace oesqx::seal

#endif
