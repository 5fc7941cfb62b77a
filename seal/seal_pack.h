// The packed seal file: "ECSL", gzip length G, content length, G bytes of
// gzip. Shared by the V6 and standard-seal save paths.
#ifndef OESQX_SEAL_SEAL_PACK_H
#define OESQX_SEAL_SEAL_PACK_H

#include <cstddef>
#include <cstdint>
#include <vector>

namespace oesqx::seal {

// When `data` is a well-formed packed file whose gzip block unpacks to the
// stated content length, fills *content and returns true; otherwise the
// data is to be read as it stands.
bool UnpackSealFile(const uint8_t* data, size_t len, std::vector<uint8_t>* content);

// Packs `len` bytes into a new malloc'd buffer at *out. Returns its length
// (G + 12), or 0 on failure (*out null).
int PackSealFile(const uint8_t* data, size_t len, unsigned char** out);

// The save result: `file` (malloc'd, ownership taken) as it is, or packed
// when g_blEncSeal is on. Returns the length at *out, 0 on failure.
int FinishSealFile(unsigned char* file, int len, unsigned char** out);

}  // namespace oesqx::seal

#endif
